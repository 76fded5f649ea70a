// 群選択 end to end: the tool window, the embedded host and its drawing.

#include "shell/command_group_select.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "capture/group_select.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct Seg {
  double x1, y1, x2, y2;
};

class GroupSelectCommandTest : public host::testing::HostTest {
 protected:
  GroupSelectCommandTest() {
    InstallGroupSelectCommand(form_, state_);
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
  }
  ~GroupSelectCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  void Restart() {
    HostTest::Restart();
    boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
    platform::SetMessageBoxSink(boxes_);
  }

  std::int64_t Line(const Seg& s) { return db().AddLine({s.x1, s.y1, 0}, {s.x2, s.y2, 0}); }
  std::vector<std::int64_t> Lines(const std::vector<Seg>& segs) {
    std::vector<std::int64_t> ids;
    for (const Seg& s : segs) ids.push_back(Line(s));
    return ids;
  }

  // Button13 with the given entities picked, then Enter.
  void Run(const std::vector<std::int64_t>& picks) {
    for (std::int64_t id : picks) t_.input->PushEntity(id);
    t_.input->PushEnter();
    form_.Button13.Click();
  }

  static std::string P(const cad::Point3& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%.0f,%.0f)", p.x, p.y);
    return buf;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      out.push_back(e->as<cad::TextData>()->text + " " + e->layer);
    return out;
  }
  std::vector<std::string> Circles() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Circle))
      if (e->layer == "H_TEXT") out.push_back(P(e->as<cad::CircleData>()->center));
    return out;
  }
  std::vector<std::string> LinesOn(const std::string& layer) const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line))
      if (e->layer == layer)
        out.push_back(P(e->as<cad::LineData>()->start) + "-" + P(e->as<cad::LineData>()->end));
    return out;
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
};

// Incentres of the two halves of the 10000 square, cut from (0,0) to (10000,10000).
constexpr const char* kLowerRight = "(7071,2929)";
constexpr const char* kUpperLeft = "(2929,7071)";

