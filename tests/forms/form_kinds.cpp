// This program runs the form-binding suite over the standard controls only.
#include "forms/form_kit.hpp"

namespace tamrel::testing {

std::vector<FormKind> FormKinds() { return {StandardFormKind()}; }

}  // namespace tamrel::testing
