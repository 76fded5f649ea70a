#include "platform/clock.h"

#include <chrono>
#include <thread>

#include "platform/call_log.h"

namespace zavin::platform {

std::int64_t SystemClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepMs(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void VirtualClock::SleepMs(std::int64_t ms) {
  if (ms < 0) ms = 0;
  now_ += ms;
  slept_total_ += ms;
  ++sleep_count_;
}

namespace {
std::shared_ptr<Clock>& Installed() {
  static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
  return clock;
}
}  // namespace

Clock& CurrentClock() { return *Installed(); }

std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock) {
  auto previous = Installed();
  Installed() = clock ? std::move(clock) : std::make_shared<SystemClock>();
  return previous;
}

void Sleep(std::int64_t ms) {
  LogPlatformCall("Sleep " + std::to_string(ms));
  CurrentClock().SleepMs(ms);
}

}  // namespace zavin::platform
