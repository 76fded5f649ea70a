#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zavin::platform {

// The stand-in platform's record of the calls a test wants to see in order:
// the window and key functions, Sleep and MessageBoxW. Entries look like
// "OpenIcon 7", "Sleep 500", "keybd_event 27 down". Only the newest
// kCallLogLimit entries are kept, so a long-running program does not grow it
// without bound.
inline constexpr std::size_t kCallLogLimit = 4096;

void LogPlatformCall(std::string entry);
std::vector<std::string> PlatformCallLog();
void ClearPlatformCallLog();

}  // namespace zavin::platform
