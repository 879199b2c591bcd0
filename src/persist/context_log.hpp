// The context log: context file text written to the host's log.
//
// Every line starts "Context log: <label> " (the first line only, for a
// chunked text) and shows each CR LF pair of the text as "~", so that one
// log line stays one line.
#pragma once

#include <string>
#include <string_view>

#include "persist/context_state.hpp"

namespace tamrel::detail {

// First lines are cut after the last complete end tag within this many
// characters; later lines reach this many characters beyond the end of the
// line before.
inline constexpr std::size_t kFirstLogWindow = 15001;
inline constexpr std::size_t kLogWindow = 15000;

// `text` with every CR LF pair replaced by "~", appended to `out`.
void AppendCrLfShown(std::string& out, std::string_view text);

// `prefix` + the first `limit` characters of `text` after CR LF became "~".
std::string ShortLogLine(std::string_view prefix, std::string_view text, std::size_t limit);

// LogContextFile: writes `text` in lines cut after complete end tags, the
// first with the prefix "Context log: <name> ". When a window holds no new
// end tag (one element longer than a window) the rest goes out as one line.
// A failure is written to the log only ("Tamrel/ContextCls/LogContextFile
// Error: <n> Line: 0 <description>", then the prefix and the whole text) and
// not passed on; only a failure of that WriteLog itself reaches the caller.
void LogContextFile(ContextState& state, const std::string& name, const std::string& text);

// The one line log(label) writes: "Context log: <label> " and the whole
// text, or only its first kShortLogLength characters for the calibration
// label.
std::string LabelledLogLine(std::string_view label, std::string_view text);

}  // namespace tamrel::detail
