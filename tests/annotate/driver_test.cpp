#include "annotate/driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "annotate/lines.h"
#include "tests/annotate/annotate_fixture.h"
#include "tests/cad/host_probe.h"
#include "tests/host/fault_sweep.h"

namespace zavin::annotate {
namespace {

using geometry::TAcadPoint;
using testing::DrawnLine;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr TAcadPoint kP0{0, 0, 0}, kP1{4000, 0, 0}, kP2{0, 3000, 0};

class SegmentTest : public testing::AnnotateTest {
 protected:
  SegmentTest() { db().AddLayer("H_HEN"); }

  bool Draw(TAcadPoint p, TAcadPoint q, bool check) {
    return DrawSegment(document(), p, q, "H_HEN", check, record_);
  }
};

TEST_F(SegmentTest, AnyLineLikeEntityAtTheMidpointBlocksTheCheckedSegment) {
  db().AddPolyline({{0, 0}, {4000, 0}, {0, 3000}}, true);  // the parcel outline
  db().AddLine({2000, -1000, 0}, {2000, 1000, 0});        // across the base's midpoint
  EXPECT_FALSE(Draw(kP1, kP2, true));   // on the outline
  EXPECT_FALSE(Draw(kP1, kP0, true));   // crossing line, other direction
  EXPECT_TRUE(Draw(kP0, {0, -3000, 0}, true));  // nothing at (0, -1500)
  EXPECT_THAT(Lines(), ElementsAre(DrawnLine{{2000, -1000, 0}, {2000, 1000, 0}, "0"},
                                   DrawnLine{{0, 0, 0}, {0, -3000, 0}, "H_HEN"}));
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(SegmentTest, UncheckedSegmentIsDrawnOverAnExistingOneFromPToQ) {
  db().AddLine({0, 0, 0}, {1440, 1920, 0});
  EXPECT_TRUE(Draw({1440, 1920, 0}, {0, 0, 0}, false));
  EXPECT_EQ(Lines().back(), (DrawnLine{{1440, 1920, 0}, {0, 0, 0}, "H_HEN"}));
  EXPECT_EQ(Lines().size(), 2u);
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(SegmentTest, LineWhoseSetUpFailsIsStillRecordedForRemoval) {
  auto draw = [this](const host::Document& doc) {
    return DrawSegment(doc, kP0, kP1, "H_HEN", false, record_);
  };
  record_.RecordCreatedObjects = true;
  host::Document doc = document();
  std::int64_t before = host().call_count();
  draw(doc);
  const std::int64_t calls = host().call_count() - before;
  // The last two calls give the line its layer and update it.
  for (const std::int64_t k : {calls - 1, calls}) {
    SCOPED_TRACE(k);
    Restart();
    db().AddLayer("H_HEN");
    record_ = {};
    record_.RecordCreatedObjects = true;
    doc = document();
    before = host().call_count();
    cad::testing::Probe(host()).faults().fail_call = before + k;
    EXPECT_ANY_THROW(draw(doc));
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(record_.CreatedObjectIds.size(), 1u);
  }
}

class DriverTest : public testing::AnnotateTest {
 protected:
  DriverTest() {
    Restart();
    // A drawing without the annotation layers; the base line is there.
    db().AddLine({0, 0, 0}, {4000, 0, 0});
  }
  void Restart() { HostTest::Restart(); }

  int Annotate(AreaMethod method, TAcadPoint p0 = kP0, TAcadPoint p1 = kP1, TAcadPoint p2 = kP2,
               int number = 5) {
    return AnnotateTriangle(document(), p0, p1, p2, method, {}, settings_, number, record_);
  }

  // Text strings with their layer and anchor, for a whole-drawing check.
  std::vector<std::string> TextSummary() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : Texts()) {
      const cad::TextData& t = *e->as<cad::TextData>();
      char buf[96];
      std::snprintf(buf, sizeof buf, "%s@%.0f,%.0f/%s", t.text.c_str(), t.alignment_point.x,
                    t.alignment_point.y, e->layer.c_str());
      out.push_back(buf);
    }
    return out;
  }
  void ExpectMarker(const char* number, double x, double y) const {
    const auto circles = Of(cad::EntityKind::Circle);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_NEAR(circles.front()->as<cad::CircleData>()->center.x, x, 1e-9);
    EXPECT_NEAR(circles.front()->as<cad::CircleData>()->center.y, y, 1e-9);
    const cad::Entity* text = Texts().back();
    EXPECT_EQ(text->as<cad::TextData>()->text, number);
    EXPECT_EQ(ParseTriangleXdata(document().ObjectIdToObject(text->id).GetXdata("QM_ZAVIN")),
              (TriangleSides{4000, 5000, 3000}));
  }

  AnnotationSettings settings_;
};

TEST_F(DriverTest, ThreeSideTriangleGetsItsSidesLabelsAndMarker) {
  ASSERT_EQ(db().FindLayer("H_HEN"), nullptr);
  EXPECT_EQ(Annotate(AreaMethod::ThreeSide), 6);
  EXPECT_THAT(Lines(), ElementsAre(DrawnLine{{0, 0, 0}, {4000, 0, 0}, "0"},
                                   DrawnLine{{0, 0, 0}, {0, 3000, 0}, "H_HEN"},
                                   DrawnLine{{4000, 0, 0}, {0, 3000, 0}, "H_HEN"}));
  EXPECT_THAT(TextSummary(), ElementsAre("4.00@2000,0/H_TEXT", "5.00@2000,1500/H_TEXT",
                                         "3.00@0,1500/H_TEXT", "5@1000,1000/H_TEXT"));
  ExpectMarker("5", 1000, 1000);
  EXPECT_EQ(db().FindLayer("H_TAKASA"), nullptr);
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(DriverTest, BaseHeightTriangleGetsBaseAndHeightLabelsAndTheHeightLine) {
  EXPECT_EQ(Annotate(AreaMethod::BaseHeight), 6);
  EXPECT_THAT(Lines(), ElementsAre(DrawnLine{{0, 0, 0}, {4000, 0, 0}, "0"},
                                   DrawnLine{{0, 0, 0}, {0, 3000, 0}, "H_HEN"},
                                   DrawnLine{{4000, 0, 0}, {0, 3000, 0}, "H_HEN"},
                                   DrawnLine{{0, 0, 0}, {1440, 1920, 0}, "H_TAKASA"}));
  EXPECT_THAT(TextSummary(), ElementsAre("5.00@2000,1500/H_TEXT", "2.40@720,960/H_TEXT",
                                         "5@1600,800/H_TEXT"));
  ExpectMarker("5", 1600, 800);
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(DriverTest, SecondTriangleOnASharedSideDrawsAndLabelsItOnce) {
  Annotate(AreaMethod::ThreeSide);
  // Its base (4000, 3000)-(4000, 0) is drawn; its side (4000, 0)-(0, 3000) is shared.
  db().AddLine({4000, 3000, 0}, {4000, 0, 0});
  EXPECT_EQ(Annotate(AreaMethod::ThreeSide, {4000, 3000, 0}, kP1, kP2, 6), 7);
  EXPECT_EQ(Lines().size(), 5u);
  EXPECT_EQ(Lines().back(), (DrawnLine{{4000, 3000, 0}, {0, 3000, 0}, "H_HEN"}));
  EXPECT_THAT(TextStrings(), ElementsAre("4.00", "5.00", "3.00", "5", "3.00", "4.00", "6"));
}

TEST_F(DriverTest, EverythingWrittenIsRecordedWhileRecording) {
  record_.RecordCreatedObjects = true;
  const std::int64_t base = db().LastEntity()->id;
  Annotate(AreaMethod::BaseHeight);
  std::vector<std::int64_t> created;
  for (const auto& [id, e] : db().model_space())
    if (id != base) created.push_back(id);
  EXPECT_EQ(record_.CreatedObjectIds, created);
}

TEST_F(DriverTest, NumberWhoseSuccessorPassesTheFieldWritesNothing) {
  EXPECT_EQ(Annotate(AreaMethod::ThreeSide, kP0, kP1, kP2, kMaxNumber - 1), kMaxNumber);
  Restart();
  for (AreaMethod method : {AreaMethod::ThreeSide, AreaMethod::BaseHeight}) {
    EXPECT_THROW(Annotate(method, kP0, kP1, kP2, kMaxNumber), std::out_of_range);
    EXPECT_TRUE(db().model_space().empty());
  }
}

TEST_F(DriverTest, FlatTriangleKeepsItsHeightLabelBesideTheBaseLabel) {
  // The base label at (5000, 0) lies inside the height's neighbour zone.
  Restart();
  db().AddLine({0, 0, 0}, {10000, 0, 0});
  Annotate(AreaMethod::BaseHeight, {0, 0, 0}, {10000, 0, 0}, {5000, 1000, 0});
  EXPECT_THAT(TextStrings(), ElementsAre("10.00", "1.00", "5"));
}

TEST_F(DriverTest, CollinearTriangleWritesNothing) {
  for (AreaMethod method : {AreaMethod::ThreeSide, AreaMethod::BaseHeight}) {
    EXPECT_THROW(Annotate(method, kP0, kP1, {8000, 0, 0}), std::invalid_argument);
    EXPECT_EQ(db().model_space().size(), 1u);
  }
}

// Whichever host call fails, the driver leaves no temporary selection set and
// lists only entities that exist, in creation order.
TEST(DriverFaultSweep, EveryFailureLeavesNoSelectionSetAndAConsistentRecord) {
  for (AreaMethod method : {AreaMethod::ThreeSide, AreaMethod::BaseHeight}) {
    SCOPED_TRACE(static_cast<int>(method));
    auto record = std::make_shared<CreatedObjectRecord>();
    host::testing::SweepCommand command;
    command.setup = [record](host::testing::TestHost& t) {
      record->Reset();
      record->RecordCreatedObjects = true;
      t.db().AddLine({0, 0, 0}, {4000, 0, 0});
    };
    command.body = [record, method](const host::Document& document, host::CommandContext&) {
      AnnotateTriangle(document, kP0, kP1, kP2, method, {}, AnnotationSettings{}, 5, *record);
    };
    command.check = [record](host::testing::TestHost& t) -> std::string {
      if (!std::is_sorted(record->CreatedObjectIds.begin(), record->CreatedObjectIds.end()))
        return "record out of creation order";
      for (std::int64_t id : record->CreatedObjectIds)
        if (!t.db().Find(id)) return "recorded id " + std::to_string(id) + " does not exist";
      return "";
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 20);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

}  // namespace
}  // namespace zavin::annotate
