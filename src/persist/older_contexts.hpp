// Rules kept for particular contexts of older applications. Each exists for
// the files one application wrote; none is a general rule of the format.
//
// The calibration file is recognised two ways on purpose: Load looks for
// its name anywhere in the path, Save compares the file name part exactly.
// Both are kept as they are, side by side, so that neither is "fixed" into
// the other: files the older application saved rely on each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tamrel::detail {

// How many characters of the file text the short calibration log shows.
inline constexpr std::size_t kShortLogLength = 200;

// Load logs only a short line for a path that holds the calibration file's
// name anywhere ("CalibrationSettings.tmc.old" and "x/CalibrationSettings.tmc/y" too).
bool IsCalibrationPathForLoad(std::string_view path);

// Save logs only a short line when the file name part (after the last
// separator) is exactly the calibration file's name.
bool IsCalibrationNameForSave(std::string_view file_name);

// log(Id) shows only a short line for this label.
bool IsCalibrationLogLabel(std::string_view label);

// The NewAlbumDefaults context keeps caption separators (Caption /
// ShowTextSep, any letter case) without the "\b" and "\c" marks that older
// versions stored in them. Returns whether `value` was cleaned.
bool CleanSeparatorMarks(std::string_view context_name, std::string_view tag, std::string_view id,
                         std::string& value);
// Whether (tag, id) is such a separator in such a context. Asked of every
// record a Load reads, so the context's name is compared here.
bool IsCaptionSeparatorOf(std::string_view tag, std::string_view id);
inline bool IsCaptionSeparator(std::string_view context_name, std::string_view tag,
                               std::string_view id) {
  return context_name == "NewAlbumDefaults" && IsCaptionSeparatorOf(tag, id);
}

// The ShowText ids have their instance gaps filled with empty records
// instead of being renumbered.
bool IsShowTextId(std::string_view id);

// A "Created" value that repeats an instance is dropped without a log line.
bool IsQuietDuplicateId(std::string_view id);

}  // namespace tamrel::detail
