// "MOVE" as the number move sends it: the previous selection, the base point
// from the text, the destination from the user.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad/commands/command_line.h"
#include "cad_fixture.h"
#include "tests/cad/host_probe.h"

namespace zavin::cad::testing {
namespace {

class MoveCommandTest : public CadTest {
 protected:
  MoveCommandTest() {
    circle_ = db().AddCircle({1000, 1000, 0}, 500);
    text_ = db().AddText("12", {900, 900, 0}, 400);
    other_ = db().AddLine({0, 0, 0}, {10, 0, 0});
  }
  // Picks both marker entities through a selection set, as the tool does.
  void SelectMarker() {
    input_->PushEntity(circle_);
    input_->PushEntity(text_);
    input_->PushEnter();
    Call(NewSet(), "SelectOnScreen");
  }
  Point3 Center() { return db().Find(circle_)->as<CircleData>()->center; }
  Point3 TextAt() { return db().Find(text_)->as<TextData>()->insertion; }

  std::int64_t circle_, text_, other_;
};

TEST_F(MoveCommandTest, PreviousSelectionToTheUsersDestination) {
  SelectMarker();
  const std::size_t asked = input_->prompts().size();
  input_->PushPoint(4000, 5000);
  Send("MOVE\rPRE\r\r1000.000,1000.000,0.000\r");
  EXPECT_EQ(Center(), (Point3{4000, 5000, 0}));
  EXPECT_EQ(TextAt(), (Point3{3900, 4900, 0}));
  EXPECT_EQ(db().Find(other_)->as<LineData>()->end, (Point3{10, 0, 0}));
  EXPECT_EQ(LastPoint(db()), (Point3{4000, 5000, 0}));
  ASSERT_EQ(input_->prompts().size(), asked + 1);
  EXPECT_EQ(input_->prompts().back(), "Specify second point or <use first point as displacement>: ");
}

TEST_F(MoveCommandTest, EscapeAtTheDestinationLeavesThemUnmoved) {
  SelectMarker();
  input_->PushCancel();
  Send("MOVE\rPRE\r\r1000.000,1000.000,0.000\r");
  EXPECT_EQ(Center(), (Point3{1000, 1000, 0}));
  EXPECT_EQ(TextAt(), (Point3{900, 900, 0}));
  EXPECT_EQ(host_->command_line().back(), "*Cancel*");
}

TEST_F(MoveCommandTest, PicksFromTheUserAndOtherDisplacementForms) {
  // Picks until Enter, then the base point from the user too.
  input_->PushPick(1000, 500);  // on the circle
  input_->PushEnter();
  input_->PushPoint(0, 0);
  input_->PushPoint(10, 20);
  Send("._MOVE\r");
  EXPECT_EQ(Center(), (Point3{1010, 1020, 0}));
  EXPECT_EQ(TextAt(), (Point3{900, 900, 0}));
  EXPECT_EQ(Probe(*host_).previous_selection(), std::vector<std::int64_t>{circle_});

  // Enter at the second point: the base point is the displacement.
  Send("MOVE P  5,5,0\r\r");
  EXPECT_EQ(Center(), (Point3{1015, 1025, 0}));
  // The Displacement option.
  Send("MOVE L  D 1,1\r");
  EXPECT_EQ(db().Find(other_)->as<LineData>()->end, (Point3{11, 1, 0}));
  // Nothing selected: nothing asked, nothing moved.
  const std::size_t asked = input_->prompts().size();
  db().Erase(circle_);
  db().Erase(text_);
  db().Erase(other_);
  Send("MOVE PRE \r1,1\r2,2\r");
  EXPECT_EQ(input_->prompts().size(), asked);
  EXPECT_THAT(host_->command_line(), ::testing::Contains("0 found"));
}

}  // namespace
}  // namespace zavin::cad::testing
