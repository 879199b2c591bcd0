// Save: writes the store to the context file and to its backup copy in the
// Windows folder.
//
// The file Save writes is the one the path leads to: a bare name is the
// file in the current folder, a symbolic link is written through (the link
// stays; its target is replaced in the target's own folder). From the day
// check to the end of the backup copy Save holds the file's ContextFileLock,
// so that two savers never mix their generations and copies; under it, the
// temporary files a killed save left are removed first. A read-only file is
// refused (70) before anything else happens. A copy last written on an
// earlier calendar day first gets a numbered generation beside it without
// being taken away (KeepGeneration, reported as RenameAsNextFileCycle
// reports); then each copy is replaced atomically, keeping the identity of
// the file it replaces, so a failed or interrupted write leaves the old
// file in place. The backup copy is private to the user (0600 on POSIX) and
// gets one more try after Wait(1) when opening it (or creating and writing
// a new one) fails; when it still fails, the error says that the file was
// saved and its backup copy was not: "backup copy <path> not written:
// <cause>", with the cause's error number.
#pragma once

#include <cstdint>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::detail {

// What Save asks of the context it saves. A context answers through its
// public members, so that each one's own error trap applies.
class SaveCalls {
 public:
  virtual ~SaveCalls() = default;
  // KeepGeneration under RenameAsNextFileCycle's trap: a failure is
  // reported there and Save carries on.
  virtual void KeepGeneration(const std::string& path, int16_t retained) = 0;
  virtual bool MakeFolder(FileSystemObject& fso, const std::string& folder) = 0;
  virtual void Wait(float seconds) = 0;
};

// The steps of Save, run inside its trap. `path` is set to the path being
// written as soon as it is known (the trap names it). Raises on failure.
void SaveFile(ContextState& state, SaveCalls& calls, const std::string& filename,
              std::string& path);

// Save's own trap report: the uniform one with the detail "Save File:
// <path>" between RegisterError and HandleError. Error 91 without a host.
void ReportSaveFailure(const HostSlot& slot, const std::string& path, const Error& failure);

// Runs `body` under Save's trap.
template <class Body>
void SaveTrapped(const HostSlot& slot, const std::string& path, Body&& body) {
  Error failure(0);
  try {
    body();
    return;
  } catch (...) {
    failure = CurrentExceptionAsError();
  }
  ReportSaveFailure(slot, path, failure);
}

}  // namespace tamrel::detail
