#include "platform/windows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform_fixture.h"

namespace zavin::platform {
namespace {

using ::testing::ElementsAre;

// Two windows, as in the program: the tool's own and the host's, each
// recording the keys it receives.
class WindowsTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    tool_ = CreateWindow("tool");
    host_ = CreateWindow("host");
    SetKeyHandler(tool_, Recorder(tool_keys_));
    SetKeyHandler(host_, Recorder(host_keys_));
  }

  static KeyHandler Recorder(std::vector<std::string>& keys) {
    return [&keys](std::uint8_t vk, bool down) {
      keys.push_back(std::to_string(vk) + (down ? " down" : " up"));
    };
  }

  Hwnd tool_ = kNoWindow, host_ = kNoWindow;
  std::vector<std::string> tool_keys_, host_keys_;
};

TEST_F(WindowsTest, MinimizedHostIsRestoredActivatedAndReceivesTheKeys) {
  SetForegroundWindow(tool_);
  MinimizeWindow(host_);
  ClearPlatformCallLog();

  ASSERT_TRUE(IsIconic(host_));
  EXPECT_TRUE(OpenIcon(host_));
  Sleep(500);
  EXPECT_FALSE(IsIconic(host_));
  EXPECT_TRUE(SetForegroundWindow(host_));
  ASSERT_EQ(GetForegroundWindow(), host_);
  keybd_event(VK_ESCAPE, 0);
  keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);

  EXPECT_THAT(host_keys_, ElementsAre("27 down", "27 up"));
  EXPECT_TRUE(tool_keys_.empty());
  EXPECT_EQ(clock_->NowMs(), 500);
  const std::string h = std::to_string(host_);
  EXPECT_THAT(PlatformCallLog(),
              ElementsAre("IsIconic " + h, "OpenIcon " + h, "Sleep 500", "IsIconic " + h,
                          "SetForegroundWindow " + h, "GetForegroundWindow", "keybd_event 27 down",
                          "keybd_event 27 up"));
}

TEST_F(WindowsTest, RefusedForegroundKeepsTheKeysAwayFromTheHost) {
  SetForegroundWindow(tool_);
  MinimizeWindow(host_);
  SetForegroundRefused(true);

  EXPECT_TRUE(OpenIcon(host_));
  EXPECT_FALSE(IsIconic(host_));  // restored all the same
  EXPECT_FALSE(SetForegroundWindow(host_));
  EXPECT_EQ(GetForegroundWindow(), tool_);
  EXPECT_TRUE(SetForegroundWindow(tool_));  // already in front

  SetForegroundRefused(false);
  EXPECT_TRUE(SetForegroundWindow(host_));
  EXPECT_EQ(GetForegroundWindow(), host_);
}

TEST_F(WindowsTest, KeysGoToTheForegroundWindowOnlyAndAreLostWithoutOne) {
  keybd_event(VK_ESCAPE);  // nothing in front
  SetForegroundWindow(tool_);
  keybd_event('A');
  MinimizeWindow(tool_);  // a minimized window leaves the foreground
  EXPECT_EQ(GetForegroundWindow(), kNoWindow);
  keybd_event('B');
  EXPECT_THAT(tool_keys_, ElementsAre("65 down"));
  EXPECT_TRUE(host_keys_.empty());
}

TEST_F(WindowsTest, KeyHandlerThatThrowsOrDestroysItsWindowDoesNotReachTheSender) {
  SetForegroundWindow(host_);
  SetKeyHandler(host_, [](std::uint8_t, bool) { throw std::runtime_error("receiver failed"); });
  EXPECT_NO_THROW(keybd_event(VK_ESCAPE));

  SetKeyHandler(host_, [this](std::uint8_t, bool) { DestroyWindow(host_); });
  EXPECT_NO_THROW(keybd_event(VK_ESCAPE));
  EXPECT_FALSE(IsWindow(host_));
  EXPECT_EQ(GetForegroundWindow(), kNoWindow);
}

TEST_F(WindowsTest, InvalidHandlesAreRefusedWithoutEffect) {
  SetForegroundWindow(tool_);
  for (Hwnd bad : {kNoWindow, Hwnd{-1}, Hwnd{9999}}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_FALSE(IsIconic(bad));
    EXPECT_FALSE(OpenIcon(bad));
    EXPECT_FALSE(SetForegroundWindow(bad));
    EXPECT_FALSE(MinimizeWindow(bad));
    EXPECT_FALSE(SetKeyHandler(bad, {}));
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_EQ(WindowTitle(bad), "");
    EXPECT_EQ(GetForegroundWindow(), tool_);
  }
}

TEST_F(WindowsTest, DestroyingAWindowDropsItsMessagesAndItsForeground) {
  SetForegroundWindow(host_);
  PostWindowMessage(tool_, "tool click", [] {});
  PostWindowMessage(host_, "host paint", [] {});
  EXPECT_TRUE(DestroyWindow(host_));
  EXPECT_FALSE(DestroyWindow(host_));
  EXPECT_EQ(GetForegroundWindow(), kNoWindow);
  EXPECT_THAT(PendingMessageNames(), ElementsAre("tool click"));
}

TEST_F(WindowsTest, ResetNeverReusesAHandle) {
  SetForegroundRefused(true);
  ResetWindows();
  EXPECT_FALSE(IsWindow(tool_));
  const Hwnd fresh = CreateWindow("again");
  EXPECT_NE(fresh, tool_);
  EXPECT_NE(fresh, host_);
  // An object that outlived the reset closes its own, stale handle only.
  EXPECT_FALSE(DestroyWindow(tool_));
  EXPECT_FALSE(DestroyWindow(host_));
  EXPECT_EQ(WindowTitle(fresh), "again");
  EXPECT_TRUE(SetForegroundWindow(fresh));  // the refusal was reset too
}

TEST(CallLogTest, KeepsOnlyTheNewestEntries) {
  ClearPlatformCallLog();
  for (std::size_t i = 0; i < kCallLogLimit + 10; ++i) LogPlatformCall(std::to_string(i));
  const auto log = PlatformCallLog();
  ASSERT_EQ(log.size(), kCallLogLimit);
  EXPECT_EQ(log.front(), "10");
  EXPECT_EQ(log.back(), std::to_string(kCallLogLimit + 9));
  ClearPlatformCallLog();
}

}  // namespace
}  // namespace zavin::platform
