#include "annotate/marker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "annotate/number_file.h"
#include "geometry/area.h"
#include "tests/annotate/annotate_fixture.h"

namespace zavin::annotate {
namespace {

using geometry::TAcadPoint;
using testing::kPi;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The right triangle of the marker examples.
constexpr TAcadPoint kP0{0, 0, 0}, kP1{4000, 0, 0}, kP2{0, 3000, 0};

class MarkerTest : public testing::AnnotateTest {
 protected:
  MarkerTest() { style_.layer = "H_NUM"; }

  void ThreeSide(TAcadPoint p0, TAcadPoint p1, TAcadPoint p2, host::AngleSettings angles = {}) {
    ThreeSideNumberMarker(document(), p0, p1, p2, 12, style_, angles, record_);
  }
  void BaseHeight(TAcadPoint p0, TAcadPoint p1, TAcadPoint p2, host::AngleSettings angles = {}) {
    BaseHeightNumberMarker(document(), p0, p1, p2, geometry::BaseAndFoot(p0, p1, p2), 12, style_,
                           angles, record_);
  }

  // Checks the circle and number pair and returns their common centre.
  cad::Point3 CheckMarker(double rotation = 0) const {
    const auto circles = Of(cad::EntityKind::Circle);
    EXPECT_EQ(circles.size(), 1u);
    if (circles.empty()) return {};
    const cad::CircleData& c = *circles.front()->as<cad::CircleData>();
    EXPECT_DOUBLE_EQ(c.radius, 500);
    EXPECT_EQ(circles.front()->layer, "H_NUM");

    const cad::TextData& t = OnlyText();
    EXPECT_EQ(t.text, "12");
    EXPECT_EQ(t.alignment, cad::kAlignMiddleCenter);
    EXPECT_DOUBLE_EQ(t.height, 400);
    EXPECT_NEAR(t.rotation, rotation, 1e-15);
    EXPECT_EQ(t.alignment_point, c.center);
    const host::Entity text = document().ObjectIdToObject(Texts().front()->id);
    EXPECT_EQ(text.Layer(), "H_NUM");
    EXPECT_EQ(ParseTriangleXdata(text.GetXdata("QM_ZAVIN")), (TriangleSides{4000, 5000, 3000}));
    return c.center;
  }

  MarkerStyle style_;  // radius 500, text height 400
};

TEST_F(MarkerTest, ThreeSideMarkerSitsAtTheIncenter) {
  ThreeSide(kP0, kP1, kP2);
  const cad::Point3 m = CheckMarker();
  EXPECT_NEAR(m.x, 1000, 1e-9);
  EXPECT_NEAR(m.y, 1000, 1e-9);
  EXPECT_NE(db().FindLayer("H_NUM"), nullptr);
}

TEST_F(MarkerTest, BaseHeightMarkerSitsInTheLargerHalfClearOfTheHeight) {
  // Base P1-P2, apex P0, foot (1440, 1920): A-C-H is the larger half.
  BaseHeight(kP0, kP1, kP2);
  const cad::Point3 m = CheckMarker();
  EXPECT_NEAR(m.x, 1600, 1e-9);
  EXPECT_NEAR(m.y, 800, 1e-9);
}

TEST_F(MarkerTest, EqualHalvesPutTheMarkerOnTheBaseEndSide) {
  geometry::TBaseAndFoot d = geometry::BaseAndFoot({0, 0, 0}, {4000, 0, 0}, {2000, 1000, 0});
  const auto m = BaseHeightMarkerCentre(d);
  ASSERT_TRUE(m.has_value());
  EXPECT_GT(m->x, 2000);  // B is (4000, 0)
  // Apex and foot may come either way round.
  std::swap(d.C, d.H);
  const auto swapped = BaseHeightMarkerCentre(d);
  ASSERT_TRUE(swapped.has_value());
  EXPECT_NEAR(static_cast<double>(swapped->x), static_cast<double>(m->x), 1e-9);
  EXPECT_NEAR(static_cast<double>(swapped->y), static_cast<double>(m->y), 1e-9);
}

TEST_F(MarkerTest, NumberStaysUprightInTheWorld) {
  const struct {
    host::AngleSettings angles;
    double rotation;
  } cases[] = {
      {{kPi / 2, 1}, kPi / 2},
      {{kPi / 2, 0}, -kPi / 2},
      {{0, 1}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rotation);
    Restart();
    ThreeSide(kP0, kP1, kP2, c.angles);
    CheckMarker(c.rotation);
  }
}

TEST_F(MarkerTest, PcadHostsTakeOnlyTheThreeSideNumberFromTheFilePath) {
  // The file path is taken: its directory is missing, so it ends there,
  // after the circle (the file itself: number_file_test.cpp).
  style_.hostProgId = "PCAD.Application";
  SetNumberFileDirectory(std::filesystem::temp_directory_path() / "zavin_no_such_directory");
  EXPECT_THROW(ThreeSide(kP0, kP1, kP2), std::runtime_error);
  SetNumberFileDirectory({});
  EXPECT_EQ(Of(cad::EntityKind::Circle).size(), 1u);  // written before the text
  EXPECT_THAT(Texts(), IsEmpty());

  Restart();
  BaseHeight(kP0, kP1, kP2);
  CheckMarker();

  EXPECT_FALSE(TakesNumberTextFromFile("pcad.Application"));
  EXPECT_TRUE(TakesNumberTextFromFile("X.PCAD2"));
}

TEST_F(MarkerTest, CollinearTriangleWritesNothing) {
  EXPECT_THROW(ThreeSide({0, 0, 0}, {1000, 0, 0}, {3000, 0, 0}), std::invalid_argument);
  EXPECT_THROW(BaseHeight({0, 0, 0}, {1000, 0, 0}, {3000, 0, 0}), std::invalid_argument);
  EXPECT_THAT(db().model_space(), IsEmpty());
}

TEST_F(MarkerTest, CircleAndTextAreRecordedInCreationOrder) {
  record_.RecordCreatedObjects = true;
  ThreeSide(kP0, kP1, kP2);
  EXPECT_THAT(record_.CreatedObjectIds,
              ElementsAre(Of(cad::EntityKind::Circle).front()->id, Texts().front()->id));
}

}  // namespace
}  // namespace zavin::annotate
