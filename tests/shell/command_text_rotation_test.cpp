// 文字回転 end to end: the tool window's Button2 against the embedded host.

#include "shell/command_text_rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "cad/db/database.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

using geometry::TAcadPoint;
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;

// Records the box and, as a real one does, takes the foreground for its owner.
class ForegroundTakingSink : public platform::RecordingMessageBoxSink {
 public:
  int Show(platform::Hwnd owner, const std::string& text, const std::string& caption,
           std::uint32_t flags) override {
    platform::SetForegroundWindow(owner);
    return RecordingMessageBoxSink::Show(owner, text, caption, flags);
  }
};

bool SameAngle(double a, double b) { return std::fabs(std::remainder(a - b, 2 * kPi)) < 1e-9; }

class TextRotationCommandTest : public host::testing::HostTest {
 protected:
  TextRotationCommandTest() {
    form_.Link.HostProgId = host::testing::kTestProgId;
    InstallTextRotationCommand(form_, state_);
    InstallCommands(form_, state_);  // the F2 hook; keeps the slot filled above
    form_.FormCreate();
    platform::SetMessageBoxSink(sink_);
    db().SetVar("SNAPMODE", std::int16_t{1});
  }
  ~TextRotationCommandTest() override { form_.FormDestroy(); }

  std::int64_t AddText(TAcadPoint anchor, std::int32_t alignment, double rotation) {
    const host::Text text = document().ModelSpace().AddText("ABC", anchor, 100);
    text.SetRotation(rotation);
    if (alignment != cad::kAlignLeft) {
      text.SetAlignment(alignment);
      text.SetTextAlignmentPoint(anchor);
    }
    return text.ObjectID();
  }
  const cad::TextData& TextOf(std::int64_t id) { return *db().Find(id)->as<cad::TextData>(); }

