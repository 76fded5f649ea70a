#include "platform/call_log.h"

#include <deque>

namespace zavin::platform {

namespace {
std::deque<std::string>& Entries() {
  static std::deque<std::string> entries;
  return entries;
}
}  // namespace

void LogPlatformCall(std::string entry) {
  auto& entries = Entries();
  entries.push_back(std::move(entry));
  while (entries.size() > kCallLogLimit) entries.pop_front();
}

std::vector<std::string> PlatformCallLog() {
  const auto& entries = Entries();
  return {entries.begin(), entries.end()};
}

void ClearPlatformCallLog() { Entries().clear(); }

}  // namespace zavin::platform
