// The application title: one per thread, "Tamrel" until Appl replaces it.
// It heads the unmanaged-error box and Load's messages and names the
// application folder.
#pragma once

#include <string>

namespace tamrel::detail {

const std::string& CurrentApplicationTitle();
void SetApplicationTitle(std::string title);

}  // namespace tamrel::detail
