#pragma once

#include <optional>

#include "geometry/point.h"

// Plane operations on survey points. All are pure, read only x and y, and state
// what they do with z. Angles are radians, counter-clockwise from +x.
namespace zavin::geometry {

// Axis angles at extended precision, as DirectionAngle returns them.
inline constexpr long double kHalfPi = 1.570796326794896619231321691639751442L;
inline constexpr long double kPi = 3.141592653589793238462643383279502884L;
inline constexpr long double kThreeHalfPi = 4.712388980384689857693965074919254326L;
inline constexpr long double kTwoPi = 6.283185307179586476925286766559005768L;

// The doubles nearest the axis angles; PolarPoint compares against exactly these.
inline constexpr double kHalfPiD = 1.570796326794896619231321691639751442;
inline constexpr double kPiD = 3.141592653589793238462643383279502884;
inline constexpr double kThreeHalfPiD = 4.712388980384689857693965074919254326;
inline constexpr double kTwoPiD = 6.283185307179586476925286766559005768;

// Absolute tolerances in drawing units.
inline constexpr long double kAxisSnapTolerance = 1e-5L;      // DirectionAngle
inline constexpr long double kOnSegmentTolerance = 1e-5L;     // PointOnSegment
inline constexpr long double kParallelTolerance = 1e-12L;     // IntersectLines determinant
inline constexpr long double kSegmentStartTolerance = 1e-12L; // IntersectLines lower bound

// The point `distance` away from origin in direction `angle`. Exactly 0, π/2,
// π and 3π/2 (the nearest doubles) move along one axis and copy the other
// coordinate bit for bit; any other angle, including -π/2 and 2π, uses cos/sin.
// A negative distance moves backwards. z is copied.
TAcadPoint PolarPoint(TAcadPoint origin, double angle, double distance);

// Planar distance; z is ignored.
long double Distance2D(TAcadPoint p, TAcadPoint q);

// Direction from `from` to `to` in [0, 2π). An x difference below
// kAxisSnapTolerance snaps to π/2 (to.y > from.y) or else 3π/2, so coinciding
// points give 3π/2; then a y difference below it snaps to 0 or π.
long double DirectionAngle(TAcadPoint from, TAcadPoint to);

// Crossing of line p1-p2 with line p3-p4; z of the result is p1's z. Empty for
// parallel or degenerate lines (|determinant| <= kParallelTolerance) and for a
// non-finite crossing. With segmentsOnly both parameters must lie in
// [kSegmentStartTolerance, 1]: a crossing exactly at p1 or p3 does not count,
// one exactly at p2 or p4 does.
std::optional<TAcadPoint> IntersectLines(TAcadPoint p1, TAcadPoint p2, TAcadPoint p3,
                                         TAcadPoint p4, bool segmentsOnly);

struct TFoot {
  TAcadPoint point;  // on the unbounded line a-b, with p's z
  bool accepted;     // true, or with onSegmentOnly: PointOnSegment(point, a, b)
};

// Foot of the perpendicular from p onto the line a-b. Empty only when a and b
// coincide. The foot is reported also when the on-segment test rejects it.
std::optional<TFoot> PerpendicularFoot(TAcadPoint p, TAcadPoint a, TAcadPoint b,
                                       bool onSegmentOnly);

// True when |ab| - |xa| - |xb| is within kOnSegmentTolerance.
bool PointOnSegment(TAcadPoint x, TAcadPoint a, TAcadPoint b);

// x and y both strictly closer than tolerance; z is ignored.
bool SamePoint(TAcadPoint p, TAcadPoint q, double tolerance);

// The unsigned angle p-vertex-q in [0, π].
double AngleAtVertex(TAcadPoint p, TAcadPoint vertex, TAcadPoint q);

// Midpoint of a and b, z included.
TAcadPoint MidPoint(TAcadPoint a, TAcadPoint b);

// Crossing of the angle bisectors at a and at c, with a's z. Empty for
// collinear points and for any crossing that is not inside the triangle (by
// more than kOnSegmentTolerance), which only nearly collinear points produce.
std::optional<TAcadPoint> Incenter(TAcadPoint a, TAcadPoint b, TAcadPoint c);

}  // namespace zavin::geometry
