#include "geometry/area.h"

#include <cmath>

#include "geometry/plane.h"

namespace zavin::geometry {

namespace {

// Length of the helper segment that turns the height's direction into a line.
constexpr double kHeightProbe = 100;

bool UsableInput(double a, double b, double c, double scale) {
  if (!(std::isfinite(scale) && scale > 0)) return false;
  // A tiny scale can overflow a finite side.
  const auto side = [scale](double v) { return v >= 0 && std::isfinite(v / scale); };
  return side(a) && side(b) && side(c);
}

// Reads a text this module wrote; such texts always parse.
double Written(const std::string& text) { return ParseWrittenNumber(text).value_or(0); }

}  // namespace

double TriangleAreaFromSides(double a, double b, double c) {
  const double s = ((a + b) + c) / 2;
  const double p = (s - a) * s * (s - b) * (s - c);
  return p > 0 ? std::sqrt(p) : 0;
}

TBaseAndFoot BaseAndFoot(TAcadPoint p0, TAcadPoint p1, TAcadPoint p2) {
  const double d01 = static_cast<double>(Distance2D(p0, p1));
  const double d12 = static_cast<double>(Distance2D(p1, p2));
  const double d20 = static_cast<double>(Distance2D(p2, p0));
  TBaseAndFoot r;
  if (d01 >= d12 && d01 >= d20) {
    r.A = p0, r.B = p1, r.C = p2;
  } else if (d12 >= d20 && d12 >= d01) {
    r.A = p1, r.B = p2, r.C = p0;
  } else {
    r.A = p2, r.B = p0, r.C = p1;
  }
  const double theta = static_cast<double>(DirectionAngle(r.A, r.B) + kHalfPi);
  const TAcadPoint q = PolarPoint(r.C, theta, kHeightProbe);
  r.H = IntersectLines(r.A, r.B, r.C, q, false).value_or(r.A);
  return r;
}

TBaseHeight BaseAndHeightFromSides(double a, double b, double c) {
  double base = c;
  if (a >= b && a >= c) {
    base = a;
  } else if (b >= c && b >= a) {
    base = b;
  }
  const bool proper = a > 0 && b > 0 && c > 0;
  return {base, proper ? 2 * TriangleAreaFromSides(a, b, c) / base : 0};
}

std::optional<TThreeSideFigures> ThreeSideFigures(double a, double b, double c, double scale,
                                                  TRounding length, TRounding area) {
  if (!UsableInput(a, b, c, scale)) return std::nullopt;
  TThreeSideFigures f;
  f.a = RoundToText(length.digits, length.mode, a / scale);
  f.b = RoundToText(length.digits, length.mode, b / scale);
  f.c = RoundToText(length.digits, length.mode, c / scale);
  f.area = RoundToText(area.digits, area.mode,
                       TriangleAreaFromSides(Written(f.a), Written(f.b), Written(f.c)));
  return f;
}

std::optional<TBaseHeightFigures> BaseHeightFigures(double a, double b, double c, double scale,
                                                    TRounding length, TRounding area) {
  if (!UsableInput(a, b, c, scale)) return std::nullopt;
  const TBaseHeight bh = BaseAndHeightFromSides(a, b, c);
  TBaseHeightFigures f;
  f.base = RoundToText(length.digits, length.mode, bh.base / scale);
  f.height = RoundToText(length.digits, length.mode, bh.height / scale);
  f.doubleArea = RoundToText(area.digits, area.mode, Written(f.base) * Written(f.height));
  return f;
}

}  // namespace zavin::geometry
