#include "shell/command_base_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "tests/cad/host_probe.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

constexpr double kApexX = 3200;
const double kApexY = std::sqrt(8000.0 * 8000.0 - 3200.0 * 3200.0);  // 7332.12…

double Dist(const cad::Point3& p, double x, double y) { return std::hypot(p.x - x, p.y - y); }

// The tool window with both commands over a drawing that holds the base line
// (0, 0)-(10000, 0) and one unrelated circle.
class BaseLineCommandTest : public host::testing::HostTest {
 protected:
  BaseLineCommandTest() {
    InstallBaseLineCommands(form_, state_);
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
    base_ = db().AddLine({0, 0, 0}, {10000, 0, 0});
    other_ = db().AddCircle({-5000, -5000, 0}, 100);
  }
  ~BaseLineCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  // Button1 with the base picked at (pick_x, 10) and the side at (5000, side_y).
  void Construct(double pick_x, double side_y) {
    t_.input->PushEntity(base_, pick_x, 10);
    t_.input->PushPoint(5000, side_y);
    form_.Button1.Click();
  }

  std::vector<cad::LineData> SideLines() const {
    std::vector<cad::LineData> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line))
      if (e->layer == "H_HEN") out.push_back(*e->as<cad::LineData>());
    return out;
  }

  // The apex as drawn: the end both new sides share (P0-P2, then P1-P2).
  cad::Point3 Apex() const {
    const std::vector<cad::LineData> sides = SideLines();
    EXPECT_EQ(sides.size(), 2u);
    if (sides.size() != 2) return {};
    EXPECT_EQ(sides[0].end, sides[1].end);
    return sides[0].end;
  }

  // Texts of the number markers (those that carry the triangle record).
  std::vector<std::string> Numbers() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      if (!e->xdata.empty()) out.push_back(e->as<cad::TextData>()->text);
    return out;
  }

  bool BaseAndOtherKept() const { return db().Find(base_) && db().Find(other_); }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
  std::int64_t base_ = 0;
  std::int64_t other_ = 0;
};

TEST_F(BaseLineCommandTest, ApexLiesOnTheIndicatedSideWithSideAAtTheEndNearerThePick) {
  const struct {
    const char* name;
    double pick_x, side_y;
    double x, y;  // expected apex
  } cases[] = {
      {"pick near start, above", 100, 3000, kApexX, kApexY},
      {"pick near end, above", 9900, 3000, 10000 - kApexX, kApexY},
      {"pick near start, below", 100, -3000, kApexX, -kApexY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    base_ = db().AddLine({0, 0, 0}, {10000, 0, 0});
    form_.Edit16.SetText("1");
    Construct(c.pick_x, c.side_y);
    const cad::Point3 apex = Apex();
    EXPECT_NEAR(apex.x, c.x, 1e-6);
    EXPECT_NEAR(apex.y, c.y, 1e-6);
    EXPECT_EQ(Numbers(), std::vector<std::string>{"1"});
    EXPECT_EQ(form_.Edit16.Text(), "2");
    EXPECT_TRUE(form_.Button9.Enabled());
    EXPECT_TRUE(state_.Created.RecordCreatedObjects);
    EXPECT_FALSE(state_.Created.CreatedObjectIds.empty());
    EXPECT_TRUE(db().Find(base_));
  }
}

TEST_F(BaseLineCommandTest, LengthsThatFormNoTriangleShowTheMessageAndDrawNothing) {
  db().Erase(base_);
  base_ = db().AddLine({0, 0, 0}, {7000, 0, 0});
  form_.Edit1.SetText("3");
  form_.Edit2.SetText("4");
  const std::size_t entities = db().model_space().size();
  Construct(100, 3000);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].text, "三角が作成できません．");
  EXPECT_EQ(boxes_->boxes()[0].caption, "IJcad_Zavin");
  EXPECT_EQ(boxes_->boxes()[0].flags, platform::MB_OK);
  EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
  EXPECT_EQ(db().model_space().size(), entities);
  EXPECT_EQ(t_.input->pending(), 1u) << "the side is not asked for";
  EXPECT_FALSE(form_.Button9.Enabled());
  EXPECT_EQ(form_.Edit16.Text(), "1");
}

