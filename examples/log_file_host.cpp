#include "log_file_host.hpp"

#include <ctime>
#include <iostream>

#include "tamrel/error.hpp"

namespace survey_plotter {
namespace {

std::string TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace

bool LogFileHost::OpenLog(const std::string& path) {
  log_.open(path, std::ios::app);
  if (!log_) return false;
  for (const std::string& line : waiting_) log_ << line << '\n';
  waiting_.clear();
  log_.flush();
  return true;
}

void LogFileHost::Append(const std::string& line) {
  const std::string stamped = TimeOfDay() + " " + line;
  if (log_.is_open()) {
    log_ << stamped << '\n' << std::flush;
  } else {
    waiting_.push_back(stamped);
  }
}

void LogFileHost::WriteLog(const std::string& line) { Append(line); }

void LogFileHost::WriteDetail(const std::string& line) { Append("    " + line); }

void LogFileHost::RegisterError(const std::string& location, const std::string& stage) {
  const tamrel::ErrorInfo& error = tamrel::CurrentError();
  ++errors_reported_;
  Append("ERROR " + std::to_string(error.number) + " in " + location + " (" + stage +
         "): " + error.description);
}

void LogFileHost::GetErrorText(std::string& text) {
  text = "Error " + std::to_string(tamrel::CurrentError().number) + ": " +
         tamrel::CurrentError().description;
}

tamrel::Variant LogFileHost::HandleError(bool, bool, bool) {
  // A GUI host would offer to carry on or quit here; the example carries on
  // and tells the user where the details are.
  std::cerr << "Survey Plotter: a settings operation failed: " << tamrel::CurrentError().description
            << " (see the log)\n";
  return {};
}

tamrel::Variant LogFileHost::ShowMessage(const std::string& prompt, int16_t,
                                         const std::string& title, const std::string&, int32_t) {
  std::string text = prompt;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.replace(at, 2, "\n  ");
  }
  std::cout << "[" << (title.empty() ? "Survey Plotter" : title) << "]\n  " << text << '\n';
  Append("message shown: " + title);
  return tamrel::Variant(int16_t{1});
}

}  // namespace survey_plotter
