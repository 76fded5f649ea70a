#include "annotate/labels.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "annotate/marker.h"
#include "tests/annotate/annotate_fixture.h"
#include "tests/cad/host_probe.h"

namespace zavin::annotate {
namespace {

using geometry::TAcadPoint;
using testing::kPi;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SideLabelTest : public testing::AnnotateTest {
 protected:
  bool Label(TAcadPoint a, TAcadPoint b, bool check, host::AngleSettings angles = {}) {
    return SideLengthLabel(document(), a, b, style_, angles, check, record_);
  }
  LabelStyle style_;  // height 300, scale 1000, two decimals half up, H_TEXT
};

TEST_F(SideLabelTest, LabelStandsOnTheMidpointReadingLeftToRightOrUp) {
  const struct {
    const char* name;
    TAcadPoint a, b;
    host::AngleSettings angles;
    const char* text;
    cad::Point3 at;
    double rotation;
  } cases[] = {
      {"east", {0, 0, 0}, {10000, 0, 0}, {}, "10.00", {5000, 0, 0}, 0},
      {"west turns to east", {10000, 0, 0}, {0, 0, 0}, {}, "10.00", {5000, 0, 0}, 0},
      {"down reads up", {0, 10000, 0}, {0, 0, 0}, {}, "10.00", {0, 5000, 0}, kPi / 2},
      {"up", {0, 0, 0}, {0, 10000, 0}, {}, "10.00", {0, 5000, 0}, kPi / 2},
      {"south-west", {0, 0, 0}, {-5000, -5000, 0}, {}, "7.07", {-2500, -2500, 0}, kPi / 4},
      {"clockwise frame", {0, 0, 0}, {5000, 5000, 0}, {0, 1}, "7.07", {2500, 2500, 0}, -kPi / 4},
      {"clockwise, base 90", {0, 0, 0}, {10000, 0, 0}, {kPi / 2, 1}, "10.00", {5000, 0, 0}, kPi / 2},
      // The host adds the angle base back, so the text lies along the side.
      {"counter-clockwise, base 90", {0, 0, 0}, {10000, 0, 0}, {kPi / 2, 0}, "10.00", {5000, 0, 0},
       -kPi / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    EXPECT_TRUE(Label(c.a, c.b, true, c.angles));
    const cad::TextData& t = OnlyText();
    EXPECT_EQ(t.text, c.text);
    EXPECT_EQ(t.alignment, cad::kAlignBottomCenter);
    EXPECT_NEAR(t.alignment_point.x, c.at.x, 1e-9);
    EXPECT_NEAR(t.alignment_point.y, c.at.y, 1e-9);
    EXPECT_NEAR(t.rotation, c.rotation, 1e-12);
    EXPECT_DOUBLE_EQ(t.height, 300);
    EXPECT_EQ(Texts().front()->layer, "H_TEXT");
    EXPECT_THAT(TempSets(), IsEmpty());
  }
}

// With ANGDIR 0 and ANGBASE 90 a label once got angleBase + θ while the number
// got -angleBase: the label came out turned half a turn against the number.
TEST_F(SideLabelTest, LabelOnAnEastSideTurnsLikeTheUprightNumber) {
  for (const host::AngleSettings angles :
       {host::AngleSettings{kPi / 2, 0}, host::AngleSettings{kPi / 2, 1},
        host::AngleSettings{0.3, 0}, host::AngleSettings{0.3, 1}}) {
    SCOPED_TRACE(angles.angle_base + 10 * angles.angle_direction);
    Restart();
    ASSERT_TRUE(Label({0, 0, 0}, {10000, 0, 0}, false, angles));
    ThreeSideNumberMarker(document(), {0, 0, 0}, {10000, 0, 0}, {0, 8000, 0}, 1, MarkerStyle{},
                          angles, record_);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_DOUBLE_EQ(texts[0]->as<cad::TextData>()->rotation,
                     texts[1]->as<cad::TextData>()->rotation);
  }
}

TEST_F(SideLabelTest, SharedSideOfTwoTrianglesIsLabelledOnce) {
  const TAcadPoint p0{0, 0, 0}, p1{4000, 0, 0}, p2{0, 3000, 0}, q{4000, 3000, 0};
  LabelTriangleSides(document(), p0, p1, p2, style_, {}, record_);
  // The neighbour shares P1-P2, given the other way round.
  LabelTriangleSides(document(), p2, p1, q, style_, {}, record_);
  EXPECT_THAT(TextStrings(), ElementsAre("4.00", "5.00", "3.00", "3.00", "4.00"));
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(SideLabelTest, AnyTextAcrossEitherZoneBlocksTheLabelUnlessUnchecked) {
  // Below the side: zone 2 of the check.
  db().AddText("X", {4900, -200, 0}, 100);
  EXPECT_FALSE(Label({0, 0, 0}, {10000, 0, 0}, true));
  EXPECT_EQ(Texts().size(), 1u);

  EXPECT_TRUE(Label({0, 0, 0}, {10000, 0, 0}, false));
  EXPECT_TRUE(Label({0, 0, 0}, {10000, 0, 0}, false));  // even on top of the last one
  EXPECT_EQ(Texts().size(), 3u);
  EXPECT_THAT(TempSets(), IsEmpty());
}

TEST_F(SideLabelTest, TextsOutsideTheZonesOrOtherEntitiesDoNotBlock) {
  db().AddText("far", {5000, 2000, 0}, 100);       // above zone 1
  db().AddText("aside", {6000, 0, 0}, 100);        // beyond E1 along the side
  db().AddCircle({5000, 0, 0}, 100);               // not a text
  db().AddLine({5000, -1000, 0}, {5000, 1000, 0});
  EXPECT_TRUE(Label({0, 0, 0}, {10000, 0, 0}, true));
}

TEST_F(SideLabelTest, SelectionSetIsDeletedWhenTheCheckFails) {
  // Calls: SelectionSets, Count, Add, Clear, Select -> fail the Select.
  for (std::int64_t k = 1; k <= 12; ++k) {
    SCOPED_TRACE(k);
    Restart();
    cad::testing::Probe(host()).faults().fail_call = host().call_count() + k;
    try {
      Label({0, 0, 0}, {10000, 0, 0}, true);
    } catch (const platform::HostError&) {
    }
    cad::testing::Probe(host()).faults().fail_call = 0;
    EXPECT_THAT(TempSets(), IsEmpty());
  }
}

TEST_F(SideLabelTest, BrokenScaleWritesNothing) {
  for (double scale : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(scale);
    style_.scale = scale;
    EXPECT_THROW(Label({0, 0, 0}, {10000, 0, 0}, false), std::invalid_argument);
  }
  EXPECT_THAT(Texts(), IsEmpty());
}

TEST_F(SideLabelTest, LabelsAreRecordedWhileRecording) {
  record_.RecordCreatedObjects = true;
  Label({0, 0, 0}, {10000, 0, 0}, true);
  EXPECT_THAT(record_.CreatedObjectIds, ElementsAre(Texts().front()->id));
}

}  // namespace
}  // namespace zavin::annotate
