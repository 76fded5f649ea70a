// 自動, 分割 and １点指示 end to end: the tool window, the embedded host with
// its boundary command, and the drawing.

#include "shell/command_region_split.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cad/db/database.h"
#include "capture/region_split.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "tests/cad/host_probe.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"
#include "tests/platform/comma_locale.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Outline = std::vector<std::pair<double, double>>;

const Outline kSquare = {{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}};
const Outline kTriangle = {{0, 0}, {4000, 0}, {0, 3000}};

class RegionSplitCommandTest : public host::testing::HostTest {
 protected:
  RegionSplitCommandTest() {
    InstallRegionSplitCommand(form_, state_);
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
    form_.UpDown4.SetPosition(7);
  }
  ~RegionSplitCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  void Restart() {
    HostTest::Restart();
    boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
    platform::SetMessageBoxSink(boxes_);
    form_.UpDown4.SetPosition(7);
  }

  // The outline as separate lines on layer 0.
  void Lines(const Outline& o) {
    for (std::size_t i = 0; i < o.size(); ++i) {
      const auto& [x1, y1] = o[i];
      const auto& [x2, y2] = o[(i + 1) % o.size()];
      db().AddLine({x1, y1, 0}, {x2, y2, 0}, "0");
    }
  }
  void Click(TButton& button, double x, double y) {
    t_.input->PushPoint(x, y);
    button.Click();
  }

  static std::string P(const cad::Point3& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%.0f,%.0f)", p.x, p.y);
    return buf;
  }
  std::vector<std::string> LinesOn(const std::string& layer) const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line))
      if (e->layer == layer)
        out.push_back(P(e->as<cad::LineData>()->start) + "-" + P(e->as<cad::LineData>()->end));
    return out;
  }
  // "text@anchor" of every text, in creation order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text)) {
      const cad::TextData& t = *e->as<cad::TextData>();
      out.push_back(t.text + "@" + P(t.alignment_point));
    }
    return out;
  }
  std::size_t Count(cad::EntityKind kind) const { return db().OfKind(kind).size(); }

  void ExpectBox(std::string_view text, std::string_view caption) {
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(boxes_->boxes()[0].text, text);
    EXPECT_EQ(boxes_->boxes()[0].caption, caption);
    EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
    EXPECT_EQ(boxes_->boxes()[0].flags, platform::MB_OK);
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
};

TEST_F(RegionSplitCommandTest, TriangleIsAnnotatedWithoutADiagonalByAutoAndOnePoint) {
  for (TButton* button : {&form_.Button10, &form_.Button6}) {
    SCOPED_TRACE(button->Name());
    Restart();
    Lines(kTriangle);
    Click(*button, 1000, 1000);
    EXPECT_THAT(LinesOn("H_HEN"), IsEmpty());
    EXPECT_THAT(Texts(), ElementsAre("4.00@(2000,0)", "5.00@(2000,1500)", "3.00@(0,1500)",
                                     "7@(1000,1000)"));
    EXPECT_EQ(Count(cad::EntityKind::Circle), 1u);
    EXPECT_EQ(Count(cad::EntityKind::Polyline), 0u) << "the boundary is erased";
    EXPECT_EQ(Count(cad::EntityKind::Line), 3u);
    EXPECT_EQ(form_.UpDown4.Position(), 8);
    EXPECT_THAT(t_.input->prompts(), ElementsAre(std::string(capture::kRegionPointPrompt)));
    EXPECT_THAT(host().prompts(), ElementsAre(std::string(capture::kPointPickedText)));
    EXPECT_THAT(host().sent_commands(), ElementsAre("_-BOUNDARY A O P \r1000.0000,1000.0000\r\r"));
    EXPECT_EQ(cad::testing::Probe(host()).regen_count(), 1);
    EXPECT_EQ(platform::GetForegroundWindow(), host().hwnd());
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
    EXPECT_TRUE(state_.Created.CreatedObjectIds.empty());
  }
}

