#include "support/fault_injecting_backend.hpp"

#include <utility>

#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

class FaultInjectingFile : public platform::WritableFile {
 public:
  FaultInjectingFile(FaultInjectingBackend& backend, std::unique_ptr<platform::WritableFile> inner,
                     std::string path)
      : backend_(backend), inner_(std::move(inner)), path_(std::move(path)) {}

  void Append(std::string_view data) override {
    try {
      backend_.Enter(FileOp::kAppend, path_);
    } catch (const Error&) {
      inner_->Append(data.substr(0, data.size() / 2));
      throw;
    }
    inner_->Append(data);
  }
  void Sync() override {
    backend_.Enter(FileOp::kSync, path_);
    inner_->Sync();
  }
  void Close() override {
    backend_.Enter(FileOp::kClose, path_);
    inner_->Close();
  }

 private:
  FaultInjectingBackend& backend_;
  std::unique_ptr<platform::WritableFile> inner_;
  std::string path_;
};

}  // namespace

platform::Hooks FaultInjectingBackend::Hooks(std::shared_ptr<FaultInjectingBackend> backend) {
  platform::Hooks hooks;
  hooks.file_system = std::move(backend);
  return hooks;
}

platform::FileBackend& FaultInjectingBackend::Enter(FileOp op, const std::string& path) {
  for (Rule& rule : rules_) {
    if (rule.op == op && path.find(rule.path_part) != std::string::npos && rule.calls_to_fail > 0) {
      --rule.calls_to_fail;
      Raise(rule.number, "injected failure of file operation " +
                             std::to_string(static_cast<int>(op)) + " on " + path);
    }
  }
  return *inner_;
}

std::unique_ptr<platform::WritableFile> FaultInjectingBackend::CreateTempFile(
    Path folder, Path prefix, std::string& temp_path, const platform::NewFileModel& model) {
  auto file = Enter(FileOp::kCreateTempFile, folder + "/" + prefix)
                  .CreateTempFile(folder, prefix, temp_path, model);
  return std::make_unique<FaultInjectingFile>(*this, std::move(file), temp_path);
}

}  // namespace tamrel::testing
