// 座標求積 end to end: the tool window, the embedded host with its boundary
// command, and the drawing.

#include "shell/command_coordinate_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "annotate/driver.h"
#include "cad/db/database.h"
#include "capture/region_split.h"
#include "platform/message_box.h"
#include "shell/command_region_split.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"

namespace zavin::shell {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Outline = std::vector<std::pair<double, double>>;

// The reflex parcel of the coordinate-area tests, in millimetres, listed
// counter-clockwise: A B C D E, D the reflex corner.
const Outline kParcel = {{0, 0}, {20000.5, 0.5}, {20000.5, 15000.75}, {10000.25, 6000.5}, {0, 15000.5}};

void DrawLines(cad::Database& db, const Outline& o) {
  for (std::size_t i = 0; i < o.size(); ++i) {
    const auto& [x1, y1] = o[i];
    const auto& [x2, y2] = o[(i + 1) % o.size()];
    db.AddLine({x1, y1, 0}, {x2, y2, 0}, "0");
  }
}

class CoordinateTableCommandTest : public host::testing::HostTest {
 protected:
  CoordinateTableCommandTest() {
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
  }
  ~CoordinateTableCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  // 座標求積 by a point inside, the table's corner at (x, y).
  void ByPoint(double px, double py, double x, double y) {
    t_.input->PushPoint(px, py);
    t_.input->PushPoint(x, y);
    Click();
  }
  void Click() {
    for (shell::TButton* b : {&form_.Button15}) {
      ASSERT_EQ(b->Caption(), "座標求積");
      b->Click();
    }
  }

