// The host's -BOUNDARY command: the smallest closed region around the picked
// point becomes one closed lightweight polyline.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cad/boundary.h"
#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

using ::testing::ElementsAreArray;
using Outline = std::vector<std::pair<double, double>>;

class BoundaryTest : public CadTest {
 protected:
  void Line(double x1, double y1, double x2, double y2) { db().AddLine({x1, y1, 0}, {x2, y2, 0}); }
  void Square(double x, double y, double side) {
    Line(x, y, x + side, y);
    Line(x + side, y, x + side, y + side);
    Line(x + side, y + side, x, y + side);
    Line(x, y + side, x, y);
  }
  // Sends the command text the tool sends and returns the new polyline, if any.
  const PolylineData* Pick(double x, double y, const char* options = "A O P ") {
    const std::size_t before = db().model_space().size();
    char text[128];
    std::snprintf(text, sizeof text, "_-BOUNDARY %s\r%.4f,%.4f\r\r", options, x, y);
    Call(Doc(), "SendCommand", {Variant(std::string(text))});
    host_->RunPendingCommands();
    if (db().model_space().size() == before) return nullptr;
    EXPECT_EQ(db().model_space().size(), before + 1);
    const Entity* last = db().LastEntity();
    const PolylineData* p = last->as<PolylineData>();
    EXPECT_TRUE(p && p->closed);
    return p;
  }
};

TEST_F(BoundaryTest, SmallestRegionAroundThePointBecomesAClosedPolyline) {
  struct Case {
    const char* name;
    double x, y;
    Outline expected;
  };
  // Two squares side by side, the right one crossed by a diagonal, a small
  // square inside the left one, a line ending on the top from outside.
  Square(0, 0, 10);
  Square(10, 0, 10);
  Line(10, 0, 20, 10);
  Square(2, 2, 2);
  Line(5, 10, 5, 15);
  const Case cases[] = {
      {"inner square", 3, 3, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}},
      {"around the island, which is not cut out", 8, 8, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
      {"lower triangle of the diagonal", 18, 2, {{10, 0}, {20, 0}, {20, 10}}},
      {"upper triangle of the diagonal", 12, 8, {{10, 0}, {20, 10}, {10, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PolylineData* p = Pick(c.x, c.y);
    ASSERT_NE(p, nullptr);
    EXPECT_THAT(p->vertices, ElementsAreArray(c.expected));
    EXPECT_EQ(db().LastEntity()->layer, "0");
    db().Erase(db().LastEntity()->id);
  }
}

TEST_F(BoundaryTest, PointsInNoClosedRegionMakeNothing) {
  Square(0, 0, 10);
  // Three sides and a gap of 0.01.
  Line(20, 0, 30, 0);
  Line(30, 0, 30, 10);
  Line(30, 10, 20, 10);
  Line(20, 10, 20, 0.01);
  for (auto [x, y] : {std::pair{-5.0, 5.0}, {25.0, 5.0}, {5.0, 0.0}, {15.0, 5.0}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(Pick(x, y), nullptr);
  }
  EXPECT_EQ(Pick(5, 5, "A O R "), nullptr) << "regions are not made by this host";
  EXPECT_NE(Pick(5, 5, "A I N O P "), nullptr) << "the island answer is taken and ignored";
}

TEST_F(BoundaryTest, PolylinesAndCirclesBoundRegionsToo) {
  db().AddPolyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  db().AddPolyline({{0, 50}, {100, 50}}, false);
  const PolylineData* lower = Pick(50, 25);
  ASSERT_NE(lower, nullptr);
  EXPECT_THAT(lower->vertices, ElementsAreArray(Outline{{0, 0}, {100, 0}, {100, 50}, {0, 50}}));

  db().AddCircle({500, 500, 0}, 10);
  const PolylineData* circle = Pick(500, 500);
  ASSERT_NE(circle, nullptr);
  ASSERT_EQ(circle->vertices.size(), static_cast<std::size_t>(kCircleSides));
  for (const auto& [x, y] : circle->vertices) EXPECT_NEAR(std::hypot(x - 500, y - 500), 10, 1e-9);
}

TEST_F(BoundaryTest, SearchGrowsUntilTheWholeRegionIsSeen) {
  // A big square with a dense grid far away: the point near the big square's
  // side starts with a small search box.
  Square(0, 0, 1000);
  for (int i = 0; i < 20; ++i) {
    Line(5000, 5000 + i, 5019, 5000 + i);
    Line(5000 + i, 5000, 5000 + i, 5019);
  }
  const PolylineData* p = Pick(999.99, 500);
  ASSERT_NE(p, nullptr);
  EXPECT_THAT(p->vertices, ElementsAreArray(Outline{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}));
  // The whole triangle is closed by linework reaching into a smaller box
  // than the one that holds the line cutting it at x = 10200.
  Line(10000, 500, 11000, 0);
  Line(11000, 0, 11000, 1000);
  Line(11000, 1000, 10000, 500);
  Line(10200, 0, 10200, 1000);
  const PolylineData* cut = Pick(10990, 500);
  ASSERT_NE(cut, nullptr);
  EXPECT_THAT(cut->vertices,
              ElementsAreArray(Outline{{11000, 0}, {11000, 1000}, {10200, 600}, {10200, 400}}));
  const PolylineData* cell = Pick(5003.5, 5007.5);
  ASSERT_NE(cell, nullptr);
  EXPECT_THAT(cell->vertices,
              ElementsAreArray(Outline{{5003, 5007}, {5004, 5007}, {5004, 5008}, {5003, 5008}}));
}

}  // namespace
}  // namespace zavin::cad::testing
