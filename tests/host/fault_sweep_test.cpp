#include "tests/host/fault_sweep.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/database.h"
#include "host/link.h"

namespace zavin::host::testing {
namespace {

using geometry::TAcadPoint;
using ::testing::IsEmpty;
using ::testing::Not;

// Picks a point, writes a line and a text on an ensured layer, finds them
// again with a temporary selection set and hands the window back.
void SampleBody(const Document& doc, CommandContext& ctx) {
  const TAcadPoint p = doc.GetUtility().GetPoint("Point: ");
  EnsureLayer(doc, "H_TEXT");
  const Block space = doc.ModelSpace();
  const Line line = space.AddLine(p, {p.x + 10, p.y, 0});
  line.SetLayer("H_TEXT");
  line.Update();
  const Text text = space.AddText("1", p, 2.5);
  text.SetLayer("H_TEXT");
  text.Update();

  ScopedTempSelectionSet set(doc);
  set->Select(kSelectCrossing, {p.x - 1, p.y - 1, 0}, {p.x + 1, p.y + 1, 0});
  if (set->Count() < 2) throw platform::HostError(platform::hr::kFail, "written entities not found");
  if (ReadLastEntity(doc) != LastEntity::Of(text.ObjectID()))
    throw platform::HostError(platform::hr::kFail, "text is not the last entity");
  BringHostToFront(ctx.link());
}

SweepCommand SampleCommand(SnapGuard guard, std::int32_t snap_before) {
  SweepCommand c;
  c.steps = FrameSteps().EndPendingConstruction().Snap(guard);
  c.body = SampleBody;
  c.snap_before = snap_before;
  c.setup = [](TestHost& t) {
    t.db().AddLine({-50, -50, 0}, {-40, -50, 0});
    t.input->PushPoint(10, 20);
  };
  return c;
}

TEST(FaultSweepTest, SampleCommandSurvivesAFailureAtEveryHostCall) {
  const struct {
    const char* name;
    SnapGuard guard;
    std::int32_t snap_before;
  } cases[] = {
      {"restore remembered, snap on", SnapGuard::RestoreRemembered, 1},
      {"restore remembered, snap off", SnapGuard::RestoreRemembered, 0},
      {"restore one if one, snap on", SnapGuard::RestoreOneIfOne, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const SweepReport report = RunFaultSweep(SampleCommand(c.guard, c.snap_before));
    EXPECT_EQ(report.clean_outcome, FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 20);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

// The harness itself: a command that deletes its set only when all went well
// must be caught.
TEST(FaultSweepTest, ReportsASelectionSetLeftBehindByAnError) {
  SweepCommand leaky;
  leaky.body = [](const Document& doc, CommandContext&) {
    const SelectionSet set = NewTempSelectionSet(doc);
    set.Select(kSelectAll, {}, {});
    set.Delete();
  };
  const SweepReport report = RunFaultSweep(leaky);
  EXPECT_EQ(report.clean_outcome, FrameOutcome::Completed);
  EXPECT_THAT(report.faults, Not(IsEmpty()));
}

}  // namespace
}  // namespace zavin::host::testing
