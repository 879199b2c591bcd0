// ConsoleHost: the host application of the tamrel tool.
//
// Log lines, detail lines and error reports go to a log stream (standard
// error with --verbose, a file with --log, nowhere otherwise); message boxes
// always go to the message stream (standard error). The host also keeps what
// the tool needs to judge an operation afterwards: every error report with
// the error that caused it, and how many messages were shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tamrel/host.hpp"

namespace tamrel::tool {

struct ErrorReport {
  std::string location;  // "Tamrel/ContextCls/Save"
  std::string stage;
  int32_t number = 0;
  std::string source;
  std::string description;

  // The best one-line account of the error: its description, else its
  // source, with the number ("Permission denied (error 70)").
  std::string Describe() const;

  // What a report of a save tells when the file was written but its backup
  // copy was not: the copy's path and why it was not written.
  struct UnwrittenBackup {
    std::string path;
    std::string cause;  // as Describe gives it
  };
  // Set when this is such a report.
  std::optional<UnwrittenBackup> UnwrittenBackupCopy() const;
};

class ConsoleHost : public HostApplication {
 public:
  // `log` may be nullptr (log lines are dropped). Both streams must outlive
  // the host.
  ConsoleHost(std::ostream* log, std::ostream& messages);

  void WriteLog(const std::string& line) override;
  void RegisterError(const std::string& location, const std::string& stage) override;
  void GetErrorText(std::string& text) override;
  Variant HandleError(bool flag1, bool flag2, bool flag3) override;
  void WriteDetail(const std::string& line) override;
  Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                      const std::string& helpFile, int32_t helpContext) override;

  const std::vector<ErrorReport>& errors() const { return errors_; }
  std::size_t messages_shown() const { return messages_shown_; }

  // While a Capture lives, WriteLog lines go into it instead of the log.
  // Captures do not nest. REQUIRES: the host outlives the capture.
  class Capture {
   public:
    explicit Capture(ConsoleHost& host);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    const std::vector<std::string>& lines() const { return lines_; }

   private:
    ConsoleHost& host_;
    std::vector<std::string> lines_;
  };

 private:
  void Log(const std::string& text);

  std::ostream* log_;
  std::ostream& messages_;
  std::vector<ErrorReport> errors_;
  std::size_t messages_shown_ = 0;
  std::vector<std::string>* capture_ = nullptr;
};

}  // namespace tamrel::tool
