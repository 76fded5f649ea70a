// "_LEADER" as the number move sends it, and the leader it leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad/commands/command_line.h"
#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

class LeaderCommandTest : public CadTest {
 protected:
  void SetVar(const char* name, Variant v) { Call(Doc(), "SetVariable", {Variant(name), v}); }
  std::vector<const Entity*> Leaders() const { return host_->database().OfKind(EntityKind::Leader); }
};

TEST_F(LeaderCommandTest, TheToolsTextMakesALeaderWithTheScaledArrow) {
  db().AddLayer("WORK");
  SetVar("CLAYER", Variant("WORK"));
  SetVar("DIMASZ", Variant(4.0));
  SetVar("DIMSCALE", Variant(100.0));
  SetVar("DIMLDRBLK", Variant("."));
  Send("_LEADER\r1000.0000,1000.0000 3700.0000,4600.0000\r\r\rN\r");
  ASSERT_EQ(Leaders().size(), 1u);
  const Entity& e = *Leaders()[0];
  const LeaderData& l = *e.as<LeaderData>();
  EXPECT_EQ(l.vertices, (std::vector<Point3>{{1000, 1000, 0}, {3700, 4600, 0}}));
  EXPECT_DOUBLE_EQ(l.arrow_size, 400);
  EXPECT_TRUE(l.HasArrow()) << "\".\" is the default closed filled arrow";
  EXPECT_EQ(e.layer, "WORK");
  EXPECT_EQ(LastPoint(db()), (Point3{3700, 4600, 0}));
  EXPECT_EQ(db().model_space().size(), 1u) << "None: no annotation";
  EXPECT_TRUE(input_->prompts().empty());
  EXPECT_THAT(host_->command_line(),
              ::testing::Contains("Enter an annotation option [Tolerance/Copy/Block/None/Mtext] <Mtext>: N"));
}

TEST_F(LeaderCommandTest, ArrowSettingsPointsAndAnnotation) {
  struct Case {
    const char* name;
    double dimscale;
    const char* block;
    const char* text;
    std::vector<Point3> vertices;
    double arrow;
    const char* arrow_block;
    std::size_t texts;
  } cases[] = {
      {"DIMSCALE 0 counts as 1", 0, "", "_LEADER 0,0 1,1\r\r\rN\r", {{0, 0, 0}, {1, 1, 0}}, 2.5, "", 0},
      {"the DIMLDRBLK block", 2, "DOT", "_LEADER 0,0 1,1 2,0\r\r\rN\r",
       {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, 5, "DOT", 0},
      {"Undo drops the last point", 1, "", "_LEADER 0,0 1,1 2,0 U\r\r\rN\r",
       {{0, 0, 0}, {1, 1, 0}}, 2.5, "", 0},
      {"Format None takes the arrow off", 1, "", "_LEADER 0,0 1,1 F N\r\r\rN\r",
       {{0, 0, 0}, {1, 1, 0}}, 2.5, "_NONE", 0},
      {"text lines", 1, "", "_LEADER 0,0 5,5\r\rA\rB\r\r", {{0, 0, 0}, {5, 5, 0}}, 2.5, "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db().model_space().clear();
    db().SetVar("DIMSCALE", Variant(c.dimscale));
    db().SetVar("DIMLDRBLK", Variant(std::string(c.block)));
    Send(c.text);
    ASSERT_EQ(Leaders().size(), 1u);
    const LeaderData& l = *Leaders()[0]->as<LeaderData>();
    EXPECT_EQ(l.vertices, c.vertices);
    EXPECT_DOUBLE_EQ(l.arrow_size, c.arrow);
    EXPECT_EQ(l.arrow_block, c.arrow_block);
    EXPECT_EQ(db().OfKind(EntityKind::Text).size(), c.texts);
  }
  EXPECT_TRUE(input_->prompts().empty());
}

TEST_F(LeaderCommandTest, TheUserGivesWhatTheTextLeavesOut) {
  input_->PushPoint(3, 4);
  input_->PushEnter();  // <Annotation>
  input_->PushEnter();  // <options>
  input_->PushEnter();  // <Mtext>: no editor here, the leader stands alone
  Send("_LEADER\r1,1\r");
  ASSERT_EQ(Leaders().size(), 1u);
  EXPECT_EQ(Leaders()[0]->as<LeaderData>()->vertices, (std::vector<Point3>{{1, 1, 0}, {3, 4, 0}}));

  // Cancelled before the annotation: no leader.
  input_->PushPoint(3, 4);
  input_->PushCancel();
  Send("_LEADER\r1,1\r");
  EXPECT_EQ(Leaders().size(), 1u);
}

}  // namespace
}  // namespace zavin::cad::testing