// The boundary point goes to the host with '.' under a comma-decimal locale
// too, and 自動, 分割 and １点指示 draw what they draw under "C".
TEST_F(RegionSplitCommandTest, CommaDecimalLocaleDrawsTheSame) {
  const struct {
    TButton* button;
    const Outline* outline;
    double x, y;
  } runs[] = {{&form_.Button10, &kSquare, 3000.25, 6000.5},
              {&form_.Button12, &kSquare, 3000.25, 6000.5},
              {&form_.Button6, &kTriangle, 1000.125, 1000}};
  for (const auto& r : runs) {
    SCOPED_TRACE(r.button->Name());
    std::vector<std::string> drawn[2], sent[2];
    for (int comma = 0; comma < 2; ++comma) {
      std::optional<tests::ScopedCommaLocale> locale;
      if (comma) {
        locale.emplace();
        ASSERT_TRUE(locale->active());
      }
      Restart();
      Lines(*r.outline);
      Click(*r.button, r.x, r.y);
      drawn[comma] = Texts();
      for (const std::string& line : LinesOn("H_HEN")) drawn[comma].push_back(line);
      sent[comma] = host().sent_commands();
    }
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
    EXPECT_FALSE(drawn[0].empty());
    EXPECT_EQ(drawn[1], drawn[0]);
    EXPECT_EQ(sent[1], sent[0]);
  }
  EXPECT_THAT(host().sent_commands(), ElementsAre("_-BOUNDARY A O P \r1000.1250,1000.0000\r\r"));
}

TEST_F(RegionSplitCommandTest, SquareGetsOneDiagonalAndASharedSideLabelledOnce) {
  Lines(kSquare);
  Click(form_.Button10, 3000, 6000);
  EXPECT_THAT(LinesOn("H_HEN"), ElementsAre("(0,10000)-(10000,0)"));
  EXPECT_THAT(Texts(), ElementsAre(
                           // triangle 1: (0,10000) (0,0) (10000,0)
                           "10.00@(0,5000)", "10.00@(5000,0)", "14.14@(5000,5000)", "7@(2929,2929)",
                           // triangle 2: (10000,0) (10000,10000) (0,10000); the diagonal is done
                           "10.00@(10000,5000)", "10.00@(5000,10000)", "8@(7071,7071)"));
  EXPECT_EQ(Count(cad::EntityKind::Circle), 2u);
  EXPECT_EQ(form_.UpDown4.Position(), 9);
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

TEST_F(RegionSplitCommandTest, SplitOnlyDrawsTheDiagonalAndKeepsTheNumber) {
  Lines(kSquare);
  Click(form_.Button12, 3000, 6000);
  EXPECT_THAT(LinesOn("H_HEN"), ElementsAre("(0,10000)-(10000,0)"));
  EXPECT_THAT(Texts(), IsEmpty());
  EXPECT_EQ(Count(cad::EntityKind::Circle), 0u);
  EXPECT_EQ(Count(cad::EntityKind::Polyline), 0u);
  EXPECT_EQ(form_.UpDown4.Position(), 7);
  EXPECT_EQ(cad::testing::Probe(host()).regen_count(), 1);
}

TEST_F(RegionSplitCommandTest, BaseAndHeightLabelsTheSharedBaseOnceAndEachHeight) {
  form_.RadioGroup1.SetItemIndex(1);
  Lines(kSquare);
  Click(form_.Button10, 3000, 6000);
  EXPECT_THAT(LinesOn("H_HEN"), ElementsAre("(0,10000)-(10000,0)"));
  EXPECT_THAT(LinesOn("H_TAKASA"), ElementsAre("(0,0)-(5000,5000)", "(10000,10000)-(5000,5000)"));
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], "14.14@(5000,5000)");
  EXPECT_THAT(texts[1], ::testing::StartsWith("7.07@"));
  EXPECT_THAT(texts[2], ::testing::StartsWith("7@"));
  EXPECT_THAT(texts[3], ::testing::StartsWith("7.07@"));
  EXPECT_THAT(texts[4], ::testing::StartsWith("8@"));
  EXPECT_EQ(form_.UpDown4.Position(), 9);
}