TEST_F(GroupSelectCommandTest, SplitSquareIsAnnotatedInTheOrderOfTheSegmentList) {
  struct Case {
    const char* name;
    bool as_polyline;
    std::vector<std::string> texts;
    std::vector<std::string> circles;
  };
  const Case cases[] = {
      // The diagonal line comes first in the segment list although the
      // polyline is selected first: ((0,0),(10,10),(10,0)), ((10,10),(0,0),(0,10)).
      {"closed polyline and a diagonal line", true,
       {"14.14 H_TEXT", "10.00 H_TEXT", "10.00 H_TEXT", "7 H_TEXT", "10.00 H_TEXT", "10.00 H_TEXT",
        "8 H_TEXT"},
       {kLowerRight, kUpperLeft}},
      // ((10,0),(0,0),(10,10)), ((0,10),(10,10),(0,0)); the diagonal once.
      {"four lines and the diagonal", false,
       {"10.00 H_TEXT", "14.14 H_TEXT", "10.00 H_TEXT", "7 H_TEXT", "10.00 H_TEXT", "10.00 H_TEXT",
        "8 H_TEXT"},
       {kLowerRight, kUpperLeft}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    form_.UpDown4.SetPosition(7);
    std::vector<std::int64_t> picks;
    if (c.as_polyline) {
      picks.push_back(db().AddPolyline({{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}}, true));
      picks.push_back(Line({0, 0, 10000, 10000}));
    } else {
      picks = Lines({{0, 0, 10000, 0}, {10000, 0, 10000, 10000}, {10000, 10000, 0, 10000},
                     {0, 10000, 0, 0}, {0, 0, 10000, 10000}});
    }
    Run(picks);
    EXPECT_THAT(Texts(), ElementsAreArray(c.texts));
    EXPECT_THAT(Circles(), ElementsAreArray(c.circles));
    EXPECT_EQ(form_.UpDown4.Position(), 9);
    EXPECT_THAT(LinesOn("H_HEN"), IsEmpty());  // no side is drawn
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
    EXPECT_TRUE(state_.Created.CreatedObjectIds.empty());
  }
}

TEST_F(GroupSelectCommandTest, OverlappingAndInnerTrianglesAreAllNumbered) {
  struct Case {
    const char* name;
    std::vector<Seg> segments;
    std::vector<std::string> circles;
  };
  const Case cases[] = {
      {"both diagonals uncut",
       {{0, 0, 10000, 0}, {10000, 0, 10000, 10000}, {10000, 10000, 0, 10000}, {0, 10000, 0, 0},
        {0, 0, 10000, 10000}, {10000, 0, 0, 10000}},
       {kLowerRight, "(2929,2929)", "(7071,7071)", kUpperLeft}},
      {"inner point joined to the corners",
       {{0, 0, 12000, 0}, {12000, 0, 6000, 9000}, {6000, 9000, 0, 0}, {0, 0, 6000, 3000},
        {12000, 0, 6000, 3000}, {6000, 9000, 6000, 3000}},
       {"(6000,3211)", "(6000,1416)", "(7530,3946)", "(4470,3946)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    form_.UpDown4.SetPosition(1);
    Run(Lines(c.segments));
    EXPECT_THAT(Circles(), ElementsAreArray(c.circles));
    const std::vector<std::string> texts = Texts();
    for (const char* n : {"1 H_TEXT", "2 H_TEXT", "3 H_TEXT", "4 H_TEXT"})
      EXPECT_EQ(std::count(texts.begin(), texts.end(), n), 1) << n;
    EXPECT_EQ(form_.UpDown4.Position(), 5);
  }
}

// A lot drawn with repeated lines and a side in overlapping pieces: each
// triangle is numbered once, with its true sides.
TEST_F(GroupSelectCommandTest, RepeatedAndOverlappingLinesCountEachTriangleOnce) {
  const std::vector<Seg> once = {{0, 0, 10000, 0}, {10000, 0, 10000, 10000}, {10000, 10000, 0, 10000},
                                 {0, 10000, 0, 0}, {0, 0, 10000, 10000}};
  std::vector<Seg> drawn = once;
  drawn.insert(drawn.end(), once.begin(), once.end());           // every line twice
  drawn.push_back({10000, 10000, 0, 0});                         // the diagonal reversed
  drawn.push_back({0, 0, 6000, 0});                              // the bottom in two
  drawn.push_back({4000, 0, 10000, 0});                          //   overlapping pieces
  form_.UpDown4.SetPosition(1);
  Run(Lines(drawn));
  EXPECT_THAT(Circles(), ElementsAre(kLowerRight, kUpperLeft));
  EXPECT_THAT(Texts(), ElementsAre("10.00 H_TEXT", "14.14 H_TEXT", "10.00 H_TEXT", "1 H_TEXT", "10.00 H_TEXT",
                                   "10.00 H_TEXT", "2 H_TEXT"));
  EXPECT_EQ(form_.UpDown4.Position(), 3);
}

TEST_F(GroupSelectCommandTest, BaseHeightMethodLabelsTheSharedBaseOnceAndDrawsHeightLines) {
  form_.RadioGroup1.SetItemIndex(1);
  form_.UpDown4.SetPosition(3);
  Run(Lines({{0, 0, 10000, 0}, {10000, 0, 10000, 10000}, {10000, 10000, 0, 10000}, {0, 10000, 0, 0},
             {0, 0, 10000, 10000}}));
  EXPECT_THAT(Texts(), ElementsAre("14.14 H_TEXT", "7.07 H_TEXT", "3 H_TEXT", "7.07 H_TEXT", "4 H_TEXT"));
  EXPECT_THAT(LinesOn("H_TAKASA"), ElementsAre("(10000,0)-(5000,5000)", "(0,10000)-(5000,5000)"));
  EXPECT_EQ(Circles().size(), 2u);
  EXPECT_EQ(form_.UpDown4.Position(), 5);
}

TEST_F(GroupSelectCommandTest, SelectionsWithoutTrianglesEndQuietly) {
  struct Case {
    const char* name;
    std::vector<Seg> lines;
    bool text_and_circle;
  };
  const Case cases[] = {
      {"texts and circles only", {}, true},
      {"two lines", {{0, 0, 1000, 0}, {1000, 0, 0, 1000}}, true},
      {"an open corner of three lines", {{0, 0, 1000, 0}, {1000, 0, 0, 1000}, {0, 1000, 0, 2000}}, false},
      {"ends 0.002 apart", {{0, 0, 1000, 0}, {1000.002, 0, 0, 1000}, {0, 1000, 0, 0}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    std::vector<std::int64_t> picks = Lines(c.lines);
    if (c.text_and_circle) {
      picks.push_back(db().AddText("x", {0, 0, 0}, 100));
      picks.push_back(db().AddCircle({0, 0, 0}, 100));
    }
    const std::size_t before = db().model_space().size();
    Run(picks);
    EXPECT_EQ(db().model_space().size(), before);
    EXPECT_EQ(form_.UpDown4.Position(), 1);
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }
}

TEST_F(GroupSelectCommandTest, PolylinesWithoutSegmentsShowTheMessage) {
  const std::int64_t lone = db().AddPolyline({{5, 5}}, false);
  Run({lone, db().AddCircle({0, 0, 0}, 100)});
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].text, "線分またはポリラインではありません．.");
  EXPECT_EQ(boxes_->boxes()[0].caption, "IJ_Zavin");
  EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
  EXPECT_EQ(boxes_->boxes()[0].flags, platform::MB_OK);
  EXPECT_THAT(Texts(), IsEmpty());
}

TEST_F(GroupSelectCommandTest, TriangleWithoutAreaIsSkippedAndTheRestNumbered) {
  // Three collinear overlapping segments close a "triangle" of no area.
  Run(Lines({{0, 0, 1000, 0}, {0, 0, 2000, 0}, {1000, 0, 2000, 0}, {0, 5000, 3000, 5000},
             {3000, 5000, 0, 9000}, {0, 9000, 0, 5000}}));
  EXPECT_THAT(Circles(), ElementsAre("(1000,6000)"));
  EXPECT_EQ(form_.UpDown4.Position(), 2);
}

TEST_F(GroupSelectCommandTest, NumberRangeEndsTheRunWithTheMessage) {
  form_.UpDown4.SetPosition(annotate::kMaxNumber - 1);
  Run(Lines({{0, 0, 10000, 0}, {10000, 0, 10000, 10000}, {10000, 10000, 0, 10000}, {0, 10000, 0, 0},
             {0, 0, 10000, 10000}}));
  EXPECT_THAT(Circles(), ElementsAre(kLowerRight));
  EXPECT_EQ(form_.UpDown4.Position(), annotate::kMaxNumber);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].caption, "IJ_Zavin");
}

TEST_F(GroupSelectCommandTest, FieldThatIsNotANumberEndsSilentlyBeforeTheSelection) {
  for (TEdit* field : {&form_.Edit3, &form_.Edit8, &form_.Edit5, &form_.Edit6}) {
    SCOPED_TRACE(field->Name());
    Restart();
    const std::string kept = field->Text();
    field->SetText("1,5");
    const std::vector<std::int64_t> picks =
        Lines({{0, 0, 1000, 0}, {1000, 0, 0, 1000}, {0, 1000, 0, 0}});
    Run(picks);
    field->SetText(kept);
    EXPECT_EQ(db().model_space().size(), 3u);
    EXPECT_EQ(form_.UpDown4.Position(), 1);
    EXPECT_THAT(t_.input->prompts(), IsEmpty());
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
  }
}

TEST_F(GroupSelectCommandTest, CancelledSelectionLeavesNoTemporarySet) {
  Lines({{0, 0, 1000, 0}, {1000, 0, 0, 1000}, {0, 1000, 0, 0}});
  t_.input->PushCancel();
  form_.Button13.Click();
  EXPECT_EQ(db().model_space().size(), 3u);
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
}

// Whichever host call fails: AUNITS is back, no temporary selection set is
// left, and the selected lines and polyline are kept.
TEST(GroupSelectFaultSweep, EveryFailureKeepsTheDrawing) {
  for (annotate::AreaMethod method : {annotate::AreaMethod::ThreeSide, annotate::AreaMethod::BaseHeight}) {
    SCOPED_TRACE(static_cast<int>(method));
    auto ids = std::make_shared<std::vector<std::int64_t>>();
    host::testing::SweepCommand command;
    command.steps = capture::GroupSelectFrameSteps();
    command.body = [method](const host::Document& document, host::CommandContext& context) {
      capture::GroupSelectParams params;
      params.method = method;
      params.number = 7;
      capture::GroupProgress progress;
      capture::GroupSelectCommand(document, context, params, progress);
    };
    command.setup = [ids](host::testing::TestHost& t) {
      platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
      t.db().SetVar("AUNITS", std::int16_t(3));
      *ids = {t.db().AddPolyline({{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}}, true),
              t.db().AddLine({0, 0, 0}, {4000, 3000, 0}), t.db().AddCircle({-500, -500, 0}, 100)};
      for (std::int64_t id : *ids) t.input->PushEntity(id);
      t.input->PushEnter();
    };
    command.check = [ids](host::testing::TestHost& t) {
      return host::testing::AngleUnitsAndEntitiesKept(t, 3, *ids);
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    platform::SetMessageBoxSink(nullptr);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 30);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

}  // namespace
}  // namespace zavin::shell
