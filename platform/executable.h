#pragma once

#include <filesystem>

namespace zavin::platform {

// The running program's executable, as a full path; empty when the platform
// cannot tell. One backend per platform (executable_linux.cpp,
// executable_win32.cpp).
std::filesystem::path ExecutablePath();

}  // namespace zavin::platform
