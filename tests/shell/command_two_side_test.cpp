// ２辺指示 end to end: the tool window, the embedded host and its drawing.

#include "shell/command_two_side.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "capture/two_side.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Seg {
  double x1, y1, x2, y2;
};

class TwoSideCommandTest : public host::testing::HostTest {
 protected:
  TwoSideCommandTest() {
    InstallTwoSideCommand(form_, state_);
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
    db().SetVar("SNAPMODE", std::int16_t(1));
  }
  ~TwoSideCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  // A fresh host; the platform reset drops the message-box sink too.
  void Restart() {
    HostTest::Restart();
    boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
    platform::SetMessageBoxSink(boxes_);
    db().SetVar("SNAPMODE", std::int16_t(1));
  }

  std::int64_t Line(const Seg& s) { return db().AddLine({s.x1, s.y1, 0}, {s.x2, s.y2, 0}); }

  // Button8 with the two given picks (entity, pick point).
  void Run(std::int64_t first, double x1, double y1, std::int64_t second, double x2, double y2) {
    t_.input->PushEntity(first, x1, y1);
    t_.input->PushEntity(second, x2, y2);
    form_.Button8.Click();
  }
  void RunLines(const Seg& s1, const Seg& s2) {
    const std::int64_t a = Line(s1), b = Line(s2);
    Run(a, s1.x1, s1.y1, b, s2.x1, s2.y1);
  }

  struct Summary {
    std::vector<std::string> lines;  // "(x,y)-(x,y) layer" of the H_HEN lines
    std::vector<std::string> texts;  // "text layer"
    std::vector<std::string> circles;
  };
  static std::string P(const cad::Point3& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%.3f,%.3f)", p.x, p.y);
    return buf;
  }
  Summary Drawn() const {
    Summary s;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line))
      if (e->layer == "H_HEN") s.lines.push_back(P(e->as<cad::LineData>()->start) + "-" +
                                                 P(e->as<cad::LineData>()->end));
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      s.texts.push_back(e->as<cad::TextData>()->text + " " + e->layer);
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Circle))
      s.circles.push_back(P(e->as<cad::CircleData>()->center));
    return s;
  }
  std::optional<annotate::TriangleSides> MarkerRecord() const {
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      if (!e->xdata.empty())
        return annotate::ParseTriangleXdata(document().ObjectIdToObject(e->id).GetXdata("QM_ZAVIN"));
    return std::nullopt;
  }

  // Nothing drawn, the number kept, the message shown over the tool window.
  void ExpectRefused(std::size_t entities_before, std::string_view text) {
    EXPECT_EQ(db().model_space().size(), entities_before);
    EXPECT_EQ(form_.UpDown4.Position(), 7);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(boxes_->boxes()[0].text, text);
    EXPECT_EQ(boxes_->boxes()[0].caption, "Acad_Zavin");
    EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
    EXPECT_EQ(boxes_->boxes()[0].flags, platform::MB_OK);
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
};

TEST_F(TwoSideCommandTest, ThreeSideMethodDrawsTheThirdSideLabelsAndMarker) {
  form_.UpDown4.SetPosition(7);
  RunLines({4000, 0, 0, 0}, {0, 0, 0, 3000});
  const Summary s = Drawn();
  EXPECT_THAT(s.lines, ElementsAre("(4000.000,0.000)-(0.000,3000.000)"));
  EXPECT_THAT(s.texts, ElementsAre("4.00 H_TEXT", "5.00 H_TEXT", "3.00 H_TEXT", "7 H_TEXT"));
  EXPECT_THAT(s.circles, ElementsAre("(1000.000,1000.000)"));
  EXPECT_EQ(MarkerRecord(), (annotate::TriangleSides{4000, 5000, 3000}));
  EXPECT_EQ(form_.UpDown4.Position(), 8);
  EXPECT_THAT(t_.input->prompts(), ElementsAre(std::string(capture::kFirstSidePrompt),
                                               std::string(capture::kSecondSidePrompt)));
  EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
  EXPECT_TRUE(state_.Created.CreatedObjectIds.empty());
}

