// The unmanaged-error box: how a failure during creation or destruction of a
// context is shown, there being no host to report it to.
#pragma once

#include <string>
#include <string_view>

#include "tamrel/error.hpp"

namespace tamrel::detail {

inline constexpr int16_t kUnmanagedErrorStyle = 48;  // exclamation icon, OK button

// The box's title: the application title + ": UNMANAGED ERROR".
std::string UnmanagedErrorTitle();
// The box's text for a failure in `procedure` ("Class_Initialize" or
// "Class_Terminate").
std::string UnmanagedErrorText(std::string_view procedure, const Error& error);
// Shows the box through the platform's message box and waits for OK.
// Never throws: the failure goes no further.
void ShowUnmanagedError(std::string_view procedure, const Error& error) noexcept;

}  // namespace tamrel::detail
