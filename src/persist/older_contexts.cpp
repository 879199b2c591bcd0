#include "persist/older_contexts.hpp"

#include <array>

#include "automation/ascii_case.hpp"

namespace tamrel::detail {
namespace {

constexpr std::string_view kCalibrationFile = "CalibrationSettings.tmc";
constexpr std::string_view kCalibrationLabel = "CALIBRATION";
constexpr std::array<std::string_view, 4> kShowTextIds = {"ShowTextDesc", "ShowTextInd",
                                                          "ShowTextPrefix", "ShowTextSep"};

void RemoveAll(std::string& text, std::string_view mark) {
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, from)) {
    kept.append(text, from, at - from);
    from = at + mark.size();
  }
  if (from == 0) return;
  kept.append(text, from, std::string::npos);
  text = std::move(kept);
}

}  // namespace

bool IsCalibrationPathForLoad(std::string_view path) {
  return path.find(kCalibrationFile) != std::string_view::npos;
}

bool IsCalibrationNameForSave(std::string_view file_name) { return file_name == kCalibrationFile; }

bool IsCalibrationLogLabel(std::string_view label) { return label == kCalibrationLabel; }

bool CleanSeparatorMarks(std::string_view context_name, std::string_view tag, std::string_view id,
                         std::string& value) {
  if (!IsCaptionSeparator(context_name, tag, id)) return false;
  std::string cleaned = value;
  RemoveAll(cleaned, "\\b");
  RemoveAll(cleaned, "\\c");
  if (cleaned == value) return false;
  value = std::move(cleaned);
  return true;
}

bool IsCaptionSeparatorOf(std::string_view tag, std::string_view id) {
  return EqualsIgnoringAsciiCase(tag, "Caption") && EqualsIgnoringAsciiCase(id, "ShowTextSep");
}

bool IsShowTextId(std::string_view id) {
  for (std::string_view show_text : kShowTextIds) {
    if (id == show_text) return true;
  }
  return false;
}

bool IsQuietDuplicateId(std::string_view id) { return id == "Created"; }

}  // namespace tamrel::detail