TEST_F(TwoSideCommandTest, BaseHeightMethodLabelsBaseThenHeightAndDrawsTheHeightLine) {
  form_.RadioGroup1.SetItemIndex(1);
  form_.UpDown4.SetPosition(7);
  RunLines({4000, 0, 0, 0}, {0, 0, 0, 3000});
  const Summary s = Drawn();
  EXPECT_THAT(s.lines, ElementsAre("(4000.000,0.000)-(0.000,3000.000)",
                                   "(1440.000,1920.000)-(0.000,0.000)"));
  EXPECT_THAT(s.texts, ElementsAre("5.00 H_TEXT", "2.40 H_TEXT", "7 H_TEXT"));
  EXPECT_THAT(s.circles, ElementsAre("(1600.000,800.000)"));
  EXPECT_EQ(MarkerRecord(), (annotate::TriangleSides{4000, 5000, 3000}));
  EXPECT_EQ(form_.UpDown4.Position(), 8);
}

TEST_F(TwoSideCommandTest, FlatTriangleGetsItsHeightLabel) {
  // Base (0,0)-(10000,0), apex (5000,1000): the base label sits in the
  // height label's neighbour zone.
  form_.RadioGroup1.SetItemIndex(1);
  RunLines({5000, 1000, 0, 0}, {0, 0, 10000, 0});
  EXPECT_THAT(Drawn().texts, ElementsAre("10.00 H_TEXT", "1.00 H_TEXT", "1 H_TEXT"));
}

