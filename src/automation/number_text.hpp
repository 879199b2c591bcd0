// Text forms of floating-point numbers, as CStr gives them.
#pragma once

#include <string>

namespace tamrel::detail {

// Up to 15 significant digits, no trailing zeros, exponent form ("1E+20",
// "1E-05") when the decimal exponent is below -5 or at least 15. Zero of
// either sign is "0". Independent of the C locale.
std::string FormatDouble(double value);
// As FormatDouble with up to 7 significant digits.
std::string FormatSingle(float value);

}  // namespace tamrel::detail
