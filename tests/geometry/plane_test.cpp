#include "geometry/plane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "tests/geometry/point_printer.h"

namespace zavin::geometry {
namespace {

constexpr long double kNear = 1e-15L;

void ExpectNear(const TAcadPoint& actual, const TAcadPoint& expected, long double tol = kNear) {
  EXPECT_NEAR(static_cast<double>(actual.x), static_cast<double>(expected.x), static_cast<double>(tol));
  EXPECT_NEAR(static_cast<double>(actual.y), static_cast<double>(expected.y), static_cast<double>(tol));
  EXPECT_EQ(actual.z, expected.z);
}

TEST(PolarPoint, AxisAnglesMoveAlongOneAxisAndCopyTheOther) {
  // 0.1 is not a binary fraction: a recomputed coordinate would not stay equal.
  const TAcadPoint o{10.1L, 20.1L, 5};
  const struct {
    double angle;
    double distance;
    TAcadPoint expected;
  } cases[] = {
      {0, 3, {o.x + 3, o.y, 5}},
      {kHalfPiD, 3, {o.x, o.y + 3, 5}},
      {kPiD, -3, {o.x + 3, o.y, 5}},
      {kPiD, 3, {o.x - 3, o.y, 5}},
      {kThreeHalfPiD, 3, {o.x, o.y - 3, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << " distance " << c.distance);
    EXPECT_EQ(PolarPoint(o, c.angle, c.distance), c.expected);
  }
}

TEST(PolarPoint, AnglesThatAreNotExactlyAxisTakeTheGeneralFormula) {
  const TAcadPoint origin{10, 20, 5};
  // -π/2 and 2π are not normalised: cos/sin leave a residue on the other axis.
  const TAcadPoint down = PolarPoint(origin, -kHalfPiD, 3);
  EXPECT_NE(down.x, origin.x);
  ExpectNear(down, {10, 17, 5});
  const TAcadPoint full = PolarPoint(origin, 2 * kPiD, 3);
  EXPECT_NE(full.y, origin.y);
  ExpectNear(full, {13, 20, 5});
  ExpectNear(PolarPoint(origin, kPiD / 4, std::sqrt(2.0)), {11, 21, 5});
}

TEST(DirectionAngle, AxisSnappingAndQuadrants) {
  const TAcadPoint o{0, 0, 0};
  const struct {
    TAcadPoint to;
    long double expected;
    bool exact;
  } cases[] = {
      // Snapped by the 1e-5 x tolerance whatever the length.
      {{0.000001L, 5}, kHalfPi, true},
      {{0.000009L, 1e9L}, kHalfPi, true},
      {{-0.000009L, -5}, kThreeHalfPi, true},
      {{0, -5}, kThreeHalfPi, true},
      {{0, 0}, kThreeHalfPi, true},  // coinciding points
      // Snapped by the y tolerance.
      {{-5, 0.000009L}, kPi, true},
      {{5, -0.000009L}, 0, true},
      // Just outside the tolerance: the arctangent, not the axis.
      {{0.00002L, 5}, kHalfPi - std::atan(0.00002L / 5), false},
      // Quadrants.
      {{1, 1}, kPi / 4, false},
      {{-1, 1}, 3 * kPi / 4, false},
      {{-1, -1}, 5 * kPi / 4, false},
      {{1, -1}, 7 * kPi / 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "to (" << static_cast<double>(c.to.x) << ", "
                                    << static_cast<double>(c.to.y) << ")");
    const long double a = DirectionAngle(o, c.to);
    if (c.exact) {
      EXPECT_EQ(a, c.expected);
    } else {
      EXPECT_NE(a, kHalfPi);
      EXPECT_NEAR(static_cast<double>(a), static_cast<double>(c.expected), 1e-15);
    }
    EXPECT_GE(a, 0);
    EXPECT_LT(a, kTwoPi);
  }
}

TEST(IntersectLines, ParameterBoundsExcludeStartsAndIncludeEnds) {
  const struct {
    const char* name;
    TAcadPoint p1, p2, p3, p4;
    std::optional<TAcadPoint> segments;   // segmentsOnly = true
    std::optional<TAcadPoint> unbounded;  // segmentsOnly = false
  } cases[] = {
      {"plain crossing", {0, 0}, {2, 0}, {1, -1}, {1, 1}, TAcadPoint{1, 0}, TAcadPoint{1, 0}},
      {"meets at p1", {1, 0}, {3, 0}, {1, -1}, {1, 1}, std::nullopt, TAcadPoint{1, 0}},
      {"meets at p3", {0, 0}, {2, 0}, {1, 0}, {1, 1}, std::nullopt, TAcadPoint{1, 0}},
      {"meets at p2 and p4", {0, 0}, {1, 0}, {1, 1}, {1, 0}, TAcadPoint{1, 0}, TAcadPoint{1, 0}},
      {"beyond the end of A", {0, 0}, {1, 0}, {2, -1}, {2, 1}, std::nullopt, TAcadPoint{2, 0}},
      {"beyond the end of B", {0, 0}, {4, 0}, {2, 3}, {2, 1}, std::nullopt, TAcadPoint{2, 0}},
      {"parallel", {0, 0}, {1, 0}, {0, 1}, {1, 1}, std::nullopt, std::nullopt},
      {"collinear", {0, 0}, {1, 0}, {2, 0}, {3, 0}, std::nullopt, std::nullopt},
      {"degenerate A", {0, 0}, {0, 0}, {1, -1}, {1, 1}, std::nullopt, std::nullopt},
      {"z from p1", {0, 0, 7}, {2, 0, 1}, {1, -1, 2}, {1, 1, 3}, TAcadPoint{1, 0, 7},
       TAcadPoint{1, 0, 7}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool segmentsOnly : {true, false}) {
      SCOPED_TRACE(segmentsOnly ? "segmentsOnly" : "unbounded");
      const auto& expected = segmentsOnly ? c.segments : c.unbounded;
      const auto r = IntersectLines(c.p1, c.p2, c.p3, c.p4, segmentsOnly);
      ASSERT_EQ(r.has_value(), expected.has_value());
      if (r) ExpectNear(*r, *expected);
    }
  }
}

TEST(IntersectLines, NonFiniteInputGivesNoPoint) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_FALSE(IntersectLines({nan, 0}, {2, 0}, {1, -1}, {1, 1}, false));
  EXPECT_FALSE(IntersectLines({0, 0}, {inf, 0}, {1, -1}, {1, 1}, false));
  EXPECT_FALSE(IntersectLines({0, 0}, {2, 0}, {1, -1}, {1, nan}, true));
}

TEST(PerpendicularFoot, FootIsReportedEvenWhenOffTheSegment) {
  const TAcadPoint a{0, 0}, b{10, 0};
  const auto inside = PerpendicularFoot({5, 3, 2}, a, b, true);
  ASSERT_TRUE(inside);
  ExpectNear(inside->point, {5, 0, 2});
  EXPECT_TRUE(inside->accepted);

  const auto outsideStrict = PerpendicularFoot({15, 3}, a, b, true);
  ASSERT_TRUE(outsideStrict);
  ExpectNear(outsideStrict->point, {15, 0});
  EXPECT_FALSE(outsideStrict->accepted);

  const auto outsideLoose = PerpendicularFoot({15, 3}, a, b, false);
  ASSERT_TRUE(outsideLoose);
  ExpectNear(outsideLoose->point, {15, 0});
  EXPECT_TRUE(outsideLoose->accepted);

  const auto slanted = PerpendicularFoot({0, 10}, {0, 0}, {10, 10}, true);
  ASSERT_TRUE(slanted);
  ExpectNear(slanted->point, {5, 5}, 1e-12L);
  EXPECT_TRUE(slanted->accepted);

  EXPECT_FALSE(PerpendicularFoot({5, 3}, a, a, false));
}

TEST(PointOnSegment, ToleranceIsOnTheLengthDetour) {
  const TAcadPoint a{0, 0}, b{10, 0};
  const struct {
    TAcadPoint x;
    bool expected;
  } cases[] = {
      {{5, 0}, true},
      {{0, 0}, true},
      {{10, 0}, true},
      {{5, 0.001L}, true},   // detour 2e-7
      {{5, 0.01L}, false},   // detour 2e-5
      {{10.00001L, 0}, false},
      {{-0.000004L, 0}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(c.x.x) << ", " << static_cast<double>(c.x.y));
    EXPECT_EQ(PointOnSegment(c.x, a, b), c.expected);
  }
}

TEST(SamePoint, StrictToleranceOnEachAxisIgnoringZ) {
  EXPECT_TRUE(SamePoint({1, 1, 0}, {1.0009L, 1.0009L, 50}, 0.001));
  EXPECT_FALSE(SamePoint({0, 0}, {0.001, 0}, 0.001));
  EXPECT_FALSE(SamePoint({0, 0}, {0, -0.001}, 0.001));
  EXPECT_FALSE(SamePoint({0, 0}, {0.0005L, 0.002L}, 0.001));
}

TEST(AngleAtVertex, IsTheInnerAngle) {
  const TAcadPoint o{0, 0};
  EXPECT_DOUBLE_EQ(AngleAtVertex({1, 0}, o, {0, 1}), kPiD / 2);
  // The two directions straddle 0: 2π - d, not d.
  EXPECT_NEAR(AngleAtVertex({1, -0.1L}, o, {1, 0.1L}), 2 * std::atan(0.1), 1e-15);
  EXPECT_DOUBLE_EQ(AngleAtVertex({1, 0}, o, {-1, 0}), kPiD);
  EXPECT_DOUBLE_EQ(AngleAtVertex({0, 1}, o, {0, 1}), 0);
  // A folded right angle (directions 3π/2 and 0) ties exactly with an unfolded one.
  EXPECT_EQ(AngleAtVertex({0, -1}, o, {1, 0}), AngleAtVertex({-1, 0}, o, {0, -1}));
}

// The incenter from the bisectors must match the side-weighted vertex mean.
TEST(Incenter, MatchesTheWeightedVertexMean) {
  const struct {
    const char* name;
    TAcadPoint a, b, c;
  } cases[] = {
      {"right triangle", {0, 0}, {4, 0}, {0, 3}},
      {"clockwise", {0, 0}, {0, 3}, {4, 0}},
      {"directions at a straddle 0", {0, 0}, {4, -1}, {4, 1}},
      {"directions at c straddle 0", {4, 1}, {5, 6}, {0, 0}},
      {"far from origin", {300000.5L, 120000.25L}, {300040, 120010}, {300010, 120035}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.name);
    const long double la = Distance2D(t.b, t.c), lb = Distance2D(t.c, t.a), lc = Distance2D(t.a, t.b);
    const long double sum = la + lb + lc;
    const TAcadPoint expected{(la * t.a.x + lb * t.b.x + lc * t.c.x) / sum,
                              (la * t.a.y + lb * t.b.y + lc * t.c.y) / sum, t.a.z};
    const auto r = Incenter(t.a, t.b, t.c);
    ASSERT_TRUE(r);
    ExpectNear(*r, expected, 1e-9L);
  }
  const auto right = Incenter({0, 0, 4}, {4, 0, 1}, {0, 3, 2});
  ASSERT_TRUE(right);
  ExpectNear(*right, {1, 1, 4}, 1e-15L);
}

TEST(Incenter, CollinearPointsHaveNone) {
  EXPECT_FALSE(Incenter({0, 0}, {1, 1}, {2, 2}));
  EXPECT_FALSE(Incenter({0, 0}, {5, 0}, {5, 0}));
  // Collinear in decimal, not quite in binary: the bisectors of the sliver may
  // cross far off its ends, which must not come out as its incenter.
  EXPECT_FALSE(Incenter({0.1, 0.3}, {0.2, 0.6}, {0.3, 0.9}));
  const TAcadPoint a{300000.1L, 120000.1L}, c{300000.3L, 120000.3L};
  const auto sliver = Incenter(a, {300000.2L, 120000.2L}, c);
  if (sliver) {
    EXPECT_TRUE(PointOnSegment(*sliver, a, c));
  }
}

TEST(HostPointArray, RoundsToDoubleAndWidensBackExactly) {
  const TAcadPoint p{0.1L, -2.5L, 1e300L};
  const HostPointArray h = ToHostPoint(p);
  EXPECT_EQ(h, (HostPointArray{0.1, -2.5, 1e300}));
  EXPECT_EQ(FromHostPoint(h), (TAcadPoint{0.1, -2.5, 1e300}));
  EXPECT_EQ(ToHostPoint(FromHostPoint(h)), h);
}

}  // namespace
}  // namespace zavin::geometry
