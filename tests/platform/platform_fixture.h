#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/reset.h"

namespace zavin::platform {

// Fresh process-wide platform state and a virtual clock for every test.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPlatform(); }
  void TearDown() override { ResetPlatform(); }

  std::shared_ptr<VirtualClock> clock_ = std::make_shared<VirtualClock>();

 private:
  ScopedClock scoped_clock_{clock_};
};

// The code of the HostError `f` raises; 0 when it raises none.
inline std::int32_t ErrorCode(const std::function<void()>& f) {
  try {
    f();
  } catch (const HostError& e) {
    return e.code();
  }
  return 0;
}

}  // namespace zavin::platform