TEST_F(RegionSplitCommandTest, PickOutsideEveryRegionShowsTheFirstMessage) {
  Lines(kSquare);
  Click(form_.Button10, 20000, 5000);
  ExpectBox(capture::kNoBoundaryText, capture::kNoBoundaryCaption);
  EXPECT_EQ(db().model_space().size(), 4u);
  EXPECT_EQ(form_.UpDown4.Position(), 7);
  EXPECT_EQ(platform::GetForegroundWindow(), host().hwnd());
  EXPECT_EQ(cad::testing::Probe(host()).regen_count(), 1);
}

// The host's boundary command replaced by one that makes a given entity.
TEST_F(RegionSplitCommandTest, WhatTheHostMakesDecidesTheRun) {
  // Two squares meeting in one vertex, given as one outline that touches
  // itself there.
  const Outline pinched = {{0, 0},     {1000, 0},    {1000, 1000}, {2000, 1000},
                           {2000, 2000}, {1000, 2000}, {1000, 1000}, {0, 1000}};
  cad::testing::Probe(host()).DefineCommand(
      "BOUNDARY", [&](cad::EmbeddedHost& h, const std::vector<std::string>&) {
        h.database().AddPolyline(pinched, true);
      });
  Click(form_.Button10, 500, 500);
  ExpectBox(capture::kSplitFailedText, capture::kSplitFailedCaption);
  EXPECT_EQ(Count(cad::EntityKind::Polyline), 0u);
  EXPECT_FALSE(LinesOn("H_HEN").empty()) << "the diagonals drawn stay";
  EXPECT_THAT(Texts(), IsEmpty());
  EXPECT_EQ(form_.UpDown4.Position(), 7);

  // Another kind of entity is left alone, without a message.
  Restart();
  cad::testing::Probe(host()).DefineCommand(
      "BOUNDARY", [](cad::EmbeddedHost& h, const std::vector<std::string>&) {
        h.database().AddCircle({0, 0, 0}, 100);
      });
  Click(form_.Button10, 0, 0);
  EXPECT_EQ(Count(cad::EntityKind::Circle), 1u);
  EXPECT_EQ(db().model_space().size(), 1u);
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
  EXPECT_EQ(form_.UpDown4.Position(), 7);
}

TEST_F(RegionSplitCommandTest, NumbersThatWouldPassTheTopAreRefusedBeforeAnythingIsDrawn) {
  Lines(kSquare);
  form_.UpDown4.SetPosition(annotate::kMaxNumber - 1);  // room for one triangle, not two
  Click(form_.Button10, 3000, 6000);
  ExpectBox(capture::kRegionNumbersExhaustedText, capture::kNoBoundaryCaption);
  EXPECT_EQ(db().model_space().size(), 4u);
  EXPECT_EQ(form_.UpDown4.Position(), annotate::kMaxNumber - 1);

  // 分割 numbers nothing, so it still runs.
  Click(form_.Button12, 3000, 6000);
  EXPECT_THAT(LinesOn("H_HEN"), ElementsAre("(0,10000)-(10000,0)"));
}

TEST_F(RegionSplitCommandTest, BadFieldOrCancelledPickEndsSilently) {
  for (TEdit* field : {&form_.Edit3, &form_.Edit8}) {
    SCOPED_TRACE(field->Name());
    Restart();
    Lines(kSquare);
    const std::string kept = field->Text();
    field->SetText("1O0");
    Click(form_.Button10, 3000, 6000);
    field->SetText(kept);
    EXPECT_EQ(db().model_space().size(), 4u);
    EXPECT_THAT(host().sent_commands(), IsEmpty());
    EXPECT_EQ(form_.UpDown4.Position(), 7);
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
  }
  Restart();
  Lines(kSquare);
  t_.input->PushCancel();
  form_.Button10.Click();
  EXPECT_EQ(db().model_space().size(), 4u);
  EXPECT_THAT(host().sent_commands(), IsEmpty());
  EXPECT_EQ(cad::testing::Probe(host()).regen_count(), 0);
}

