// 長さ記入 end to end: the tool window's Button11 against the embedded host.

#include "shell/command_length_label.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "platform/message_box.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
constexpr double kPi = std::numbers::pi;

class LengthLabelCommandTest : public host::testing::HostTest {
 protected:
  LengthLabelCommandTest() {
    form_.Link.HostProgId = host::testing::kTestProgId;
    InstallLengthLabelCommand(form_, state_);
    InstallCommands(form_, state_);  // the F2 hook; keeps the slot filled above
    form_.FormCreate();
    platform::SetMessageBoxSink(sink_);
    db().SetVar("SNAPMODE", std::int16_t{1});
    db().SetVar("AUNITS", std::int16_t{2});
  }
  ~LengthLabelCommandTest() override { form_.FormDestroy(); }

  void Pick(std::int64_t id, double x, double y) {
    t_.input->PushEntity(id, x, y);
    form_.Button11.Click();
  }
  std::vector<const cad::TextData*> Labels() const {
    std::vector<const cad::TextData*> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text)) out.push_back(e->as<cad::TextData>());
    return out;
  }
  std::vector<std::string> LabelTexts() const {
    std::vector<std::string> out;
    for (const cad::TextData* t : Labels()) out.push_back(t->text);
    return out;
  }
  void ExpectRestored() const {
    EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
    EXPECT_EQ(db().GetVar("AUNITS").ToInt32(), 2);
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
    EXPECT_TRUE(sink_->boxes().empty());
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> sink_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
};

TEST_F(LengthLabelCommandTest, LineIsLabelledAtItsMidpointAlongItAndNotRecorded) {
  const std::int64_t line = db().AddLine({0, 0, 0}, {3000, 4000, 0});
  state_.Created.RecordCreatedObjects = true;
  form_.Button9.SetEnabled(true);
  Pick(line, 600, 800);

  ASSERT_THAT(LabelTexts(), ElementsAre("5.00"));
  const cad::TextData& t = *Labels().front();
  EXPECT_EQ(t.alignment, cad::kAlignBottomCenter);
  EXPECT_NEAR(t.alignment_point.x, 1500, 1e-9);
  EXPECT_NEAR(t.alignment_point.y, 2000, 1e-9);
  EXPECT_NEAR(t.rotation, std::atan2(4000.0, 3000.0), 1e-12);
  EXPECT_DOUBLE_EQ(t.height, 300);
  EXPECT_EQ(db().OfKind(cad::EntityKind::Text).front()->layer, "H_TEXT");
  EXPECT_THAT(t_.input->prompts(), ElementsAre("長さ記入の1辺を選択 : "));
  EXPECT_FALSE(state_.Created.RecordCreatedObjects);
  EXPECT_THAT(state_.Created.CreatedObjectIds, IsEmpty());
  EXPECT_FALSE(form_.Button9.Enabled());
  ExpectRestored();
}

TEST_F(LengthLabelCommandTest, PolylinePickLabelsTheWholeSegmentFromVertexToVertex) {
  // 4000 x 3000, closed: the closing side runs from (0, 0) up to (0, 3000).
  const std::int64_t pl = db().AddPolyline({{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}}, true);
  const struct {
    const char* name;
    double x, y;
    const char* text;
    double mx, my, rotation;
  } cases[] = {
      {"near the start of the bottom side", 300, 5, "4.00", 2000, 0, 0},
      {"middle of the bottom side", 2000, -5, "4.00", 2000, 0, 0},
      {"near the end of the right side", 4005, 2900, "3.00", 4000, 1500, kPi / 2},
      {"closing side", -5, 1500, "3.00", 0, 1500, kPi / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text)) db().Erase(e->id);
    Pick(pl, c.x, c.y);
    ASSERT_THAT(LabelTexts(), ElementsAre(c.text));
    const cad::TextData& t = *Labels().front();
    EXPECT_NEAR(t.alignment_point.x, c.mx, 1e-9);
    EXPECT_NEAR(t.alignment_point.y, c.my, 1e-9);
    EXPECT_NEAR(t.rotation, c.rotation, 1e-12);
    ExpectRestored();
  }
}

