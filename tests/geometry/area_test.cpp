#include "geometry/area.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/plane.h"
#include "tests/geometry/point_printer.h"

namespace zavin::geometry {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TriangleAreaFromSides, ProperAndImpossibleTriangles) {
  const struct {
    double a, b, c, expected;
  } cases[] = {
      {3, 4, 5, 6},
      {5, 5, 5, 10.825317547305483},
      {1, 1, 2, 0},  // collinear
      {1, 1, 3, 0},  // the product is negative
      {0, 4, 4, 0},
      {kNaN, 4, 5, 0},
      {kInf, 4, 5, 0},
      {kInf, kInf, kInf, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << ", " << c.b << ", " << c.c);
    EXPECT_DOUBLE_EQ(TriangleAreaFromSides(c.a, c.b, c.c), c.expected);
  }
}

TEST(BaseAndFoot, LongestSideIsTheBaseAndTheHeightIsPerpendicular) {
  const TBaseAndFoot r = BaseAndFoot({0, 0, 1}, {4, 0, 2}, {0, 3, 3});
  EXPECT_EQ(r.A, (TAcadPoint{4, 0, 2}));
  EXPECT_EQ(r.B, (TAcadPoint{0, 3, 3}));
  EXPECT_EQ(r.C, (TAcadPoint{0, 0, 1}));
  EXPECT_NEAR(static_cast<double>(r.H.x), 1.44, 1e-15);
  EXPECT_NEAR(static_cast<double>(r.H.y), 1.92, 1e-15);
  EXPECT_EQ(r.H.z, 2);  // A's z
  const long double height = Distance2D(r.C, r.H);
  EXPECT_NEAR(static_cast<double>(height), 2.4, 1e-15);
  EXPECT_NEAR(static_cast<double>(Distance2D(r.A, r.B) * height), 12, 1e-14);
}

// On equal lengths the earlier side in the order P0P1, P1P2, P2P0 is the base.
TEST(BaseAndFoot, EqualSidesPreferTheEarlierOne) {
  const double h = std::sqrt(3.0);
  const struct {
    const char* name;
    TAcadPoint p[3];
    int baseStart;  // index of A; B and C follow in vertex order
  } cases[] = {
      {"equilateral", {{0, 0}, {2, 0}, {1, h}}, 0},
      {"equilateral, other start", {{1, h}, {0, 0}, {2, 0}}, 0},
      {"P1P2 = P2P0 > P0P1", {{0, 0}, {4, 0}, {2, 5}}, 1},
      {"P0P1 = P2P0 > P1P2", {{0, 0}, {5, 0}, {3, 4}}, 0},
      {"P0P1 = P1P2 > P2P0", {{0, 0}, {5, 0}, {2, 4}}, 0},
      {"P2P0 alone longest", {{0, 0}, {1, 2}, {6, 0}}, 2},
      {"P1P2 alone longest", {{0, 0}, {4, 0}, {0, 3}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TBaseAndFoot r = BaseAndFoot(c.p[0], c.p[1], c.p[2]);
    EXPECT_EQ(r.A, c.p[c.baseStart]);
    EXPECT_EQ(r.B, c.p[(c.baseStart + 1) % 3]);
    EXPECT_EQ(r.C, c.p[(c.baseStart + 2) % 3]);
    // The foot lies on the base line, and base x height is twice the area.
    EXPECT_TRUE(PointOnSegment(r.H, r.A, r.B));
    const double a = static_cast<double>(Distance2D(c.p[0], c.p[1]));
    const double b = static_cast<double>(Distance2D(c.p[1], c.p[2]));
    const double cc = static_cast<double>(Distance2D(c.p[2], c.p[0]));
    EXPECT_NEAR(static_cast<double>(Distance2D(r.A, r.B) * Distance2D(r.C, r.H)),
                2 * TriangleAreaFromSides(a, b, cc), 1e-12);
    const TBaseHeight bh = BaseAndHeightFromSides(a, b, cc);
    EXPECT_NEAR(bh.base, static_cast<double>(Distance2D(r.A, r.B)), 1e-15);
    EXPECT_NEAR(bh.height, static_cast<double>(Distance2D(r.C, r.H)), 1e-12);
  }
}

TEST(BaseAndFoot, CoincidentVerticesGiveAZeroHeightNotAnUnsetFoot) {
  const TAcadPoint p{7, 8, 9};
  const TBaseAndFoot r = BaseAndFoot(p, p, p);
  EXPECT_EQ(r.H, p);
}

TEST(BaseAndHeightFromSides, DegenerateSidesHaveNoHeight) {
  const struct {
    double a, b, c, base, height;
  } cases[] = {
      {3000, 4000, 5000, 5000, 2400},
      {5000, 3000, 4000, 5000, 2400},
      {0, 4, 4, 4, 0},
      {1, 1, 2, 2, 0},
      {1, 1, 3, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << ", " << c.b << ", " << c.c);
    const TBaseHeight r = BaseAndHeightFromSides(c.a, c.b, c.c);
    EXPECT_EQ(r.base, c.base);
    EXPECT_NEAR(r.height, c.height, 1e-9);
  }
}

constexpr TRounding kLength{2, RoundingMode::HalfUp};
constexpr TRounding kArea{4, RoundingMode::HalfUp};

TEST(ThreeSideFigures, AreaIsFormedFromTheWrittenSides) {
  const auto f = ThreeSideFigures(3333.3, 3333.3, 3333.3, 1000, kLength, kArea);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->a, "3.33");
  EXPECT_EQ(f->b, "3.33");
  EXPECT_EQ(f->c, "3.33");
  EXPECT_EQ(f->area, "4.8016");
  // From the unrounded sides it would have been another figure.
  EXPECT_EQ(RoundToText(4, RoundingMode::HalfUp, TriangleAreaFromSides(3.3333, 3.3333, 3.3333)), "4.8112");

  const auto right = ThreeSideFigures(3000, 4000, 5000, 1000, kLength, kArea);
  ASSERT_TRUE(right);
  EXPECT_EQ(right->area, "6.0000");
  const auto flat = ThreeSideFigures(1000, 1000, 2000, 1000, kLength, kArea);
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->area, "0.0000");
}

