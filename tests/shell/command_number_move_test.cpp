// 番号移動 end to end: the tool window's Button5 against the embedded host,
// whose move and leader commands are stand-ins that record what they saw.

#include "shell/command_number_move.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "cad/embedded_host.h"
#include "tests/cad/host_probe.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"
#include "tools/number_move.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// What the stand-in commands saw.
struct HostCommands {
  int moves = 0;
  std::vector<std::int64_t> moved;  // the previous selection at MOVE
  int leaders = 0;
  double dimasz_at_leader = 0;
  std::string dimldrblk_at_leader;
};

// MOVE takes the previous selection to `destination` (LASTPOINT follows);
// LEADER notes the arrowhead settings it runs with.
void DefineStandIns(cad::EmbeddedHost& host, const std::shared_ptr<HostCommands>& seen,
                    cad::Point3 destination) {
  cad::testing::Probe(host).DefineCommand(
      "MOVE", [seen, destination](cad::EmbeddedHost& h, const std::vector<std::string>&) {
        ++seen->moves;
        seen->moved = cad::testing::Probe(h).previous_selection();
        h.database().SetPointVar("LASTPOINT", destination);
      });
  cad::testing::Probe(host).DefineCommand(
      "LEADER", [seen](cad::EmbeddedHost& h, const std::vector<std::string>&) {
        ++seen->leaders;
        seen->dimasz_at_leader = h.database().GetVar("DIMASZ").ToDouble();
        seen->dimldrblk_at_leader = h.database().GetVar("DIMLDRBLK").ToText();
      });
}

// The marker of the worked example: circle of radius 500 and number 12 at
// (1000, 1000); DIMASZ 2.5, DIMSCALE 100, DIMLDRBLK _DOT.
class NumberMoveFixture : public host::testing::HostTest {
 protected:
  NumberMoveFixture() {
    form_.Link.HostProgId = host::testing::kTestProgId;
    InstallCommands(form_, state_);
    form_.FormCreate();
    circle_ = db().AddCircle({1000, 1000, 0}, 500, "H_TEXT");
    text_ = db().AddText("12", {1000, 1000, 0}, 400, "H_TEXT");
    db().SetVar("DIMASZ", 2.5);
    db().SetVar("DIMSCALE", 100.0);
    db().SetVar("DIMLDRBLK", "_DOT");
  }
  ~NumberMoveFixture() override { form_.FormDestroy(); }

