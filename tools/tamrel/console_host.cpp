#include "console_host.hpp"

#include <string_view>

#include "tamrel/error.hpp"

namespace tamrel::tool {
namespace {

// The library begins the description of a failed save whose file was
// written, but whose backup copy was not, with kBackupCopyWords, the backup
// copy's path, kNotWrittenWords and the description of the failure.
constexpr std::string_view kBackupCopyWords = "backup copy ";
constexpr std::string_view kNotWrittenWords = " not written: ";

// The lines of a message text; the library separates them with CR LF.
std::vector<std::string> MessageLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

}  // namespace

std::string ErrorReport::Describe() const {
  const std::string& text = description.empty() ? source : description;
  return text + " (error " + std::to_string(number) + ")";
}

std::optional<ErrorReport::UnwrittenBackup> ErrorReport::UnwrittenBackupCopy() const {
  if (!description.starts_with(kBackupCopyWords)) return std::nullopt;
  const std::size_t path_end = description.find(kNotWrittenWords, kBackupCopyWords.size());
  if (path_end == std::string::npos) return std::nullopt;
  ErrorReport failure = *this;
  failure.description = description.substr(path_end + kNotWrittenWords.size());
  return UnwrittenBackup{
      description.substr(kBackupCopyWords.size(), path_end - kBackupCopyWords.size()),
      failure.Describe()};
}

ConsoleHost::ConsoleHost(std::ostream* log, std::ostream& messages)
    : log_(log), messages_(messages) {}

void ConsoleHost::Log(const std::string& text) {
  if (log_ != nullptr) *log_ << text << '\n' << std::flush;
}

void ConsoleHost::WriteLog(const std::string& line) {
  if (capture_ != nullptr) {
    capture_->push_back(line);
    return;
  }
  Log(line);
}

void ConsoleHost::WriteDetail(const std::string& line) { Log("  " + line); }

void ConsoleHost::RegisterError(const std::string& location, const std::string& stage) {
  const ErrorInfo& error = CurrentError();
  errors_.push_back({location, stage, error.number, error.source, error.description});
  Log("error in " + location + " [" + stage + "]: " + errors_.back().Describe());
}

void ConsoleHost::GetErrorText(std::string& text) {
  const ErrorInfo& error = CurrentError();
  text = "Error " + std::to_string(error.number) + ": " + error.description;
}

Variant ConsoleHost::HandleError(bool, bool, bool) { return Variant(); }

Variant ConsoleHost::ShowMessage(const std::string& prompt, int16_t, const std::string& title,
                                 const std::string&, int32_t) {
  ++messages_shown_;
  messages_ << "tamrel: " << (title.empty() ? "message" : title) << ":\n";
  for (const std::string& line : MessageLines(prompt)) {
    messages_ << (line.empty() ? "" : "  ") << line << '\n';
  }
  messages_ << std::flush;
  Log("message: " + title + ": " + prompt);
  return Variant(int16_t{1});
}

ConsoleHost::Capture::Capture(ConsoleHost& host) : host_(host) { host_.capture_ = &lines_; }

ConsoleHost::Capture::~Capture() { host_.capture_ = nullptr; }

}  // namespace tamrel::tool
