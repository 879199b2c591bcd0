// The native implementations behind NativeHooks(), one set per platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tamrel/platform.hpp"

namespace tamrel::platform::native {

// Writes the title and the text to standard error and answers OK (1).
Variant ShowMessageBox(const std::string& prompt, int16_t style, const std::string& title);
// Lets the thread's pending window messages be processed.
void PumpMessages();
// The words the platform's Boolean-to-text conversion gives for the user.
BooleanWords SystemBooleanWords();
// Local time now as an OLE date.
double Now();
// Seconds since local midnight, with the fraction of the second.
float SecondsSinceMidnight();
// Adds the folder services and the file system of this platform to `hooks`.
void AddFolderServices(Hooks& hooks);

}  // namespace tamrel::platform::native

namespace tamrel::platform::native {

// The file system of this platform under FileSystemObject (defined with the
// platform's file backend).
std::shared_ptr<FileBackend> MakeFileBackend();

}  // namespace tamrel::platform::native