  void Run(const std::string& degrees) {
    form_.Edit13.SetText(degrees);
    form_.Button2.Click();
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<ForegroundTakingSink> sink_ = std::make_shared<ForegroundTakingSink>();
};

TEST_F(TextRotationCommandTest, TextTurnsAboutItsAnchorByTheFieldAngle) {
  const struct {
    const char* name;
    std::int32_t alignment;
    double rotation;
    const char* degrees;
    double expected;
  } cases[] = {
      {"middle-centred, default half turn", cad::kAlignMiddleCenter, 30 * kDeg, "180.0", 210 * kDeg},
      {"left-aligned, half turn", cad::kAlignLeft, 0, "180", kPi},
      {"quarter turn clockwise", cad::kAlignMiddleCenter, 30 * kDeg, "-90", -60 * kDeg},
      {"bottom-centred", cad::kAlignBottomCenter, 0, "45", 45 * kDeg},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TAcadPoint anchor{10, 10, 0};
    const std::int64_t id = AddText(anchor, c.alignment, c.rotation);
    const cad::Point3 insertion_before = TextOf(id).insertion;
    state_.Created.RecordCreatedObjects = true;
    form_.Button9.SetEnabled(true);
    t_.input->PushEntity(id, 10, 10);
    Run(c.degrees);

    const cad::TextData& t = TextOf(id);
    EXPECT_TRUE(SameAngle(t.rotation, c.expected)) << t.rotation;
    if (c.alignment == cad::kAlignLeft) {
      EXPECT_NEAR(t.insertion.x, insertion_before.x, 1e-9);
      EXPECT_NEAR(t.insertion.y, insertion_before.y, 1e-9);
      // Half a turn about the start: the text now lies left of and below it.
      for (const auto& [x, y] : cad::TextCorners(t)) {
        EXPECT_LE(x, 10 + 1e-9);
        EXPECT_LE(y, 10 + 1e-9);
      }
    } else {
      EXPECT_NEAR(t.alignment_point.x, 10, 1e-9);
      EXPECT_NEAR(t.alignment_point.y, 10, 1e-9);
    }
    EXPECT_EQ(t_.input->prompts().back(), "回転するTEXTを選択 : ");
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
    EXPECT_FALSE(state_.Created.RecordCreatedObjects);
    EXPECT_FALSE(form_.Button9.Enabled());
    db().Erase(id);
  }
  EXPECT_TRUE(sink_->boxes().empty());
}

TEST_F(TextRotationCommandTest, PickThatIsNoTextShowsTheMessageAndTurnsNothing) {
  const std::int64_t line = db().AddLine({0, 0, 0}, {100, 0, 0});
  const std::int64_t circle = db().AddCircle({500, 0, 0}, 50);
  for (const std::int64_t id : {line, circle}) {
    SCOPED_TRACE(id);
    const std::size_t boxes = sink_->boxes().size();
    t_.input->PushEntity(id, 0, 0);
    Run("180.0");
    ASSERT_EQ(sink_->boxes().size(), boxes + 1);
    const auto& box = sink_->boxes().back();
    EXPECT_EQ(box.text, "TEXTではありません．");
    EXPECT_EQ(box.caption, "IJcad_Zavin");
    EXPECT_EQ(box.flags, platform::MB_OK);
    EXPECT_EQ(box.owner, form_.Handle());
    EXPECT_EQ(platform::GetForegroundWindow(), host().hwnd());
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  }
  const cad::LineData& l = *db().Find(line)->as<cad::LineData>();
  EXPECT_EQ(l.start, (cad::Point3{0, 0, 0}));
  EXPECT_EQ(l.end, (cad::Point3{100, 0, 0}));
  EXPECT_EQ(db().Find(circle)->as<cad::CircleData>()->center, (cad::Point3{500, 0, 0}));
}

TEST_F(TextRotationCommandTest, BadAngleOrCancelledPickEndsSilentlyWithTheTextUnchanged) {
  const std::int64_t id = AddText({10, 10, 0}, cad::kAlignMiddleCenter, 30 * kDeg);
  auto expect_unchanged = [&] {
    const cad::TextData& t = TextOf(id);
    EXPECT_NEAR(t.rotation, 30 * kDeg, 1e-12);
    EXPECT_NEAR(t.alignment_point.x, 10, 1e-12);
    EXPECT_NEAR(t.alignment_point.y, 10, 1e-12);
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  };
  t_.input->PushCancel();
  Run("180.0");
  EXPECT_EQ(t_.input->prompts().size(), 1u);
  expect_unchanged();

  t_.input->PushEntity(id, 10, 10);
  for (const char* degrees : {"abc", "", "1,5", "nan"}) {
    SCOPED_TRACE(degrees);
    Run(degrees);
    // Ended before the user was asked to pick.
    EXPECT_EQ(t_.input->pending(), 1u);
    expect_unchanged();
  }
  EXPECT_EQ(t_.input->prompts().size(), 1u);
  EXPECT_TRUE(sink_->boxes().empty());
}

TEST(TextRotationFaultSweep, EveryFailingCallEndsQuietlyAndKeepsTheDrawing) {
  for (const bool pick_text : {true, false}) {
    SCOPED_TRACE(pick_text ? "text picked" : "line picked");
    TForm1 form;
    CommandState state;
    std::int64_t picked = 0;
    host::testing::SweepCommand command;
    command.steps = TextRotationSteps();
    command.body = TextRotationBody(form);
    command.setup = [&](host::testing::TestHost& t) {
      platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
      picked = pick_text ? t.db().AddText("ABC", {10, 10, 0}, 100) : t.db().AddLine({0, 0, 0}, {100, 0, 0});
      t.input->PushEntity(picked, 10, 10);
    };
    command.check = [&](host::testing::TestHost& t) -> std::string {
      return t.db().Find(picked) ? "" : "the picked entity is gone";
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 0);
    EXPECT_TRUE(report.faults.empty()) << report.faults.front();
  }
}

}  // namespace
}  // namespace zavin::shell
