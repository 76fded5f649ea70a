#include "geometry/coordinate_area.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace zavin::geometry {

namespace {

const char* FaultText(OutlineFault fault) {
  switch (fault) {
    case OutlineFault::TooFewVertices:
      return "the outline has fewer than three vertices";
    case OutlineFault::Crossing:
      return "the outline crosses itself";
    case OutlineFault::OutOfRange:
      return "a coordinate cannot be written with the digits";
    case OutlineFault::NoArea:
      break;
  }
  return "the outline encloses no area";
}

// A vertex in written survey coordinates, in units of the coordinate digits.
struct Written {
  std::size_t vertex;
  DecimalUnits X;
  DecimalUnits Y;
  double bulge;  // of the side to the next vertex, in the order given
};

int Orientation(const Written& a, const Written& b, const Written& c) {
  const DecimalUnits cross = (b.Y - a.Y) * (c.X - a.X) - (b.X - a.X) * (c.Y - a.Y);
  return cross > 0 ? 1 : cross < 0 ? -1 : 0;
}

bool Between(DecimalUnits v, DecimalUnits a, DecimalUnits b) { return std::min(a, b) <= v && v <= std::max(a, b); }

// c lies on segment ab, given that the three are collinear.
bool OnSegment(const Written& a, const Written& b, const Written& c) {
  return Between(c.X, a.X, b.X) && Between(c.Y, a.Y, b.Y);
}

bool SegmentsMeet(const Written& a, const Written& b, const Written& c, const Written& d) {
  const int o1 = Orientation(a, b, c), o2 = Orientation(a, b, d);
  const int o3 = Orientation(c, d, a), o4 = Orientation(c, d, b);
  if (o1 != o2 && o3 != o4 && o1 * o2 <= 0 && o3 * o4 <= 0) return true;
  return (o1 == 0 && OnSegment(a, b, c)) || (o2 == 0 && OnSegment(a, b, d)) ||
         (o3 == 0 && OnSegment(c, d, a)) || (o4 == 0 && OnSegment(c, d, b));
}

// Sides that are not neighbours must not meet; neighbours must not fold back
// onto each other.
bool Crosses(const std::vector<Written>& v) {
  const std::size_t n = v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Written& a = v[i];
    const Written& b = v[(i + 1) % n];
    const Written& next = v[(i + 2) % n];
    if (Orientation(a, b, next) == 0 && OnSegment(a, b, next) && n > 2) return true;
    if (Orientation(a, b, next) == 0 && OnSegment(b, next, a)) return true;
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // the closing side is a neighbour of the first
      if (SegmentsMeet(a, b, v[j], v[(j + 1) % n])) return true;
    }
  }
  return false;
}

DecimalUnits WrittenUnits(double value, int digits) {
  const std::optional<Decimal> d = Decimal::Rounded(value, digits, RoundingMode::HalfUp);
  if (!d) throw OutlineError(OutlineFault::OutOfRange);
  return d->Widened(digits).Units();
}

}  // namespace

OutlineError::OutlineError(OutlineFault fault) : std::runtime_error(FaultText(fault)), fault_(fault) {}

