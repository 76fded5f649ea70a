#include "platform/executable.h"

#include <windows.h>

#include <string>

namespace zavin::platform {

std::filesystem::path ExecutablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    // A full buffer may hold a cut path: try again with more room.
    if (n < buf.size()) {
      buf.resize(n);
      return std::filesystem::path(buf);
    }
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

}  // namespace zavin::platform
