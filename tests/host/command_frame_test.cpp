#include "host/command_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/call_log.h"
#include "tests/cad/host_probe.h"
#include "tests/host/test_host.h"

namespace zavin::host {
namespace {

using ::testing::IsEmpty;

class CommandFrameTest : public testing::HostTest {
 protected:
  std::int32_t Snap() const { return db().GetVar("SNAPMODE").ToInt32(); }

  int ended_constructions_ = 0;
  CommandFrame frame_{t_.link, [this] { ++ended_constructions_; }};
};

TEST_F(CommandFrameTest, HostNotRunningEndsAtF1WithoutTouchingAnything) {
  t_.link.HostProgId = "NotInstalled.Application";
  db().SetVar("SNAPMODE", std::int16_t{1});
  const std::int64_t calls = host().call_count();
  platform::ClearPlatformCallLog();
  bool body_ran = false, exit_ran = false;

  const FrameOutcome outcome = frame_.Run(
      FrameSteps().EndPendingConstruction().Snap(SnapGuard::RestoreRemembered).OnExit(
          [&](const HostLink&) { exit_ran = true; }),
      [&](const Document&, CommandContext&) { body_ran = true; });

  EXPECT_EQ(outcome, FrameOutcome::HostNotRunning);
  EXPECT_FALSE(body_ran);
  EXPECT_FALSE(exit_ran);
  EXPECT_EQ(ended_constructions_, 0);
  EXPECT_EQ(host().call_count(), calls);
  EXPECT_THAT(platform::PlatformCallLog(), IsEmpty());
  EXPECT_FALSE(t_.link.HostApplication.valid());
  EXPECT_EQ(Snap(), 1);
}

TEST_F(CommandFrameTest, CompletedRunConnectsActivatesAndHandsTheDocumentOver) {
  db().SetVar("SNAPMODE", std::int16_t{1});
  std::int32_t snap_in_body = -1;
  std::int64_t hwnd_in_body = 0;
  int exits = 0;

  const FrameOutcome outcome = frame_.Run(
      FrameSteps().EndPendingConstruction().Snap(SnapGuard::RestoreRemembered).OnExit(
          [&](const HostLink&) { ++exits; }),
      [&](const Document& doc, CommandContext& ctx) {
        snap_in_body = doc.GetVariable("SNAPMODE").ToInt32();
        hwnd_in_body = ctx.application().HWND();
      });

  EXPECT_EQ(outcome, FrameOutcome::Completed);
  EXPECT_EQ(snap_in_body, 0);
  EXPECT_EQ(Snap(), 1);
  EXPECT_EQ(hwnd_in_body, host().hwnd());
  EXPECT_EQ(t_.link.HostApplication.ref(), host().Application());
  // F4 cancelled whatever the host was doing.
  EXPECT_EQ(cad::testing::Probe(host()).escape_count(), 1);
  EXPECT_EQ(ended_constructions_, 1);
  EXPECT_EQ(exits, 1);
}

TEST_F(CommandFrameTest, EndPendingConstructionOnlyWhenTheCommandAsksForIt) {
  EXPECT_EQ(frame_.Run({}, {}), FrameOutcome::Completed);
  EXPECT_EQ(ended_constructions_, 0);
  EXPECT_EQ(frame_.Run(FrameSteps().EndPendingConstruction(), {}), FrameOutcome::Completed);
  EXPECT_EQ(ended_constructions_, 1);
}

TEST_F(CommandFrameTest, WithoutSnapGuardSnapModeIsNotTouched) {
  db().SetVar("SNAPMODE", std::int16_t{1});
  std::int32_t snap_in_body = -1;
  frame_.Run({}, [&](const Document& doc, CommandContext&) {
    snap_in_body = doc.GetVariable("SNAPMODE").ToInt32();
  });
  EXPECT_EQ(snap_in_body, 1);
}

TEST_F(CommandFrameTest, AnyErrorEndsSilentlyAndTheSnapGuardRestoresInItsFlavour) {
  const struct {
    const char* name;
    SnapGuard guard;
    std::int32_t before;
    std::int32_t set_by_body;  // -1: the body leaves SNAPMODE at 0
    std::int32_t after;
  } guards[] = {
      {"remembered 1", SnapGuard::RestoreRemembered, 1, -1, 1},
      {"remembered 0", SnapGuard::RestoreRemembered, 0, -1, 0},
      {"remembered 0, body turned it on", SnapGuard::RestoreRemembered, 0, 1, 0},
      {"one if one, 1", SnapGuard::RestoreOneIfOne, 1, -1, 1},
      {"one if one, 0", SnapGuard::RestoreOneIfOne, 0, -1, 0},
      // Nothing is written back unless it was 1.
      {"one if one, 0, body turned it on", SnapGuard::RestoreOneIfOne, 0, 1, 1},
  };
  const struct {
    const char* name;
    std::function<void(const Document&)> fail;
  } errors[] = {
      {"host error", [](const Document& doc) { doc.GetVariable("NO_SUCH_VARIABLE"); }},
      {"cancelled pick", [](const Document& doc) { doc.GetUtility().GetPoint("Point: "); }},
      {"text field not a number", [](const Document&) { (void)std::stod("x1"); }},
      {"other exception", [](const Document&) { throw std::logic_error("bug"); }},
  };
  for (const auto& g : guards) {
    for (const auto& e : errors) {
      SCOPED_TRACE(std::string(g.name) + ", " + e.name);
      db().SetVar("SNAPMODE", std::int16_t(g.before));
      bool exit_ran = false;
      bool after_error = false;
      const FrameOutcome outcome = frame_.Run(
          FrameSteps().Snap(g.guard).OnExit([&](const HostLink&) { exit_ran = true; }),
          [&](const Document& doc, CommandContext&) {
            if (g.set_by_body >= 0) db().SetVar("SNAPMODE", std::int16_t(g.set_by_body));
            e.fail(doc);
            after_error = true;
          });
      EXPECT_EQ(outcome, FrameOutcome::EndedByError);
      EXPECT_FALSE(after_error);
      EXPECT_TRUE(exit_ran);
      EXPECT_EQ(Snap(), g.after);
    }
  }
}

TEST_F(CommandFrameTest, RestoreSnapAfterThePicksWritesOnce) {
  db().SetVar("SNAPMODE", std::int16_t{1});
  std::int32_t snap_after_picks = -1;
  const FrameOutcome outcome =
      frame_.Run(FrameSteps().Snap(SnapGuard::RestoreRemembered), [&](const Document& doc, CommandContext& ctx) {
        ctx.RestoreSnap();
        snap_after_picks = doc.GetVariable("SNAPMODE").ToInt32();
        db().SetVar("SNAPMODE", std::int16_t{0});  // the user changes it afterwards
      });
  EXPECT_EQ(outcome, FrameOutcome::Completed);
  EXPECT_EQ(snap_after_picks, 1);
  EXPECT_EQ(Snap(), 0);  // not written a second time at the end
}

TEST_F(CommandFrameTest, HostClosedBetweenF1AndF3EndsByError) {
  bool body_ran = false;
  frame_.SetEndPendingConstruction([this] { host().Unregister(); });
  const FrameOutcome outcome = frame_.Run(
      FrameSteps().EndPendingConstruction(), [&](const Document&, CommandContext&) { body_ran = true; });
  EXPECT_EQ(outcome, FrameOutcome::EndedByError);
  EXPECT_FALSE(body_ran);
}

TEST_F(CommandFrameTest, ErrorInTheExitStepIsSwallowed) {
  const FrameOutcome outcome = frame_.Run(
      FrameSteps().OnExit([](const HostLink&) { throw platform::HostError(platform::hr::kFail, "gone"); }),
      {});
  EXPECT_EQ(outcome, FrameOutcome::Completed);
}

}  // namespace
}  // namespace zavin::host