TEST(BaseHeightFigures, DoubleAreaIsTheProductOfTheWrittenFigures) {
  const auto f = BaseHeightFigures(3000, 4000, 5000, 1000, kLength, kArea);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->base, "5.00");
  EXPECT_EQ(f->height, "2.40");
  EXPECT_EQ(f->doubleArea, "12.0000");

  // base 3.3333 and height 2.88672 are written 3.33 and 2.89: 3.33 x 2.89,
  // not the 9.6223 of the unrounded product.
  const auto e = BaseHeightFigures(3333.3, 3333.3, 3333.3, 1000, kLength, kArea);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->base, "3.33");
  EXPECT_EQ(e->height, "2.89");
  EXPECT_EQ(e->doubleArea, "9.6237");

  const auto zero = BaseHeightFigures(0, 4000, 4000, 1000, kLength, kArea);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->height, "0.00");
  EXPECT_EQ(zero->doubleArea, "0.0000");
}

TEST(Figures, NoFiguresForAMeaninglessScaleOrSide) {
  const struct {
    const char* name;
    double a, b, c, scale;
  } cases[] = {
      {"zero scale", 3, 4, 5, 0},   {"negative scale", 3, 4, 5, -1000}, {"NaN scale", 3, 4, 5, kNaN},
      {"infinite scale", 3, 4, 5, kInf}, {"negative side", -3, 4, 5, 1}, {"NaN side", 3, kNaN, 5, 1},
      {"infinite side", 3, 4, kInf, 1}, {"side overflowing the scale", 1e300, 1e300, 1e300, 1e-300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ThreeSideFigures(c.a, c.b, c.c, c.scale, kLength, kArea));
    EXPECT_FALSE(BaseHeightFigures(c.a, c.b, c.c, c.scale, kLength, kArea));
  }
}

}  // namespace
}  // namespace zavin::geometry
