#pragma once

#include <cstdint>
#include <memory>

namespace zavin::platform {

// Time source for every wait of the tool. Tests install a VirtualClock so that
// no test sleeps for real.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowMs() = 0;
  virtual void SleepMs(std::int64_t ms) = 0;
};

// Real time.
class SystemClock : public Clock {
 public:
  std::int64_t NowMs() override;
  void SleepMs(std::int64_t ms) override;
};

// Time advances only by sleeping; records the sleeps it was asked for.
class VirtualClock : public Clock {
 public:
  std::int64_t NowMs() override { return now_; }
  void SleepMs(std::int64_t ms) override;
  std::int64_t slept_total() const { return slept_total_; }
  std::int64_t sleep_count() const { return sleep_count_; }

 private:
  std::int64_t now_ = 0;
  std::int64_t slept_total_ = 0;
  std::int64_t sleep_count_ = 0;
};

Clock& CurrentClock();
// Installs `clock` (nullptr restores the system clock); returns the previous one.
std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock);

// The platform's Sleep, through the current clock; logged as "Sleep 500"
// in the platform call log.
void Sleep(std::int64_t ms);

// Installs a clock for a scope, restoring the previous one on exit.
class ScopedClock {
 public:
  explicit ScopedClock(std::shared_ptr<Clock> clock) : previous_(SetClock(std::move(clock))) {}
  ~ScopedClock() { SetClock(previous_); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  std::shared_ptr<Clock> previous_;
};

}  // namespace zavin::platform