  std::vector<std::string> Texts(const std::string& layer) const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      if (e->layer == layer) out.push_back(e->as<cad::TextData>()->text);
    return out;
  }
  const cad::TextData* NameText(const std::string& name) const {
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
      if (e->layer == "点名" && e->as<cad::TextData>()->text == name) return e->as<cad::TextData>();
    return nullptr;
  }
  std::vector<std::string> BlockNames() const {
    std::vector<std::string> names;
    for (const cad::Block& b : db().blocks()) names.push_back(b.name);
    return names;
  }
  void ExpectNothingDrawn(std::size_t entities) const {
    EXPECT_EQ(db().model_space().size(), entities);
    EXPECT_THAT(BlockNames(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
};

TEST_F(CoordinateTableCommandTest, ReflexParcelTableWithGeneratedNames) {
  DrawLines(db(), kParcel);
  ByPoint(5000, 3000, 30000, 20000);

  // The figures are those the coordinate-area test recomputes independently.
  EXPECT_THAT(Texts("H_TEXT"),
              ElementsAre("点名", "X", "Y", "Yn+1−Yn−1", "Xn×(Yn+1−Yn−1)",
                          "K1", "15.001", "0.000", "10.000", "150.010000",
                          "K2", "6.001", "10.000", "20.001", "120.026001",
                          "K3", "15.001", "20.001", "10.001", "150.025001",
                          "K4", "0.001", "20.001", "-20.001", "-0.020001",
                          "K5", "0.000", "0.000", "-20.001", "0.000000",
                          "倍面積", "420.041001", "面積", "210.020500", "地積", "210.02    "));
  // Generated names stand outside the parcel, one name height from their vertex.
  EXPECT_THAT(Texts("点名"), ElementsAre("K1", "K2", "K3", "K4", "K5"));
  const cad::TextData* k2 = NameText("K2");  // the reflex corner D (10000.25, 6000.5)
  ASSERT_NE(k2, nullptr);
  EXPECT_NEAR(std::hypot(k2->alignment_point.x - 10000.25, k2->alignment_point.y - 6000.5), 300, 1e-6);
  EXPECT_GT(k2->alignment_point.y, 6000.5);  // into the notch, which is outside
  const cad::TextData* k5 = NameText("K5");  // A (0, 0)
  ASSERT_NE(k5, nullptr);
  EXPECT_LT(k5->alignment_point.x, 0);
  EXPECT_LT(k5->alignment_point.y, 0);

  EXPECT_THAT(host().prompts(), ::testing::Contains(HasSubstr("座標求積 面積 210.020500 m²")));
  EXPECT_THAT(BlockNames(), IsEmpty());
  EXPECT_THAT(db().OfKind(cad::EntityKind::BlockRef), IsEmpty());
  EXPECT_THAT(db().OfKind(cad::EntityKind::Polyline), IsEmpty());  // the boundary is erased
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

TEST_F(CoordinateTableCommandTest, NamesComeFromTextsOnThePointNameLayer) {
  DrawLines(db(), kParcel);
  db().AddLayer("点名");
  db().AddText("P-7", {0 + 100, 0 - 100, 0}, 250, "点名");  // within 250 of A
  db().AddText("far", {20000, 7000, 0}, 250, "点名");       // near no vertex
  db().AddText("H", {20000.5, 15000.75, 0}, 250, "0");       // on another layer
  form_.Edit25.SetText("10");
  form_.CheckBox5.SetChecked(true);
  ByPoint(5000, 3000, 30000, 20000);

  const std::vector<std::string> t = Texts("H_TEXT");
  EXPECT_THAT(std::vector<std::string>(t.begin() + 5, t.end() - 6 - 12),
              ElementsAre("K10", "15.001", "0.000", "10.000", "150.010000",
                          "K11", "6.001", "10.000", "20.001", "120.026001",
                          "K12", "15.001", "20.001", "10.001", "150.025001",
                          "K13", "0.001", "20.001", "-20.001", "-0.020001",
                          "P-7", "0.000", "0.000", "-20.001", "0.000000"));
  // The side-length table beside it, sides in the same order.
  EXPECT_THAT(std::vector<std::string>(t.end() - 12, t.end()),
              ElementsAre("点名–点名", "距離", "K10–K11", "13.45", "K11–K12", "13.45", "K12–K13",
                          "15.00", "K13–P-7", "20.00", "P-7–K10", "15.00"));
  EXPECT_THAT(Texts("点名"), ElementsAre("P-7", "far", "K10", "K11", "K12", "K13"));
}

TEST_F(CoordinateTableCommandTest, ClosedPolylineAfterEnterWithAnArcAndALandCategory) {
  // The arc lot: 24 m x 14 m, the north side an arc of radius 37 m.
  const double theta = 2 * std::asin(12.0 / 37.0);
  cad::PolylineData lot;
  lot.vertices = {{0, 0}, {24000, 0}, {24000, 14000}, {0, 14000}};
  lot.closed = true;
  lot.bulges = {0, 0, std::tan(theta / 4), 0};
  const std::int64_t id = db().Add(lot, "0").id;
  form_.RadioGroup2.SetItemIndex(3);  // その他: whole m² above 10 m²
  t_.input->PushEnter();
  t_.input->PushEntity(id, 12000, 0);
  t_.input->PushPoint(30000, 20000);
  Click();

  const std::vector<std::string> t = Texts("H_TEXT");
  ASSERT_GE(t.size(), 8u);
  EXPECT_THAT(std::vector<std::string>(t.end() - 8, t.end()),
              ElementsAre("倍面積", "672.000000", "弓形 K1–K2 R=37.000 θ=37°50′57″", "32.177079", "面積",
                          "368.177079", "地積", "368      "));
  const double true_area = 336 + 37.0 * 37.0 * (theta - std::sin(theta)) / 2;
  EXPECT_NEAR(std::stod(t[t.size() - 3]), true_area, 0.01);
  EXPECT_TRUE(db().Find(id));  // the user's polyline stays
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

TEST_F(CoordinateTableCommandTest, BadInputShowsAMessageAndDrawsNothing) {
  const struct {
    const char* what;
    Outline outline;
    bool closed;
    const char* message;
  } cases[] = {
      {"open", {{0, 0}, {1000, 0}, {0, 1000}}, false, "閉じたポリラインではありません．"},
      {"crossing", {{0, 0}, {1000, 1000}, {1000, 0}, {0, 1000}}, true, "境界が交差しています．"},
      {"two vertices", {{0, 0}, {1000, 0}}, true, "頂点が３点未満です．"},
      {"too far", {{0, 0}, {1e16, 0}, {0, 1000}}, true, "座標が桁数で書けない値です．"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Restart();
    boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
    platform::SetMessageBoxSink(boxes_);
    const std::int64_t id = db().AddPolyline(c.outline, c.closed, "0");
    t_.input->PushEnter();
    t_.input->PushEntity(id, 0, 0);
    t_.input->PushPoint(30000, 20000);
    Click();
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(boxes_->boxes()[0].text, c.message);
    ExpectNothingDrawn(1);
  }
  // A point outside every region: the boundary message of 自動.
  Restart();
  boxes_ = std::make_shared<platform::RecordingMessageBoxSink>();
  platform::SetMessageBoxSink(boxes_);
  DrawLines(db(), kParcel);
  ByPoint(-5000, -5000, 30000, 20000);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].text, capture::kNoBoundaryText);
  ExpectNothingDrawn(kParcel.size());
}

TEST_F(CoordinateTableCommandTest, ReportsTheTrianglesOfTheSameRegion) {
  const Outline square = {{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}};
  DrawLines(db(), square);
  t_.input->PushPoint(3000, 7000);
  form_.Button10.Click();  // 自動: two triangles, 100.00 m²
  const std::int64_t outline = db().AddPolyline(square, true, "0");
  t_.input->PushEnter();
  t_.input->PushEntity(outline, 0, 0);
  t_.input->PushPoint(30000, 20000);
  Click();
  EXPECT_THAT(host().prompts(),
              ::testing::Contains(HasSubstr("座標求積 面積 100.000000 m²  三角形 100.00 m²  差 0.000000 m²")));
}

TEST(CoordinateTableFaultSweep, EveryFailureCleansUp) {
  host::testing::SweepCommand command;
  command.steps = CoordinateTableFrameSteps();
  // Two failures at the explosion of the inserted table, or a host that dies
  // after the insertion, leave the reference and its block: not yet mended.
  command.multiple_faults = false;
  command.body = [](const host::Document& document, host::CommandContext& context) {
    CoordinateCommandParams params;
    params.table.widths = {1500, 3500, 3500, 3500, 5500};
    params.table.sideTable = true;
    params.table.sideWidths = {3000, 3000};
    CoordinateTableCommand(document, context, params);
  };
  auto lines = std::make_shared<std::vector<std::int64_t>>();
  command.setup = [lines](host::testing::TestHost& t) {
    platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
    lines->clear();
    for (std::size_t i = 0; i < kParcel.size(); ++i) {
      const auto& [x1, y1] = kParcel[i];
      const auto& [x2, y2] = kParcel[(i + 1) % kParcel.size()];
      lines->push_back(t.db().AddLine({x1, y1, 0}, {x2, y2, 0}, "0"));
    }
    t.input->PushPoint(5000, 3000);
    t.input->PushPoint(30000, 20000);
  };
  command.check = [lines](host::testing::TestHost& t) -> std::string {
    for (std::int64_t id : *lines)
      if (!t.db().Find(id)) return "outline line " + std::to_string(id) + " lost";
    if (!t.db().blocks().empty()) return "table block left behind";
    if (!t.db().OfKind(cad::EntityKind::BlockRef).empty()) return "block reference left behind";
    return "";
  };
  const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
  platform::SetMessageBoxSink(nullptr);
  EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
  EXPECT_GT(report.clean_calls, 100);
  EXPECT_THAT(report.faults, IsEmpty());
}

}  // namespace
}  // namespace zavin::shell
