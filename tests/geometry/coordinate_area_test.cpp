#include "geometry/coordinate_area.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace zavin::geometry {
namespace {

// Fixed notation of units x 10^-scale, written independently of Decimal.
std::string Fixed(std::int64_t units, int scale) {
  const bool negative = units < 0;
  std::string digits = std::to_string(negative ? -units : units);
  if (static_cast<int>(digits.size()) <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
  if (scale > 0) digits.insert(digits.size() - scale, ".");
  return (negative ? "-" : "") + digits;
}

std::vector<std::string> RowTexts(const CoordinateArea& a) {
  std::vector<std::string> out;
  for (const CoordinateRow& r : a.rows)
    out.push_back(r.X.Text() + " " + r.Y.Text() + " " + r.dY.Text() + " " + r.product.Text());
  return out;
}

// A 5-vertex parcel in millimetres with one reflex corner (D, a notch from
// the north side), listed counter-clockwise. Every coordinate is a binary
// fraction, so its half-up rounding to whole millimetres is plain.
const std::vector<OutlineVertex> kParcel = {
    {{0, 0, 0}},                // A
    {{20000.5, 0.5, 0}},        // B
    {{20000.5, 15000.75, 0}},   // C
    {{10000.25, 6000.5, 0}},    // D
    {{0, 15000.5, 0}},          // E
};

TEST(CoordinateAreaTest, ReflexParcelMatchesAnIndependentIntegerComputation) {
  const CoordinateArea area = ComputeCoordinateArea(kParcel, 1000, 3);

  // Written coordinates in millimetres (half up), survey X = drawing y.
  struct P {
    std::size_t vertex;
    std::int64_t X, Y;
  };
  // Clockwise on the drawing from the northernmost vertex: C and E tie on
  // X = 15.001, E is the westernmost.
  const std::vector<P> cw = {{4, 15001, 0}, {3, 6001, 10000}, {2, 15001, 20001}, {1, 1, 20001}, {0, 0, 0}};
  std::vector<std::string> expected;
  std::int64_t twice = 0;
  for (std::size_t k = 0; k < cw.size(); ++k) {
    const std::int64_t dy = cw[(k + 1) % 5].Y - cw[(k + 4) % 5].Y;
    twice += cw[k].X * dy;
    expected.push_back(Fixed(cw[k].X, 3) + " " + Fixed(cw[k].Y, 3) + " " + Fixed(dy, 3) + " " +
                       Fixed(cw[k].X * dy, 6));
  }
  EXPECT_THAT(RowTexts(area), ::testing::ElementsAreArray(expected));
  for (std::size_t k = 0; k < cw.size(); ++k) EXPECT_EQ(area.rows[k].vertex, cw[k].vertex);
  EXPECT_GT(twice, 0);
  EXPECT_EQ(twice % 2, 1);  // the half has a seventh decimal to cut
  EXPECT_EQ(area.twice.Text(), Fixed(twice, 6));
  EXPECT_EQ(area.area.Text(), Fixed(twice / 2, 6));  // truncated below 10^-6
  EXPECT_EQ(area.area.Text(), "210.020500");
  EXPECT_THAT(area.arcs, ::testing::IsEmpty());
}

TEST(CoordinateAreaTest, DirectionAndStartDoNotChangeTheTable) {
  const std::vector<std::string> reference = RowTexts(ComputeCoordinateArea(kParcel, 1000, 3));
  for (bool reversed : {false, true}) {
    for (std::size_t start = 0; start < kParcel.size(); ++start) {
      std::vector<OutlineVertex> v = kParcel;
      if (reversed) std::reverse(v.begin(), v.end());
      std::rotate(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(start), v.end());
      const CoordinateArea a = ComputeCoordinateArea(v, 1000, 3);
      EXPECT_EQ(RowTexts(a), reference) << "reversed " << reversed << " start " << start;
      EXPECT_EQ(a.area.Text(), "210.020500");
    }
  }
}

TEST(CoordinateAreaTest, ArcSideAddsOrSubtractsItsSegment) {
  // The arc lot: 24 m x 14 m and an arc of radius 37 m over the north side.
  const double theta = 2 * std::asin(12.0 / 37.0);
  const double segment = 37.0 * 37.0 * (theta - std::sin(theta)) / 2;
  const double bulge = std::tan(theta / 4);
  for (double sign : {1.0, -1.0}) {
    // Counter-clockwise: a positive bulge on the north side turns outwards.
    const std::vector<OutlineVertex> lot = {
        {{0, 0, 0}}, {{24000, 0, 0}}, {{24000, 14000, 0}, sign * bulge}, {{0, 14000, 0}}};
    const CoordinateArea a = ComputeCoordinateArea(lot, 1000, 3);
    EXPECT_EQ(a.twice.Text(), "672.000000");
    ASSERT_EQ(a.arcs.size(), 1u);
    const ArcSegmentRow& arc = a.arcs[0];
    // Rows: (0,14) is the start, then (24,14): the arc joins rows 0 and 1.
    EXPECT_EQ(arc.from, 0u);
    EXPECT_EQ(arc.to, 1u);
    EXPECT_EQ(arc.radius.Text(), "37.000");
    EXPECT_NEAR(arc.angle, theta, 1e-12);
    EXPECT_NEAR(arc.area.ToDouble(), sign * segment, 1e-6);
    EXPECT_NEAR(a.area.ToDouble(), 336 + sign * segment, 0.01);
  }
}

TEST(CoordinateAreaTest, RefusesOutlinesThatMakeNoTable) {
  const struct {
    const char* what;
    std::vector<OutlineVertex> outline;
    OutlineFault fault;
  } cases[] = {
      {"two vertices", {{{0, 0, 0}}, {{1000, 0, 0}}}, OutlineFault::TooFewVertices},
      {"a repeated vertex", {{{0, 0, 0}}, {{1000, 0, 0}}, {{1000.0001, 0, 0}}, {{0, 0, 0}}},
       OutlineFault::TooFewVertices},
      {"a bow tie", {{{0, 0, 0}}, {{1000, 1000, 0}}, {{1000, 0, 0}}, {{0, 1000, 0}}}, OutlineFault::Crossing},
      {"a side folding back", {{{0, 0, 0}}, {{2000, 0, 0}}, {{1000, 0, 0}}, {{0, 1000, 0}}},
       OutlineFault::Crossing},
      {"collinear", {{{0, 0, 0}}, {{1000, 0, 0}}, {{2000, 0, 0}}}, OutlineFault::Crossing},
      {"beyond the digits", {{{0, 0, 0}}, {{1e16, 0, 0}}, {{0, 1000, 0}}}, OutlineFault::OutOfRange},
      {"not a number", {{{0, 0, 0}}, {{NAN, 0, 0}}, {{0, 1000, 0}}}, OutlineFault::OutOfRange},
  };
  for (const auto& c : cases) {
    try {
      ComputeCoordinateArea(c.outline, 1000, 3);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const OutlineError& e) {
      EXPECT_EQ(e.fault(), c.fault) << c.what;
    }
  }
  // A vertex on a straight side is an ordinary vertex.
  const std::vector<OutlineVertex> on_side = {{{0, 0, 0}}, {{1000, 0, 0}}, {{2000, 0, 0}}, {{0, 1000, 0}}};
  EXPECT_EQ(ComputeCoordinateArea(on_side, 1000, 3).area.Text(), "1.000000");
}

TEST(CoordinateAreaTest, SideLengthsComeFromTheWrittenCoordinates) {
  const std::vector<OutlineVertex> tri = {{{0.4, 0, 0}}, {{3000.4, 0, 0}}, {{0.4, 4000.4, 0}}};
  const CoordinateArea a = ComputeCoordinateArea(tri, 1000, 3);
  EXPECT_DOUBLE_EQ(SideLength(a.rows[0], a.rows[1]), 5.0);
}

}  // namespace
}  // namespace zavin::geometry