CoordinateArea ComputeCoordinateArea(std::span<const OutlineVertex> outline, double scale, int digits) {
  if (!std::isfinite(scale) || scale <= 0) throw OutlineError(OutlineFault::OutOfRange);
  const int d = std::clamp(digits, kMinDigits, kMaxDigits);

  std::vector<Written> v;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const OutlineVertex& o = outline[i];
    if (!std::isfinite(o.bulge)) throw OutlineError(OutlineFault::OutOfRange);
    Written w{i, WrittenUnits(static_cast<double>(o.at.y) / scale, d),
              WrittenUnits(static_cast<double>(o.at.x) / scale, d), o.bulge};
    // A vertex on its predecessor: the side between them has no length, the
    // side after it goes on from the predecessor.
    if (!v.empty() && v.back().X == w.X && v.back().Y == w.Y) {
      v.back().bulge = w.bulge;
      continue;
    }
    v.push_back(w);
  }
  while (v.size() > 1 && v.back().X == v.front().X && v.back().Y == v.front().Y) v.pop_back();
  if (v.size() < 3) throw OutlineError(OutlineFault::TooFewVertices);
  if (Crosses(v)) throw OutlineError(OutlineFault::Crossing);

  const std::size_t n = v.size();
  auto sum_in = [&](const std::vector<Written>& w) {
    DecimalUnits s = 0;
    for (std::size_t i = 0; i < n; ++i) s += w[i].X * (w[(i + 1) % n].Y - w[(i + n - 1) % n].Y);
    return s;
  };
  const DecimalUnits given = sum_in(v);
  if (given == 0) throw OutlineError(OutlineFault::NoArea);
  // Positive in survey axes is clockwise on the drawing. A positive bulge
  // turns the arc to the right of its side, outwards on a counter-clockwise
  // outline.
  const bool counter_clockwise = given < 0;

  struct Arc {
    std::size_t a, b;  // vertices (indices into v) of the chord
    double bulge;
    bool outward;
  };
  std::vector<Arc> arcs;
  for (std::size_t i = 0; i < n; ++i)
    if (v[i].bulge != 0) arcs.push_back({i, (i + 1) % n, v[i].bulge, (v[i].bulge > 0) == counter_clockwise});

  std::vector<std::size_t> order(n);  // table row -> index into v
  std::size_t start = 0;
  for (std::size_t i = 1; i < n; ++i)
    if (v[i].X > v[start].X || (v[i].X == v[start].X && v[i].Y < v[start].Y)) start = i;
  for (std::size_t k = 0; k < n; ++k) order[k] = counter_clockwise ? (start + n - k) % n : (start + k) % n;
  std::vector<std::size_t> row_of(n);
  for (std::size_t k = 0; k < n; ++k) row_of[order[k]] = k;

  CoordinateArea out;
  out.digits = d;
  DecimalUnits twice = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Written& w = v[order[k]];
    const DecimalUnits dy = v[order[(k + 1) % n]].Y - v[order[(k + n - 1) % n]].Y;
    twice += w.X * dy;
    out.rows.push_back({w.vertex, Decimal(w.X, d), Decimal(w.Y, d), Decimal(dy, d), Decimal(w.X * dy, 2 * d)});
  }
  out.twice = Decimal(twice, 2 * d);
  out.area = out.twice.Abs().Half().Round(2 * d, RoundingMode::Truncate);

  for (const Arc& a : arcs) {
    std::size_t from = row_of[a.a], to = row_of[a.b];
    if ((to + 1) % n == from) std::swap(from, to);  // in table order
    const double chord = SideLength(out.rows[from], out.rows[to]);
    const double theta = 4 * std::atan(std::fabs(a.bulge));
    const double radius = chord / (2 * std::sin(theta / 2));
    const double segment = radius * radius * (theta - std::sin(theta)) / 2;
    const std::optional<Decimal> r = Decimal::Rounded(radius, d, RoundingMode::HalfUp);
    // Twice the digits may pass 6; the segment is rounded in two steps then.
    std::optional<Decimal> s = Decimal::Rounded(segment, std::min(2 * d, kMaxDigits), RoundingMode::HalfUp);
    if (!r || !s) throw OutlineError(OutlineFault::OutOfRange);
    Decimal area = s->Widened(2 * d);
    if (!a.outward) area = Decimal(0, 2 * d) - area;
    out.arcs.push_back({from, to, *r, theta, area});
    out.area = out.area + area;
  }
  return out;
}

double SideLength(const CoordinateRow& a, const CoordinateRow& b) {
  return std::hypot((b.X - a.X).ToDouble(), (b.Y - a.Y).ToDouble());
}

}  // namespace zavin::geometry
