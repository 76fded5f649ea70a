#include "capture/triangulation_predicates.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "geometry/plane.h"

namespace zavin::capture::detail {

namespace {

constexpr long double kEndTolerance = 0.001L;

// Half an ulp of 1 for long double (64-bit mantissa).
constexpr long double kEps = LDBL_EPSILON / 2;
// Bound on the error of the plainly computed determinant, differences included.
constexpr long double kOrientErrorBound = (3 + 16 * kEps) * kEps;

// Error-free transformations: a + b = s + e and a * b = p + e exactly.
void TwoSum(long double a, long double b, long double& s, long double& e) {
  s = a + b;
  const long double bv = s - a;
  const long double av = s - bv;
  e = (a - av) + (b - bv);
}

void TwoProduct(long double a, long double b, long double& p, long double& e) {
  p = a * b;
  e = std::fma(a, b, -p);
}

// Sign of an exact sum of up to 16 terms, kept as a non-overlapping expansion
// (smallest component first).
int ExactSumSign(const std::array<long double, 16>& terms) {
  std::array<long double, 17> h{};
  std::size_t n = 0;
  for (const long double t : terms) {
    long double q = t;
    for (std::size_t i = 0; i < n; ++i) {
      long double s, e;
      TwoSum(q, h[i], s, e);
      h[i] = e;
      q = s;
    }
    h[n++] = q;
  }
  for (std::size_t i = n; i-- > 0;) {
    if (h[i] > 0) return 1;
    if (h[i] < 0) return -1;
  }
  return 0;
}

int OrientationExact(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c) {
  // (bx - ax)(cy - ay) - (by - ay)(cx - ax), each difference as two terms.
  long double d[4][2];
  TwoSum(b.x, -a.x, d[0][0], d[0][1]);
  TwoSum(c.y, -a.y, d[1][0], d[1][1]);
  TwoSum(b.y, -a.y, d[2][0], d[2][1]);
  TwoSum(c.x, -a.x, d[3][0], d[3][1]);
  std::array<long double, 16> terms{};
  std::size_t k = 0;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      long double p, e;
      TwoProduct(d[0][i], d[1][j], p, e);
      terms[k++] = p;
      terms[k++] = e;
      TwoProduct(d[2][i], d[3][j], p, e);
      terms[k++] = -p;
      terms[k++] = -e;
    }
  }
  return ExactSumSign(terms);
}

int Sign(long double v) { return (v > 0) - (v < 0); }

}  // namespace

int Orientation(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c) {
  // Shared ends are the usual case (neighbouring edges) and defeat the filter.
  if (SameXY(a, b) || SameXY(a, c) || SameXY(b, c)) return 0;
  // Rounded differences keep their sign, so the signs of the two products are
  // exact; only when they agree can cancellation hide the answer.
  const long double left = (b.x - a.x) * (c.y - a.y);
  const long double right = (b.y - a.y) * (c.x - a.x);
  const long double det = left - right;
  long double sum;
  if (left > 0) {
    if (right <= 0) return Sign(det);
    sum = left + right;
  } else if (left < 0) {
    if (right >= 0) return Sign(det);
    sum = -left - right;
  } else {
    return -Sign(right);
  }
  const long double bound = kOrientErrorBound * sum;
  if (det > bound || -det > bound) return Sign(det);
  return OrientationExact(a, b, c);
}

bool RayCrossesEdge(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
  if ((a.x > p.x) == (b.x > p.x)) return false;
  const bool aLeft = a.x < b.x;
  const TAcadPoint& l = aLeft ? a : b;
  const TAcadPoint& r = aLeft ? b : a;
  return Orientation(l, r, p) < 0;  // p strictly below the edge
}

namespace {

bool RangesMeet(long double a0, long double a1, long double b0, long double b1) {
  return std::max(a0, a1) >= std::min(b0, b1) && std::max(b0, b1) >= std::min(a0, a1);
}

}  // namespace

