#include "host/link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numbers>

#include "platform/call_log.h"
#include "platform/message_queue.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"
#include "tests/cad/host_probe.h"
#include "tests/host/test_host.h"

namespace zavin::host {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::HostTest;

// An application double that records which state member is asked and
// answers busy a given number of times.
class StateRecordingApp : public platform::DispatchObject {
 public:
  explicit StateRecordingApp(int busy) : busy_(busy) {
    for (const char* name : {"GetAcadState", "GetGcadState", "GetZcadState"}) {
      AddMethod(name, [this, name](std::span<Variant>) -> Variant {
        asked.push_back(name);
        return state_;
      });
    }
  }
  std::vector<std::string> asked;

 private:
  class State : public platform::DispatchObject {
   public:
    explicit State(int& busy) {
      AddGet("IsQuiescent", [&busy](std::span<Variant>) { return Variant(busy-- <= 0); });
    }
  };
  int busy_;
  std::shared_ptr<State> state_ = std::make_shared<State>(busy_);
};

TEST(HostKindTest, ChoosesTheStateMemberFromTheUpperCasedProgId) {
  const struct {
    const char* prog_id;
    HostKind kind;
    const char* member;
  } cases[] = {
      {"ZWCAD.Application", HostKind::Zcad, "GetZcadState"},
      {"zwcad.application.2024", HostKind::Zcad, "GetZcadState"},
      {"BricscadApp.AcadApplication", HostKind::Acad, "GetAcadState"},
      {"Gcad.Application", HostKind::Gcad, "GetGcadState"},
      // GCAD is tested first.
      {"ZWCAD.GCAD.Application", HostKind::Gcad, "GetGcadState"},
      {"", HostKind::Acad, "GetAcadState"},
  };
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prog_id);
    EXPECT_EQ(HostKindOf(c.prog_id), c.kind);
    auto app = std::make_shared<StateRecordingApp>(0);
    WaitHostIdle(HostLink{c.prog_id, Application(app)}, 200);
    EXPECT_THAT(app->asked, ElementsAre(c.member));
  }
}

TEST(WaitHostIdleTest, AsksTheStateAgainAfterEveryBusyAnswer) {
  platform::ResetPlatform();
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  auto app = std::make_shared<StateRecordingApp>(2);
  WaitHostIdle(Application(app), HostKind::Zcad, 100);
  EXPECT_EQ(app->asked.size(), 3u);
  EXPECT_THAT(platform::PlatformCallLog(),
              ElementsAre("Sleep 100", "Sleep 100", "Sleep 100", "Sleep 100"));
}

class LinkTest : public HostTest {};

TEST_F(LinkTest, WaitHostIdleSleepsIntervalFirstEachBusyPollAndIntervalLast) {
  cad::testing::Probe(host()).faults().busy_polls = 3;
  WaitHostIdle(t_.application(), HostKind::Zcad, 200);
  EXPECT_EQ(clock_->sleep_count(), 1 + 3 + 1);
  EXPECT_EQ(clock_->slept_total(), 5 * 200);
}

TEST_F(LinkTest, HostRunningOnlyForARegisteredProgIdWithARunningInstance) {
  EXPECT_TRUE(HostRunning(testing::kTestProgId));
  EXPECT_TRUE(HostRunning("zwcad.APPLICATION"));
  EXPECT_FALSE(HostRunning("NotInstalled.Application"));
  EXPECT_FALSE(HostRunning(""));
  platform::RegisterProgId("Installed.Application", platform::Clsid{"{11111111-0000-0000-0000-000000000001}"});
  EXPECT_FALSE(HostRunning("Installed.Application"));  // registered, not running
  host().Unregister();
  EXPECT_FALSE(HostRunning(testing::kTestProgId));
}

TEST_F(LinkTest, ConnectHostStoresTheRunningApplicationOrRaises) {
  HostLink link{testing::kTestProgId, {}};
  ConnectHost(link);
  EXPECT_EQ(link.HostApplication.ref(), host().Application());
  EXPECT_EQ(link.HostApplication.HWND(), host().hwnd());

  HostLink missing{"NotInstalled.Application", {}};
  EXPECT_THROW(ConnectHost(missing), platform::HostError);
  EXPECT_FALSE(missing.HostApplication.valid());
}

