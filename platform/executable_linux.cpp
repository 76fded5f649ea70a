#include <system_error>

#include "platform/executable.h"

namespace zavin::platform {

std::filesystem::path ExecutablePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

}  // namespace zavin::platform