  void Pick(std::initializer_list<std::int64_t> ids) {
    for (std::int64_t id : ids) t_.input->PushEntity(id);
    t_.input->PushEnter();
  }
  void Run(bool leader) {
    form_.CheckBox3.SetChecked(leader);
    form_.Button5.Click();
  }
  std::vector<std::pair<cad::Point3, cad::Point3>> Lines() const {
    std::vector<std::pair<cad::Point3, cad::Point3>> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line)) {
      const cad::LineData& l = *e->as<cad::LineData>();
      out.emplace_back(l.start, l.end);
    }
    return out;
  }
  void ExpectNothingHappened() {
    EXPECT_THAT(host().sent_commands(), IsEmpty());
    EXPECT_EQ(seen_->moves, 0);
    EXPECT_THAT(Lines(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<HostCommands> seen_ = std::make_shared<HostCommands>();
  std::int64_t circle_ = 0, text_ = 0;
};

// With the stand-in commands: the user moves the marker to (4000, 5000).
class NumberMoveCommandTest : public NumberMoveFixture {
 protected:
  NumberMoveCommandTest() { DefineStandIns(host(), seen_, {4000, 5000, 0}); }
};

TEST_F(NumberMoveCommandTest, WithoutArrowALineJoinsTheOldCentreToTheMovedCircle) {
  state_.Created.RecordCreatedObjects = true;
  form_.Button9.SetEnabled(true);
  Pick({text_, circle_});
  Run(/*leader=*/false);

  EXPECT_THAT(host().sent_commands(), ElementsAre("MOVE\rPRE\r\r1000.000,1000.000,0.000\r"));
  EXPECT_THAT(seen_->moved, ::testing::UnorderedElementsAre(text_, circle_));
  ASSERT_EQ(Lines().size(), 1u);
  const auto [start, end] = Lines().front();
  EXPECT_EQ(start, (cad::Point3{1000, 1000, 0}));
  EXPECT_NEAR(end.x, 3700, 1e-9);
  EXPECT_NEAR(end.y, 4600, 1e-9);
  EXPECT_EQ(end.z, 0);
  EXPECT_EQ(seen_->leaders, 0);
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  EXPECT_FALSE(state_.Created.RecordCreatedObjects);  // F2
  EXPECT_FALSE(form_.Button9.Enabled());
}

TEST_F(NumberMoveCommandTest, LeaderRunsWithTheArrowSizeInDrawingUnitsAndTheSettingsComeBack) {
  const struct {
    const char* name;
    const char* dimldrblk;
    double dimscale;
    const char* restored;
    double dimasz_during;
  } cases[] = {
      {"named arrowhead, DIMSCALE 100", "_DOT", 100, "_DOT", 4},
      {"quoted block name", "\"MyArrow\"", 100, "MyArrow", 4},
      {"default arrowhead", "", 100, "", 4},  // written back as ".", held as ""
      {"DIMSCALE 0 counts as 1", "_DOT", 0, "_DOT", 400},
      {"negative DIMSCALE counts as 1", "_DOT", -2, "_DOT", 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    *seen_ = {};
    db().SetVar("DIMLDRBLK", c.dimldrblk);
    db().SetVar("DIMSCALE", c.dimscale);
    const std::size_t sent = host().sent_commands().size();
    Pick({circle_, text_});
    Run(/*leader=*/true);

    ASSERT_EQ(host().sent_commands().size(), sent + 2);
    EXPECT_EQ(host().sent_commands().back(),
              "_LEADER\r1000.0000,1000.0000 3700.0000,4600.0000\r\r\rN\r");
    EXPECT_EQ(seen_->leaders, 1);
    EXPECT_DOUBLE_EQ(seen_->dimasz_at_leader, c.dimasz_during);
    EXPECT_EQ(seen_->dimldrblk_at_leader, "");  // "." selects the default arrowhead
    EXPECT_DOUBLE_EQ(db().GetVar("DIMASZ").ToDouble(), 2.5);
    EXPECT_EQ(db().GetVar("DIMLDRBLK").ToText(), c.restored);
    EXPECT_THAT(Lines(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }
}

TEST_F(NumberMoveCommandTest, PickThatIsNotOneTextAndOneCircleDoesNothing) {
  const std::int64_t circle2 = db().AddCircle({9000, 9000, 0}, 500);
  const std::int64_t text2 = db().AddText("13", {9000, 9000, 0}, 400);
  const struct {
    const char* name;
    std::vector<std::int64_t> picked;
  } cases[] = {
      {"two circles", {circle_, circle2}},
      {"two texts", {text_, text2}},
      {"three entities", {circle_, text_, text2}},
      {"one circle", {circle_}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::int64_t id : c.picked) t_.input->PushEntity(id);
    t_.input->PushEnter();
    Run(/*leader=*/true);
    ExpectNothingHappened();
    EXPECT_EQ(db().GetVar("DIMLDRBLK").ToText(), "_DOT");
  }
}

TEST_F(NumberMoveCommandTest, CancelledPickOrBadArrowSizeEndsSilently) {
  t_.input->PushCancel();
  Run(/*leader=*/true);
  ExpectNothingHappened();

  form_.Edit14.SetText("abc");
  Pick({text_, circle_});
  Run(/*leader=*/true);
  EXPECT_EQ(t_.input->pending(), 3u);  // ended before the pick
  ExpectNothingHappened();

  // Without the arrow the size is not needed.
  Run(/*leader=*/false);
  EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(NumberMoveCommandTest, WithoutAHostNothingHappens) {
  host().Unregister();
  Pick({text_, circle_});
  Run(/*leader=*/true);
  EXPECT_EQ(t_.input->pending(), 3u);
  EXPECT_THAT(host().sent_commands(), IsEmpty());
}

// The host's own move and leader commands: the marker moves with its
// record, and the leader points from the old centre to the moved circle with
// an arrowhead Edit14 drawing units long.
using NumberMoveOnTheHostTest = NumberMoveFixture;

TEST_F(NumberMoveOnTheHostTest, MarkerMovesWithItsRecordAndTheLeaderPointsBack) {
  document().ObjectIdToObject(text_).SetXdata(annotate::TriangleXdata({4000, 5000, 3000}));
  Pick({text_, circle_});
  t_.input->PushPoint(4000, 5000);  // the destination the move asks for
  Run(/*leader=*/true);

  EXPECT_EQ(t_.input->pending(), 0u);
  EXPECT_EQ(db().Find(circle_)->as<cad::CircleData>()->center, (cad::Point3{4000, 5000, 0}));
  EXPECT_EQ(db().Find(text_)->as<cad::TextData>()->insertion, (cad::Point3{4000, 5000, 0}));
  EXPECT_EQ(annotate::ParseTriangleXdata(document().ObjectIdToObject(text_).GetXdata("QM_ZAVIN")),
            (annotate::TriangleSides{4000, 5000, 3000}));
  const auto leaders = db().OfKind(cad::EntityKind::Leader);
  ASSERT_EQ(leaders.size(), 1u);
  const cad::LeaderData& l = *leaders.front()->as<cad::LeaderData>();
  ASSERT_EQ(l.vertices.size(), 2u);
  EXPECT_EQ(l.vertices[0], (cad::Point3{1000, 1000, 0}));
  EXPECT_NEAR(l.vertices[1].x, 3700, 1e-4);
  EXPECT_NEAR(l.vertices[1].y, 4600, 1e-4);
  EXPECT_DOUBLE_EQ(l.arrow_size, 400);  // DIMASZ 4 x DIMSCALE 100
  EXPECT_TRUE(l.HasArrow());
  EXPECT_EQ(db().OfKind(cad::EntityKind::Text).size(), 1u);  // no annotation text
  EXPECT_DOUBLE_EQ(db().GetVar("DIMASZ").ToDouble(), 2.5);
  EXPECT_EQ(db().GetVar("DIMLDRBLK").ToText(), "_DOT");
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
}

// Whichever host call fails: no temporary selection set is left, the marker
// is kept, and DIMASZ and DIMLDRBLK hold their values again.
TEST(NumberMoveFaultSweep, EveryFailureRestoresTheArrowSettings) {
  const struct {
    const char* name;
    bool leader;
    bool stand_ins;  // else the host's own MOVE and LEADER
  } cases[] = {{"leader", true, true}, {"line", false, true}, {"host's leader", true, false}};
  for (const auto& [name, leader, stand_ins] : cases) {
    SCOPED_TRACE(name);
    TForm1 form;
    form.CheckBox3.SetChecked(leader);
    auto seen = std::make_shared<HostCommands>();
    auto kept = std::make_shared<std::vector<std::int64_t>>();
    host::testing::SweepCommand command;
    command.steps = NumberMoveSteps();
    command.body = NumberMoveBody(form);
    command.setup = [seen, kept, stand_ins = stand_ins](host::testing::TestHost& t) {
      if (stand_ins) DefineStandIns(*t.host, seen, {4000, 5000, 0});
      *kept = {t.db().AddCircle({1000, 1000, 0}, 500), t.db().AddText("12", {1000, 1000, 0}, 400)};
      t.db().SetVar("DIMASZ", 2.5);
      t.db().SetVar("DIMSCALE", 100.0);
      t.db().SetVar("DIMLDRBLK", "\"MyArrow\"");
      for (std::int64_t id : *kept) t.input->PushEntity(id);
      t.input->PushEnter();
      if (!stand_ins) t.input->PushPoint(4000, 5000);  // the move's destination
    };
    command.check = [kept](host::testing::TestHost& t) -> std::string {
      if (t.db().GetVar("DIMASZ").ToDouble() != 2.5) return "DIMASZ not restored";
      const std::string block = t.db().GetVar("DIMLDRBLK").ToText();
      if (block != "MyArrow" && block != "\"MyArrow\"") return "DIMLDRBLK is " + block;
      return host::testing::AngleUnitsAndEntitiesKept(t, t.db().GetVar("AUNITS").ToInt32(), *kept);
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 10);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

}  // namespace
}  // namespace zavin::shell