TEST_F(RegionSplitCommandTest, OutlineWithAnArcUsesItsChord) {
  // Three lines and an arc over the top from (10000,6000) to (0,6000); the
  // pick lies between the chord and the arc.
  db().AddLine({0, 0, 0}, {10000, 0, 0}, "0");
  db().AddLine({10000, 0, 0}, {10000, 6000, 0}, "0");
  db().AddLine({0, 6000, 0}, {0, 0, 0}, "0");
  db().Add(cad::ArcData{{5000, 2000, 0}, std::hypot(5000.0, 4000.0), std::atan2(4000.0, 5000.0),
                        std::atan2(4000.0, -5000.0)},
           "0");
  Click(form_.Button10, 5000, 7000);
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
  EXPECT_THAT(LinesOn("H_HEN"), ElementsAre("(0,6000)-(10000,0)"));
  EXPECT_THAT(Texts(), ElementsAre("6.00@(0,3000)", "10.00@(5000,0)", "11.66@(5000,3000)",
                                   "7@(2169,2169)", "6.00@(10000,3000)",
                                   "10.00@(5000,6000)",  // the chord, not the arc's 11.48
                                   "8@(7831,3831)"));
  EXPECT_EQ(Count(cad::EntityKind::Arc), 1u) << "the arc stays";
  EXPECT_EQ(Count(cad::EntityKind::Polyline), 0u) << "the boundary is erased";
  EXPECT_EQ(form_.UpDown4.Position(), 9);
  // The command line notes the circular segment the triangles leave out.
  const double r = std::hypot(5.0, 4.0), theta = 2 * std::atan2(5.0, 4.0);
  ASSERT_EQ(host().prompts().size(), 2u);
  const std::string& note = host().prompts()[1];
  ASSERT_TRUE(note.starts_with(capture::kArcSegmentNote)) << note;
  EXPECT_NEAR(std::stod(note.substr(capture::kArcSegmentNote.size())), r * r * (theta - std::sin(theta)) / 2, 1e-5);
}

// Whichever host call fails: nothing escapes, SNAPMODE is untouched, no
// temporary selection set is left, the user's outline is never erased.
TEST(RegionSplitFaultSweep, EveryFailureKeepsTheDrawing) {
  struct Case {
    const char* name;
    bool annotate;
    annotate::AreaMethod method;
    Outline outline;
    double x, y;
  };
  const Case cases[] = {
      {"自動, three sides", true, annotate::AreaMethod::ThreeSide, kSquare, 3000, 6000},
      {"自動, base and height", true, annotate::AreaMethod::BaseHeight, kSquare, 3000, 6000},
      {"分割", false, annotate::AreaMethod::ThreeSide, kSquare, 3000, 6000},
      {"１点指示", true, annotate::AreaMethod::ThreeSide, kTriangle, 1000, 1000},
      // No boundary is made: a failed read of the last entity before the
      // command must not make the outline look new.
      {"outside every region", true, annotate::AreaMethod::ThreeSide, kSquare, 20000, 5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto outline_id = std::make_shared<std::int64_t>(0);
    host::testing::SweepCommand command;
    command.steps = capture::RegionSplitFrameSteps();
    command.body = [&c](const host::Document& document, host::CommandContext& context) {
      capture::RegionSplitParams params;
      params.annotate = c.annotate;
      params.method = c.method;
      params.number = 7;
      capture::RegionSplitCommand(document, context, params);
    };
    command.setup = [&c, outline_id](host::testing::TestHost& t) {
      platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
      t.db().SetVar("AUNITS", std::int16_t(3));
      // The outline as one closed polyline: the kind of entity the command erases.
      *outline_id = t.db().AddPolyline(c.outline, true);
      t.input->PushPoint(c.x, c.y);
    };
    command.check = [outline_id](host::testing::TestHost& t) {
      return host::testing::AngleUnitsAndEntitiesKept(t, 3, {*outline_id});
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