bool SegmentsTouch(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c,
                   const TAcadPoint& d) {
  if (!RangesMeet(a.x, b.x, c.x, d.x) || !RangesMeet(a.y, b.y, c.y, d.y)) return false;
  const int o1 = Orientation(a, b, c);
  const int o2 = Orientation(a, b, d);
  if (o1 * o2 > 0) return false;
  const int o3 = Orientation(c, d, a);
  const int o4 = Orientation(c, d, b);
  if (o3 * o4 > 0) return false;
  // All four zero: collinear (or degenerate), and the boxes already overlap.
  return true;
}

namespace {

bool Before(const TAcadPoint& p, const TAcadPoint& q) { return p.x < q.x || (p.x == q.x && p.y < q.y); }

}  // namespace

TDiagonal PrepareDiagonal(const TAcadPoint& a, const TAcadPoint& c) {
  // Where an edge meets the diagonal is rounded differently from each end;
  // a fixed order of the ends makes a-c and c-a the same question.
  const bool swap = Before(c, a);
  const TAcadPoint& first = swap ? c : a;
  const TAcadPoint& second = swap ? a : c;
  return {first, second, geometry::Distance2D(first, second)};
}

bool DiagonalTouchesEdge(const TAcadPoint& a, const TAcadPoint& c, const TAcadPoint& e0,
                         const TAcadPoint& e1) {
  return DiagonalTouchesEdge(PrepareDiagonal(a, c), e0, e1);
}

bool DiagonalTouchesEdge(const TDiagonal& d, const TAcadPoint& e0in, const TAcadPoint& e1in) {
  const TAcadPoint& a = d.a;
  const TAcadPoint& c = d.c;
  const long double len = d.length;
  if (!(len > 2 * kEndTolerance)) return false;
  const bool swapEdge = Before(e1in, e0in);
  const TAcadPoint& e0 = swapEdge ? e1in : e0in;
  const TAcadPoint& e1 = swapEdge ? e0in : e1in;
  if (!RangesMeet(a.x, c.x, e0.x, e1.x) || !RangesMeet(a.y, c.y, e0.y, e1.y)) return false;
  const int o1 = Orientation(a, c, e0);
  const int o2 = Orientation(a, c, e1);
  if (o1 * o2 > 0) return false;
  const int o3 = Orientation(e0, e1, a);
  const int o4 = Orientation(e0, e1, c);
  if (o3 * o4 > 0) return false;

  const auto farFromEnds = [&](const TAcadPoint& q) {
    return geometry::Distance2D(a, q) > kEndTolerance && geometry::Distance2D(c, q) > kEndTolerance;
  };
  if (o1 == 0 && o2 == 0) {
    // Collinear overlap: the shared stretch, as parameters along a->c.
    const long double dx = c.x - a.x;
    const long double dy = c.y - a.y;
    const long double t0 = ((e0.x - a.x) * dx + (e0.y - a.y) * dy) / (len * len);
    const long double t1 = ((e1.x - a.x) * dx + (e1.y - a.y) * dy) / (len * len);
    const long double lo = std::max(0.0L, std::min(t0, t1));
    const long double hi = std::min(1.0L, std::max(t0, t1));
    const long double s = kEndTolerance / len;
    return hi > s && lo < 1 - s;
  }
  // One shared point: an end of the edge lying on the diagonal, or else the
  // crossing strictly inside the edge.
  if (o1 == 0) return farFromEnds(e0);
  if (o2 == 0) return farFromEnds(e1);
  const long double dx = c.x - a.x;
  const long double dy = c.y - a.y;
  const long double s0 = std::fabs(dx * (e0.y - a.y) - dy * (e0.x - a.x));
  const long double s1 = std::fabs(dx * (e1.y - a.y) - dy * (e1.x - a.x));
  const long double t = s0 + s1 > 0 ? s0 / (s0 + s1) : 0.5L;
  return farFromEnds(TAcadPoint{e0.x + t * (e1.x - e0.x), e0.y + t * (e1.y - e0.y), 0});
}

double CornerDeviation(const TAcadPoint& u, const TAcadPoint& v, const TAcadPoint& z) {
  return std::fabs(geometry::AngleAtVertex(u, v, z) - std::numbers::pi / 3);
}

}  // namespace zavin::capture::detail