TEST_F(BaseLineCommandTest, NumberFieldAtItsTopShowsTheMessageBeforeAnyPick) {
  form_.Edit16.SetText("9999");
  const std::size_t entities = db().model_space().size();
  Construct(100, 3000);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].text, "番号が上限の 9999 を超えます．");
  EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
  EXPECT_EQ(db().model_space().size(), entities);
  EXPECT_FALSE(form_.Button9.Enabled());
  EXPECT_EQ(form_.Edit16.Text(), "9999");
}

TEST_F(BaseLineCommandTest, FailedConstructionLeavesThePendingOneToTheExchange) {
  Construct(100, 3000);
  const std::vector<std::int64_t> recorded = state_.Created.CreatedObjectIds;
  form_.Edit1.SetText("1");
  form_.Edit2.SetText("1");
  Construct(100, 3000);  // cannot form: a-b反転 still refers to the first
  EXPECT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_TRUE(form_.Button9.Enabled());
  EXPECT_EQ(state_.Created.CreatedObjectIds, recorded);
  form_.Button9.Click();
  const cad::Point3 apex = Apex();
  EXPECT_NEAR(Dist(apex, 0, 0), 10000, 1e-6);
}

TEST_F(BaseLineCommandTest, ExchangeFlipsInPlaceAndKeepsTheNumber) {
  form_.Edit16.SetText("7");
  Construct(100, 3000);
  const std::vector<std::int64_t> first = state_.Created.CreatedObjectIds;
  form_.Button9.Click();
  for (const std::int64_t id : first) EXPECT_FALSE(db().Find(id)) << id;
  cad::Point3 apex = Apex();
  EXPECT_NEAR(Dist(apex, 0, 0), 10000, 1e-6);
  EXPECT_NEAR(Dist(apex, 10000, 0), 8000, 1e-6);
  EXPECT_GT(apex.y, 0);
  EXPECT_EQ(Numbers(), std::vector<std::string>{"7"});
  EXPECT_EQ(form_.Edit16.Text(), "8");
  EXPECT_TRUE(state_.Created.RecordCreatedObjects);

  form_.Button9.Click();  // and back again
  apex = Apex();
  EXPECT_NEAR(apex.x, kApexX, 1e-6);
  EXPECT_NEAR(apex.y, kApexY, 1e-6);
  EXPECT_EQ(Numbers(), std::vector<std::string>{"7"});
  EXPECT_EQ(form_.Edit16.Text(), "8");
  EXPECT_TRUE(BaseAndOtherKept());
}

// The host reports an erased entity like a failed deletion; counting it as a
// failure left the old number in place beside the new one on the next click.
TEST_F(BaseLineCommandTest, ExchangeAfterTheUserErasedARecordedEntityKeepsRecording) {
  Construct(100, 3000);
  const std::vector<std::int64_t> first = state_.Created.CreatedObjectIds;
  ASSERT_GE(first.size(), 2u);
  ASSERT_TRUE(db().Erase(first[1]));
  form_.Button9.Click();
  for (const std::int64_t id : first) EXPECT_FALSE(db().Find(id)) << id;
  EXPECT_TRUE(state_.Created.RecordCreatedObjects);
  form_.Button9.Click();
  EXPECT_EQ(Numbers(), std::vector<std::string>{"1"}) << "never two numbers";
  EXPECT_EQ(SideLines().size(), 2u);
  EXPECT_TRUE(BaseAndOtherKept());
}