// The label's Rotation is written in the drawing's angle frame; in the
// database it must still run along the side, whatever ANGBASE and ANGDIR are.
TEST_F(LengthLabelCommandTest, LabelLiesAlongTheSideInEveryAngleFrame) {
  const struct {
    double angbase_deg;
    std::int16_t angdir;
  } frames[] = {{0, 0}, {0, 1}, {90, 0}, {90, 1}, {30, 1}};
  for (const auto& f : frames) {
    SCOPED_TRACE(f.angbase_deg + 1000 * f.angdir);
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text)) db().Erase(e->id);
    db().SetVar("ANGBASE", f.angbase_deg);
    db().SetVar("ANGDIR", f.angdir);
    const std::int64_t line = db().AddLine({0, 0, 0}, {5000, 5000, 0});
    Pick(line, 2500, 2500);
    ASSERT_THAT(LabelTexts(), ElementsAre("7.07"));
    EXPECT_NEAR(std::remainder(Labels().front()->rotation - kPi / 4, 2 * kPi), 0, 1e-12);
    ExpectRestored();
    db().Erase(line);
  }
}

TEST_F(LengthLabelCommandTest, LabelledSideOrAnythingButASegmentWritesNothingQuietly) {
  const std::int64_t line = db().AddLine({0, 0, 0}, {10000, 0, 0});
  Pick(line, 5000, 0);
  Pick(line, 5000, 0);  // its own label now crosses the zones
  EXPECT_THAT(LabelTexts(), ElementsAre("10.00"));

  const std::int64_t circle = db().AddCircle({0, 20000, 0}, 500);
  const std::int64_t text = db().AddText("X", {20000, 20000, 0}, 100);
  const std::int64_t two_vertices = db().AddPolyline({{0, 30000}, {5000, 30000}}, false);
  for (const std::int64_t id : {circle, text, two_vertices}) {
    SCOPED_TRACE(id);
    Pick(id, 0, 0);
  }
  EXPECT_THAT(LabelTexts(), ElementsAre("10.00", "X"));
  EXPECT_EQ(db().OfKind(cad::EntityKind::Circle).size(), 1u);
  ExpectRestored();
}

TEST_F(LengthLabelCommandTest, BadFieldOrCancelledPickEndsSilentlyWithNothingWritten) {
  const std::int64_t line = db().AddLine({0, 0, 0}, {3000, 4000, 0});
  t_.input->PushCancel();
  form_.Button11.Click();
  EXPECT_EQ(t_.input->prompts().size(), 1u);

  const struct {
    const char* name;
    TEdit TForm1::*field;
    const char* value;
  } cases[] = {
      {"height", &TForm1::Edit3, "abc"},
      {"height empty", &TForm1::Edit3, ""},
      {"scale", &TForm1::Edit8, "x"},
  };
  t_.input->PushEntity(line, 600, 800);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TEdit& field = form_.*c.field;
    const std::string before = field.Text();
    field.SetText(c.value);
    form_.Button11.Click();
    field.SetText(before);
    // Ended before the user was asked to pick.
    EXPECT_EQ(t_.input->pending(), 1u);
  }
  EXPECT_EQ(t_.input->prompts().size(), 1u);
  EXPECT_THAT(LabelTexts(), IsEmpty());
  EXPECT_THAT(db().OfKind(cad::EntityKind::Line), ::testing::SizeIs(1));
  ExpectRestored();
}

TEST(LengthLabelFaultSweep, EveryFailingCallEndsQuietlyRestoresAndKeepsTheDrawing) {
  const struct {
    const char* name;
    bool polyline;
    bool labelled_before;
  } cases[] = {{"line", false, false}, {"polyline", true, false}, {"line already labelled", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1 form;
    CommandState state;
    std::vector<std::int64_t> ids;
    host::testing::SweepCommand command;
    command.steps = LengthLabelSteps();
    command.body = LengthLabelBody(form, state);
    command.setup = [&](host::testing::TestHost& t) {
      t.db().SetVar("AUNITS", std::int16_t{3});
      const std::int64_t seg = c.polyline
                                   ? t.db().AddPolyline({{0, 0}, {10000, 0}, {10000, 5000}}, false)
                                   : t.db().AddLine({0, 0, 0}, {10000, 0, 0});
      ids = {seg};
      if (c.labelled_before) ids.push_back(t.db().AddText("X", {4900, -200, 0}, 100));
      t.input->PushEntity(seg, 5000, 0);
    };
    command.check = [&](host::testing::TestHost& t) -> std::string {
      for (const std::int64_t id : ids)
        if (!t.db().Find(id)) return "entity " + std::to_string(id) + " is gone";
      if (t.db().GetVar("AUNITS").ToInt32() != 3)
        return "AUNITS " + std::to_string(t.db().GetVar("AUNITS").ToInt32()) + ", was 3";
      return "";
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 0);
    EXPECT_TRUE(report.faults.empty()) << report.faults.front();
  }
}

}  // namespace
}  // namespace zavin::shell