TEST_F(LinkTest, ActivateHostRestoresRaisesAndPressesEscOnlyWhenForeground) {
  const std::string h = "#";  // the host window's handle, filled in per case
  const std::vector<std::string> raise = {"SetForegroundWindow " + h, "GetForegroundWindow"};
  const std::vector<std::string> esc = {"keybd_event 27 down", "Sleep 5", "keybd_event 27 up",
                                        "Sleep 200"};
  auto join = [](std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const struct {
    const char* name;
    bool minimized;
    bool refused;
    std::vector<std::string> log;
    int escapes;
  } cases[] = {
      {"minimized", true, false,
       join({{"IsIconic " + h, "OpenIcon " + h, "Sleep 500"}, raise, esc}), 1},
      {"shown", false, false, join({{"IsIconic " + h}, raise, esc}), 1},
      {"minimized, foreground refused", true, true,
       join({{"IsIconic " + h, "OpenIcon " + h, "Sleep 500"}, raise}), 0},
      {"shown, foreground refused", false, true, join({{"IsIconic " + h}, raise}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    HostLink link{testing::kTestProgId, {}};
    ConnectHost(link);
    const platform::Hwnd hwnd = link.HostApplication.HWND();
    if (c.minimized) platform::MinimizeWindow(hwnd);
    platform::SetForegroundRefused(c.refused);
    platform::ClearPlatformCallLog();
    const std::int64_t before = clock_->slept_total();

    ActivateHost(link);

    std::vector<std::string> expected = c.log;
    for (std::string& line : expected)
      if (line.ends_with(" #")) line.replace(line.size() - 1, 1, std::to_string(hwnd));
    EXPECT_THAT(platform::PlatformCallLog(), ElementsAreArray(expected));
    EXPECT_EQ(cad::testing::Probe(host()).escape_count(), c.escapes);
    EXPECT_FALSE(platform::IsIconic(hwnd));
    EXPECT_EQ(clock_->slept_total() - before, (c.minimized ? 500 : 0) + (c.escapes ? 205 : 0));
  }
}

TEST_F(LinkTest, ReadAngleSettingsPutsBackOnlyValidAngleUnits) {
  const struct {
    std::int32_t aunits_before;
    std::int32_t aunits_after;
  } cases[] = {{0, 0}, {3, 3}, {4, 4}, {6, 0}, {-1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.aunits_before);
    db().SetVar("AUNITS", std::int16_t(c.aunits_before));
    db().SetVar("ANGBASE", 90.0);
    db().SetVar("ANGDIR", std::int16_t{1});
    const AngleSettings s = ReadAngleSettings(document());
    EXPECT_DOUBLE_EQ(s.angle_base, std::numbers::pi / 2);
    EXPECT_EQ(s.angle_direction, 1);
    EXPECT_EQ(db().GetVar("AUNITS").ToInt32(), c.aunits_after);
  }
}

TEST_F(LinkTest, ReadAngleSettingsKeepsAngleUnitsWhenAReadFails) {
  db().SetVar("AUNITS", std::int16_t{3});
  const Document doc = document();
  // AUNITS read, AUNITS := 0, then the ANGBASE read fails.
  cad::testing::Probe(host()).faults().fail_call = host().call_count() + 3;
  EXPECT_THROW(ReadAngleSettings(doc), platform::HostError);
  EXPECT_EQ(db().GetVar("AUNITS").ToInt32(), 3);
}

TEST(MessageFilterTest, AnswersOfTheCallbacks) {
  auto filter = TMessageFilter::Create();
  EXPECT_EQ(filter->HandleInComingCall(0, 0, 0), 0u);
  EXPECT_EQ(filter->RetryRejectedCall(0, 0, platform::kRejectRetryLater), 1000);
  EXPECT_EQ(filter->RetryRejectedCall(0, 5000, platform::kRejectRetryLater), 1000);
  EXPECT_EQ(filter->RetryRejectedCall(0, 0, platform::kRejectReject), -1);
  EXPECT_EQ(filter->RetryRejectedCall(0, 0, 0), -1);
  EXPECT_EQ(filter->MessagePending(0, 0, platform::kPendingTypeTopLevel), platform::kPendingWait);
}

TEST(MessageFilterTest, RegisterKeepsThePreviousFilterAndRevokePutsItBack) {
  platform::ResetPlatform();
  auto previous = TMessageFilter::Create();
  previous->RegisterFilter();
  auto filter = TMessageFilter::Create();
  filter->RegisterFilter();
  filter->RegisterFilter();  // no effect: must not keep itself as the previous one
  EXPECT_EQ(platform::CurrentMessageFilter(), filter);
  filter->RevokeFilter();
  EXPECT_EQ(platform::CurrentMessageFilter(), previous);
  filter->RevokeFilter();  // not registered any more: nothing changes
  EXPECT_EQ(platform::CurrentMessageFilter(), previous);
  previous->RevokeFilter();
  EXPECT_EQ(platform::CurrentMessageFilter(), nullptr);
}

TEST_F(LinkTest, BusyHostIsRetriedEverySecondUntilItAccepts) {
  auto filter = TMessageFilter::Create();
  filter->RegisterFilter();
  const platform::Hwnd tool = platform::CreateWindow("tool");
  int clicks = 0;
  platform::PostWindowMessage(tool, "click", [&clicks] { ++clicks; });
  cad::testing::Probe(host()).faults().reject_until_ms = clock_->NowMs() + 3000;
  platform::ClearPlatformCallLog();

  const Document doc = t_.application().ActiveDocument();

  EXPECT_TRUE(doc.valid());
  EXPECT_EQ(clock_->sleep_count(), 3);
  EXPECT_EQ(clock_->slept_total(), 3000);
  // The tool's window did not react while the call waited.
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(platform::PendingMessageCount(), 1u);
  filter->RevokeFilter();
}

TEST_F(LinkTest, RejectedCallFailsWithoutTheFilter) {
  cad::testing::Probe(host()).faults().reject_until_ms = clock_->NowMs() + 3000;
  EXPECT_THROW(t_.application().ActiveDocument(), platform::HostError);
}

}  // namespace
}  // namespace zavin::host
