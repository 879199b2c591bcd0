// LogFileHost: the host application object of the Survey Plotter example.
//
// A real host keeps a log of what its contexts do. This one appends every log
// line, detail line and error report to a log file with the time of day, and
// shows messages on the console. Until the log file is known (the
// application folder comes from the library itself) lines wait in memory.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "tamrel/host.hpp"

namespace survey_plotter {

class LogFileHost : public tamrel::HostApplication {
 public:
  // Starts appending to `path`, first the lines that waited for it.
  // Returns false when the file cannot be opened (lines then keep waiting).
  bool OpenLog(const std::string& path);
  int errors_reported() const { return errors_reported_; }

  void WriteLog(const std::string& line) override;
  void RegisterError(const std::string& location, const std::string& stage) override;
  void GetErrorText(std::string& text) override;
  tamrel::Variant HandleError(bool flag1, bool flag2, bool flag3) override;
  void WriteDetail(const std::string& line) override;
  tamrel::Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                              const std::string& helpFile, int32_t helpContext) override;

 private:
  void Append(const std::string& line);

  std::ofstream log_;
  std::vector<std::string> waiting_;
  int errors_reported_ = 0;
};

}  // namespace survey_plotter