// A deletion the host refuses while the entity still exists: the old
// entities it could not remove stay, the new variant is drawn unrecorded, and
// the exchange after that records again.
TEST_F(BaseLineCommandTest, FailedRemovalDrawsUnrecordedThenRecordsAgain) {
  bool found = false;
  for (std::int64_t k = 1; k < 400 && !found; ++k) {
    Restart();
    state_.Created.Reset();
    base_ = db().AddLine({0, 0, 0}, {10000, 0, 0});
    form_.Edit16.SetText("1");
    Construct(100, 3000);
    const std::vector<std::int64_t> first = state_.Created.CreatedObjectIds;
    cad::testing::Probe(host()).faults().fail_call = host().call_count() + k;
    form_.Button9.Click();
    cad::testing::Probe(host()).faults().fail_call = 0;
    std::size_t kept = 0;
    std::int64_t kept_id = 0;
    for (const std::int64_t id : first)
      if (db().Find(id)) ++kept, kept_id = id;
    if (state_.Created.RecordCreatedObjects || kept != 1 || form_.Edit16.Text() != "2") continue;
    found = true;
    SCOPED_TRACE("failing call " + std::to_string(k));
    EXPECT_TRUE(form_.Button9.Enabled());
    EXPECT_TRUE(state_.Created.CreatedObjectIds.empty());

    // Deletes nothing, draws the first variant again and records it.
    const std::size_t entities = db().model_space().size();
    form_.Button9.Click();
    EXPECT_TRUE(db().Find(kept_id));
    EXPECT_GT(db().model_space().size(), entities);
    EXPECT_TRUE(state_.Created.RecordCreatedObjects);
    EXPECT_FALSE(state_.Created.CreatedObjectIds.empty());
  }
  EXPECT_TRUE(found) << "no single failing call left a failed removal";
}

TEST_F(BaseLineCommandTest, ExchangeIsEnabledOnlyWhileAConstructionIsPending) {
  EXPECT_FALSE(form_.Button9.Enabled());
  Construct(100, 3000);
  EXPECT_TRUE(form_.Button9.Enabled());
  // A command without F2 leaves it pending.
  form_.Frame.Run(host::FrameSteps(), [](const host::Document&, host::CommandContext&) {});
  EXPECT_TRUE(form_.Button9.Enabled());
  // F2 of another command ends it.
  form_.Frame.Run(host::FrameSteps().EndPendingConstruction(),
                  [](const host::Document&, host::CommandContext&) {});
  EXPECT_FALSE(form_.Button9.Enabled());
  EXPECT_FALSE(state_.Created.RecordCreatedObjects);
  EXPECT_TRUE(state_.Created.CreatedObjectIds.empty());
}

TEST_F(BaseLineCommandTest, FieldThatIsNotANumberEndsSilently) {
  TEdit* const fields[] = {&form_.Edit1, &form_.Edit2, &form_.Edit17, &form_.Edit3, &form_.Edit8,
                           &form_.Edit5, &form_.Edit6};
  for (TEdit* field : fields) {
    SCOPED_TRACE(field->Name());
    Restart();
    base_ = db().AddLine({0, 0, 0}, {10000, 0, 0});
    const std::string kept = field->Text();
    field->SetText("8,0");
    Construct(100, 3000);
    field->SetText(kept);
    EXPECT_TRUE(boxes_->boxes().empty());
    EXPECT_EQ(db().model_space().size(), 1u);
    EXPECT_EQ(form_.Edit16.Text(), "1");
    EXPECT_FALSE(form_.Button9.Enabled());
  }

  // The same for the exchange: the pending triangle stays as drawn.
  Restart();
  base_ = db().AddLine({0, 0, 0}, {10000, 0, 0});
  Construct(100, 3000);
  const std::size_t entities = db().model_space().size();
  form_.Edit3.SetText("abc");
  form_.Button9.Click();
  EXPECT_EQ(db().model_space().size(), entities);
  EXPECT_EQ(form_.Edit16.Text(), "2");
  EXPECT_TRUE(form_.Button9.Enabled());
}

TEST_F(BaseLineCommandTest, CancelAtTheSidePromptDrawsNothing) {
  t_.input->PushEntity(base_, 100, 10);
  t_.input->PushCancel();
  form_.Button1.Click();
  EXPECT_EQ(db().model_space().size(), 2u);
  EXPECT_FALSE(form_.Button9.Enabled());
  EXPECT_EQ(form_.Edit16.Text(), "1");
}

TEST_F(BaseLineCommandTest, EnterMovesFromSideAToSideBToTheButton) {
  char32_t key = U'\r';
  form_.Edit1.OnKeyPress(key);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(form_.ActiveControl(), &form_.Edit2);
  key = U'\r';
  form_.Edit2.OnKeyPress(key);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(form_.ActiveControl(), &form_.Button1);
  key = U'x';
  form_.Edit1.OnKeyPress(key);
  EXPECT_EQ(key, U'x');
}

}  // namespace
}  // namespace zavin::shell
