#include "geometry/plane.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zavin::geometry {

namespace {

// Length of the helper segments that turn a direction into a line.
constexpr double kPerpendicularProbe = 1000;
constexpr double kBisectorProbe = 100;

// Distance of r from the line u-v, positive on the left of u->v.
long double LeftDistance(TAcadPoint u, TAcadPoint v, TAcadPoint r) {
  return ((v.x - u.x) * (r.y - u.y) - (v.y - u.y) * (r.x - u.x)) / Distance2D(u, v);
}

}  // namespace

TAcadPoint PolarPoint(TAcadPoint origin, double angle, double distance) {
  TAcadPoint r = origin;
  if (angle == 0) {
    r.x += distance;
  } else if (angle == kHalfPiD) {
    r.y += distance;
  } else if (angle == kPiD) {
    r.x -= distance;
  } else if (angle == kThreeHalfPiD) {
    r.y -= distance;
  } else {
    const long double a = angle;
    r.x += std::cos(a) * distance;
    r.y += std::sin(a) * distance;
  }
  return r;
}

long double Distance2D(TAcadPoint p, TAcadPoint q) {
  const long double dy = p.y - q.y;
  const long double dx = p.x - q.x;
  return std::sqrt(dy * dy + dx * dx);
}

long double DirectionAngle(TAcadPoint from, TAcadPoint to) {
  const long double dx = to.x - from.x;
  const long double dy = to.y - from.y;
  if (std::fabs(dx) < kAxisSnapTolerance) return to.y > from.y ? kHalfPi : kThreeHalfPi;
  if (std::fabs(dy) < kAxisSnapTolerance) return to.x > from.x ? 0.0L : kPi;
  const long double r = std::fabs(std::atan(dy / dx));
  if (dx >= 0 && dy >= 0) return r;
  if (dx < 0 && dy >= 0) return kPi - r;
  if (dx < 0 && dy < 0) return kPi + r;
  return kTwoPi - r;
}

std::optional<TAcadPoint> IntersectLines(TAcadPoint p1, TAcadPoint p2, TAcadPoint p3,
                                         TAcadPoint p4, bool segmentsOnly) {
  const long double dxA = p2.x - p1.x;
  const long double dyA = p2.y - p1.y;
  const long double dxB = p4.x - p3.x;
  const long double dyB = p4.y - p3.y;
  const long double den = dxB * dyA - dxA * dyB;
  // Written so that a NaN determinant counts as parallel too.
  if (!(std::fabs(den) > kParallelTolerance)) return std::nullopt;
  const long double ex = p3.x - p1.x;
  const long double ey = p3.y - p1.y;
  const long double t = (ey * dxB - ex * dyB) / den;
  const long double u = (ey * dxA - ex * dyA) / den;
  if (!std::isfinite(t) || !std::isfinite(u)) return std::nullopt;
  if (segmentsOnly && (u < kSegmentStartTolerance || u > 1 || t < kSegmentStartTolerance || t > 1))
    return std::nullopt;
  return TAcadPoint{p1.x + t * dxA, p1.y + t * dyA, p1.z};
}

std::optional<TFoot> PerpendicularFoot(TAcadPoint p, TAcadPoint a, TAcadPoint b,
                                       bool onSegmentOnly) {
  const double angle = static_cast<double>(DirectionAngle(a, b) + kHalfPi);
  const TAcadPoint q = PolarPoint(p, angle, kPerpendicularProbe);
  const std::optional<TAcadPoint> foot = IntersectLines(p, q, a, b, false);
  if (!foot) return std::nullopt;
  return TFoot{*foot, !onSegmentOnly || PointOnSegment(*foot, a, b)};
}

bool PointOnSegment(TAcadPoint x, TAcadPoint a, TAcadPoint b) {
  return std::fabs(Distance2D(a, b) - Distance2D(x, a) - Distance2D(x, b)) < kOnSegmentTolerance;
}

bool SamePoint(TAcadPoint p, TAcadPoint q, double tolerance) {
  return std::fabs(p.x - q.x) < tolerance && std::fabs(p.y - q.y) < tolerance;
}

double AngleAtVertex(TAcadPoint p, TAcadPoint vertex, TAcadPoint q) {
  const double d = static_cast<double>(std::fabs(DirectionAngle(vertex, p) - DirectionAngle(vertex, q)));
  // The fold stays in doubles: 2π − d in extended precision would put a folded
  // right angle one step above an unfolded one and break ties between corners.
  return d > kPiD ? kTwoPiD - d : d;
}

TAcadPoint MidPoint(TAcadPoint a, TAcadPoint b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

std::optional<TAcadPoint> Incenter(TAcadPoint a, TAcadPoint b, TAcadPoint c) {
  const long double orientation = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (!(std::fabs(orientation) > 0)) return std::nullopt;
  // The mean of two directions lies on the line of the internal bisector (it
  // points outwards when the directions straddle 0); the lines are unbounded.
  const double alpha = static_cast<double>((DirectionAngle(a, b) + DirectionAngle(a, c)) / 2);
  const double gamma = static_cast<double>((DirectionAngle(c, a) + DirectionAngle(c, b)) / 2);
  const TAcadPoint qa = PolarPoint(a, alpha, kBisectorProbe);
  const TAcadPoint qc = PolarPoint(c, gamma, kBisectorProbe);
  const std::optional<TAcadPoint> r = IntersectLines(a, qa, c, qc, false);
  if (!r) return std::nullopt;
  // Nearly collinear points give nearly parallel bisectors that may cross far
  // away; an incenter lies inside its triangle. The box catches slivers, whose
  // three sides are nearly one line.
  const long double side = orientation > 0 ? 1 : -1;
  for (const auto& [u, v] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
    if (side * LeftDistance(u, v, *r) < -kOnSegmentTolerance) return std::nullopt;
  const auto within = [](long double v, long double p, long double q, long double s) {
    return v >= std::min({p, q, s}) - kOnSegmentTolerance && v <= std::max({p, q, s}) + kOnSegmentTolerance;
  };
  if (!within(r->x, a.x, b.x, c.x) || !within(r->y, a.y, b.y, c.y)) return std::nullopt;
  return r;
}

}  // namespace zavin::geometry
