// The platform message box as a QMessageBox.
#pragma once

#include <cstdint>
#include <string>

#include "tamrel/variant.hpp"

namespace tamrel::qt::detail {

// Shows `prompt` modally with the buttons, icon and default button of the
// run-time's style number; returns the run-time's number of the button
// pressed.
Variant ShowQtMessageBox(const std::string& prompt, int16_t style, const std::string& title);

}  // namespace tamrel::qt::detail
