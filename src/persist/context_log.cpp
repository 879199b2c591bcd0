#include "persist/context_log.hpp"

#include <algorithm>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_text.hpp"
#include "persist/older_contexts.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

constexpr std::string_view kLogPrefix = "Context log: ";
constexpr std::size_t kNotFound = std::string_view::npos;

std::string LogPrefix(std::string_view label) {
  std::string prefix(kLogPrefix);
  prefix.append(label).push_back(' ');
  return prefix;
}

// Makes `line` the prefix and the text shown.
void ShowInto(std::string& line, std::string_view prefix, std::string_view text) {
  line.assign(prefix);
  AppendCrLfShown(line, text);
}

std::string Shown(std::string_view prefix, std::string_view text) {
  std::string line;
  line.reserve(prefix.size() + text.size());
  ShowInto(line, prefix, text);
  return line;
}

// Writes the chunks; `prefix` is emptied once the first line is out. The
// lines are built one after the other in the same string.
void WriteChunks(HostApplication& host, std::string& prefix, std::string_view text) {
  std::string line;
  line.reserve(prefix.size() + std::min(text.size(), kFirstLogWindow + kLogWindow));
  std::size_t start = 0;                // first character of the next line
  std::size_t limit = kFirstLogWindow;  // characters of the text the window reaches
  while (text.size() > limit) {
    std::size_t end_tag = text.rfind("</", limit - 2);
    std::size_t close = text.find('>', end_tag == kNotFound ? 0 : end_tag + 1);
    if (close == kNotFound || close < start) break;  // no new end tag in this window
    ShowInto(line, prefix, text.substr(start, close + 1 - start));
    host.WriteLog(line);
    prefix.clear();
    start = close + 1;
    limit = close + 1 + kLogWindow;
  }
  ShowInto(line, prefix, text.substr(start));
  host.WriteLog(line);
}

}  // namespace

void AppendCrLfShown(std::string& out, std::string_view text) {
  std::size_t from = 0;
  for (std::size_t at = text.find(kCrLf); at != kNotFound; at = text.find(kCrLf, from)) {
    out.append(text, from, at - from).push_back('~');
    from = at + kCrLf.size();
  }
  out.append(text, from);
}

std::string ShortLogLine(std::string_view prefix, std::string_view text, std::size_t limit) {
  std::string shown;
  AppendCrLfShown(shown, text);
  std::string line(prefix);
  line.append(shown, 0, std::min(shown.size(), limit));
  return line;
}

void LogContextFile(ContextState& state, const std::string& name, const std::string& text) {
  std::string prefix;
  try {
    prefix = LogPrefix(name);
    WriteChunks(Host(state), prefix, text);
  } catch (...) {
    Error failure = CurrentExceptionAsError();
    HostApplication& host = Host(state);
    host.WriteLog(ErrorLocation("LogContextFile") + " Error: " + std::to_string(failure.number()) +
                  " Line: 0 " + failure.description());
    host.WriteLog(Shown(prefix, text));
  }
}

std::string LabelledLogLine(std::string_view label, std::string_view text) {
  const std::string prefix = LogPrefix(label);
  return IsCalibrationLogLabel(label) ? ShortLogLine(prefix, text, kShortLogLength)
                                      : Shown(prefix, text);
}

}  // namespace tamrel::detail