TEST_F(TwoSideCommandTest, SidesMeetingWithinTheToleranceMakeATriangleAtTheirCrossing) {
  struct Case {
    const char* name;
    Seg s1, s2;
  };
  const Case cases[] = {
      {"either end at the corner", {0, 0, 4000, 0}, {0, 3000, 0, 0}},
      {"both stop 0.005 short", {4000, 0, 0.005, 0}, {0, 0.005, 0, 3000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    form_.UpDown4.SetPosition(7);
    RunLines(c.s1, c.s2);
    const Summary s = Drawn();
    EXPECT_THAT(s.lines, ElementsAre("(4000.000,0.000)-(0.000,3000.000)"));
    EXPECT_THAT(s.circles, ElementsAre("(1000.000,1000.000)"));
    const auto record = MarkerRecord();
    ASSERT_TRUE(record);
    EXPECT_NEAR(record->a, 4000, 1e-9);  // from the crossing, not the stopping end
    EXPECT_NEAR(record->c, 3000, 1e-9);
    EXPECT_EQ(form_.UpDown4.Position(), 8);
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
  }
}

TEST_F(TwoSideCommandTest, TwoSegmentsOfOnePolylineMakeATriangle) {
  const std::int64_t outline = db().AddPolyline({{4000, 0}, {0, 0}, {0, 3000}}, false);
  Run(outline, 2000, 5, outline, 5, 1500);
  EXPECT_THAT(Drawn().lines, ElementsAre("(4000.000,0.000)-(0.000,3000.000)"));
  EXPECT_THAT(Drawn().circles, ElementsAre("(1000.000,1000.000)"));
}

TEST_F(TwoSideCommandTest, SidesThatDoNotMeetAreRefused) {
  struct Case {
    const char* name;
    Seg s1, s2;
  };
  const Case cases[] = {
      {"gap of 0.02 at the corner", {4000, 0, 0.02, 0}, {0, 0, 0, 3000}},
      {"crossing in their middles", {-2000, 0, 2000, 0}, {0, -1500, 0, 1500}},
      {"the same side twice", {0, 0, 4000, 0}, {0, 0, 4000, 0}},
      {"parallel", {0, 0, 4000, 0}, {0, 100, 4000, 100}},
      // The absolute determinant test passes these as a triangle of no area.
      {"collinear with decimal coordinates",
       {44454.915, 2197.874, -18680.920, 72884.681},
       {-18680.920, 72884.681, -81816.755, 143571.488}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    form_.UpDown4.SetPosition(7);
    const std::int64_t a = Line(c.s1), b = Line(c.s2);
    const std::size_t before = db().model_space().size();
    Run(a, c.s1.x1, c.s1.y1, b, c.s2.x2, c.s2.y2);
    ExpectRefused(before, capture::kSidesApartText);
  }
}

TEST_F(TwoSideCommandTest, FieldThatIsNotANumberEndsSilentlyBeforeAnyPrompt) {
  for (TEdit* field : {&form_.Edit3, &form_.Edit8, &form_.Edit5, &form_.Edit6}) {
    SCOPED_TRACE(field->Name());
    Restart();
    const std::string kept = field->Text();
    field->SetText("12a");
    form_.UpDown4.SetPosition(7);
    RunLines({4000, 0, 0, 0}, {0, 0, 0, 3000});
    field->SetText(kept);
    EXPECT_EQ(db().model_space().size(), 2u);
    EXPECT_EQ(form_.UpDown4.Position(), 7);
    EXPECT_THAT(t_.input->prompts(), IsEmpty());
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
  }
}

TEST_F(TwoSideCommandTest, NumberAtTheTopOfTheFieldIsRefusedBeforeAnyPrompt) {
  form_.UpDown4.SetPosition(annotate::kMaxNumber - 1);
  RunLines({4000, 0, 0, 0}, {0, 0, 0, 3000});
  EXPECT_EQ(form_.UpDown4.Position(), annotate::kMaxNumber);
  ASSERT_EQ(Drawn().circles.size(), 1u);

  const std::size_t before = db().model_space().size();
  RunLines({4000, 5000, 0, 5000}, {0, 5000, 0, 8000});
  EXPECT_EQ(db().model_space().size(), before + 2);  // only the two new sides
  EXPECT_EQ(form_.UpDown4.Position(), annotate::kMaxNumber);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].text, capture::kNumberExhaustedText);
  EXPECT_EQ(boxes_->boxes()[0].caption, "Acad_Zavin");
  EXPECT_EQ(t_.input->prompts().size(), 2u);  // those of the first run
}

TEST_F(TwoSideCommandTest, UnusablePicksDrawNothing) {
  const std::int64_t circle = db().AddCircle({0, 0, 0}, 100);
  const std::int64_t side = Line({0, 0, 4000, 0});
  const std::int64_t two_vertex = db().AddPolyline({{0, 0}, {0, 3000}}, false);

  Run(circle, 100, 0, side, 2000, 0);  // not a side: no second prompt
  EXPECT_EQ(t_.input->prompts().size(), 1u);
  t_.input = std::make_shared<cad::ScriptedInput>();
  host().SetUserInput(t_.input);

  Run(side, 2000, 0, two_vertex, 0, 1500);  // second pick gives no segment
  t_.input->PushCancel();                   // and a cancelled first pick
  form_.Button8.Click();
  EXPECT_EQ(db().model_space().size(), 3u);
  EXPECT_EQ(form_.UpDown4.Position(), 1);
  EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

// Whichever host call fails: SNAPMODE and AUNITS are back, no temporary
// selection set is left, and the sides and the unrelated circle are kept.
TEST(TwoSideFaultSweep, EveryFailureRestoresTheDrawingState) {
  for (annotate::AreaMethod method : {annotate::AreaMethod::ThreeSide, annotate::AreaMethod::BaseHeight}) {
    SCOPED_TRACE(static_cast<int>(method));
    auto ids = std::make_shared<std::vector<std::int64_t>>();
    annotate::CreatedObjectRecord record;
    host::testing::SweepCommand command;
    command.steps = capture::TwoSideFrameSteps();
    command.body = [method, &record](const host::Document& document, host::CommandContext& context) {
      capture::TwoSideParams params;
      params.method = method;
      params.number = 7;
      capture::TwoSideCommand(document, context, params, record);
    };
    command.setup = [ids](host::testing::TestHost& t) {
      platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
      t.db().SetVar("AUNITS", std::int16_t(3));
      *ids = {t.db().AddLine({4000, 0, 0}, {0, 0, 0}), t.db().AddLine({0, 0, 0}, {0, 3000, 0}),
              t.db().AddCircle({-500, -500, 0}, 100)};
      t.input->PushEntity((*ids)[0], 2000, 0);
      t.input->PushEntity((*ids)[1], 0, 1500);
    };
    command.check = [ids](host::testing::TestHost& t) {
      return host::testing::AngleUnitsAndEntitiesKept(t, 3, *ids);
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    platform::SetMessageBoxSink(nullptr);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 20);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

}  // namespace
}  // namespace zavin::shell
