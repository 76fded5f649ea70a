// The host's -BOUNDARY command: the smallest closed region around the picked
// point becomes one closed lightweight polyline.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "cad/commands/boundary.h"
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

TEST_F(BoundaryTest, PolylinesBoundRegionsToo) {
  db().AddPolyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  db().AddPolyline({{0, 50}, {100, 50}}, false);
  const PolylineData* lower = Pick(50, 25);
  ASSERT_NE(lower, nullptr);
  EXPECT_THAT(lower->vertices, ElementsAreArray(Outline{{0, 0}, {100, 0}, {100, 50}, {0, 50}}));
  EXPECT_TRUE(lower->bulges.empty());
}

// Vertex and the bulge of the segment that leaves it.
struct V {
  double x, y, bulge;
};

void ExpectOutline(const PolylineData* p, const std::vector<V>& expected) {
  if (expected.empty()) {
    EXPECT_EQ(p, nullptr) << "no region";
    return;
  }
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->vertices.size(), expected.size());
  EXPECT_TRUE(p->bulges.empty() || p->bulges.size() == p->vertices.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("vertex " + std::to_string(i));
    EXPECT_NEAR(p->vertices[i].first, expected[i].x, 1e-9);
    EXPECT_NEAR(p->vertices[i].second, expected[i].y, 1e-9);
    EXPECT_NEAR(p->Bulge(i), expected[i].bulge, 1e-9);
  }
}

// A stretch along an arc, circle or bulge is one bulged segment (two past
// half a turn), whatever the curve's entity.
TEST_F(BoundaryTest, CurvedStretchesBecomeBulgedSegments) {
  const double pi = std::numbers::pi;
  const double quarter = std::tan(pi / 8);  // 90 degrees
  const double r45 = std::sqrt(50.0);
  auto arc = [&](double cx, double cy, double r, double from, double to) {
    db().Add(ArcData{{cx, cy, 0}, r, from, to});
  };
  struct Pick1 {
    double x, y;
    std::vector<V> expected;
  };
  struct Drawing {
    const char* name;
    std::function<void()> draw;
    std::vector<Pick1> picks;
  };
  const Drawing drawings[] = {
      {"square of lines, curves that are not sound left out",
       [&] {
         Square(0, 0, 10);
         const double nan = std::nan("");
         arc(5, 5, nan, 0, pi);
         arc(5, 5, -3, 0, pi);
         arc(nan, 5, 3, 0, pi);
         db().AddCircle({5, 5, 0}, 0);
         db().Add(PolylineData{{{2, 2}, {8, 2}, {8, 8}}, false, 0, {nan, 1e300, 0}});
       },
       {{5, 5, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}}}},
      {"square with the top an arc out and the right side an arc in",
       [&] {
         Line(0, 0, 10, 0);
         Line(0, 10, 0, 0);
         arc(5, 5, r45, pi / 4, 3 * pi / 4);           // (10,10) to (0,10) over y = 12.07
         arc(15, 5, r45, 3 * pi / 4, 5 * pi / 4);      // (10,10) to (10,0) in to x = 7.93
       },
       {{5, 5, {{0, 0, 0}, {10, 0, -quarter}, {10, 10, quarter}, {0, 10, 0}}},
        {5, 11.5, {{0, 0, 0}, {10, 0, -quarter}, {10, 10, quarter}, {0, 10, 0}}},
        {9, 5, {}}}},  // inside the chords, outside the region
      {"lightweight polyline with a bulge, 2D polyline bulged on its closing segment",
       [&] {
         db().Add(PolylineData{{{0, 0}, {20, 0}, {20, 10}, {0, 10}}, true, 0, {0, 0.5, 0, 0}});
         PolylineData old{{{100, 0}, {120, 0}, {120, 10}, {100, 10}}, true, 0, {0, 0, 0, 1}};
         old.two_d = true;
         db().Add(std::move(old));
       },
       {{21, 5, {{0, 0, 0}, {20, 0, 0.5}, {20, 10, 0}, {0, 10, 0}}},
        {96, 5, {{100, 0, 0}, {120, 0, 0}, {120, 10, 0}, {100, 10, 1}}}}},
      {"bulge past half a turn",
       [&] { db().Add(PolylineData{{{0, 0}, {10, 0}}, true, 0, {2, 0}}); },
       // Centre (5,-3.75), radius 6.25: halves meet at the bottom, (5,-10).
       {{5, -5, {{5, -10, (std::sqrt(5.0) - 1) / 2}, {10, 0, 0}, {0, 0, (std::sqrt(5.0) - 1) / 2}}}}},
      {"circle alone, and a circle of two arcs",
       [&] {
         db().AddCircle({100, 100, 0}, 5);
         arc(200, 100, 5, 0, pi);
         arc(200, 100, 5, pi, 2 * pi);
       },
       {{101, 99, {{100, 95, 1}, {100, 105, 1}}}, {200, 100, {{200, 95, 1}, {200, 105, 1}}}}},
      {"circle overlapping a rectangle",
       [&] {
         Square(0, 0, 10);
         db().AddCircle({10, 5, 0}, 3);
       },
       {{11, 5, {{10, 2, 1}, {10, 8, 0}}},
        {9, 5, {{10, 2, 0}, {10, 8, 1}}},
        {2, 5, {{0, 0, 0}, {10, 0, 0}, {10, 2, -1}, {10, 8, 0}, {10, 10, 0}, {0, 10, 0}}},
        {14, 5, {}}}},
  };
  for (const Drawing& d : drawings) {
    SCOPED_TRACE(d.name);
    for (const auto& [id, e] : std::map(db().model_space())) db().Erase(id);
    d.draw();
    for (const Pick1& pick : d.picks) {
      SCOPED_TRACE(std::to_string(pick.x) + "," + std::to_string(pick.y));
      const PolylineData* p = Pick(pick.x, pick.y);
      ExpectOutline(p, pick.expected);
      if (p) db().Erase(db().LastEntity()->id);
    }
  }
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
