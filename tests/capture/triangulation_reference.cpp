#include "tests/capture/triangulation_reference.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "capture/triangulation_predicates.h"
#include "geometry/plane.h"

namespace zavin::capture::reference {

namespace {

using detail::CornerDeviation;

bool Matches(const TAcadPoint& a, const TAcadPoint& b) {
  return geometry::SamePoint(a, b, kVertexMatchTolerance);
}

bool OnSkipList(const TAcadPoint& v, const std::vector<TAcadPoint>& skip) {
  for (const TAcadPoint& s : skip)
    if (Matches(v, s)) return true;
  return false;
}

}  // namespace

bool ReferenceIsSimpleOutline(std::span<const TAcadPoint> h) {
  const std::size_t n = h.size();
  if (n < 3) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const TAcadPoint& u = h[i];
    const TAcadPoint& v = h[(i + 1) % n];
    const TAcadPoint& w = h[(i + 2) % n];
    if (detail::SameXY(u, v)) return false;
    // Neighbouring edges u-v and v-w: collinear with w back on u's side of v.
    if (detail::Orientation(u, v, w) == 0) {
      const bool back = u.x != v.x ? (u.x > v.x) == (w.x > v.x) : (u.y > v.y) == (w.y > v.y);
      if (back) return false;
    }
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // the last edge follows the first
      if (detail::SegmentsTouch(u, v, h[j], h[(j + 1) % n])) return false;
    }
  }
  return true;
}

TTriangulation ReferenceTriangulate(std::span<const TAcadPoint> vertices, const DiagonalSink& sink,
                                    TReferenceOptions options, TReferenceCounts* counts) {
  TTriangulation out;
  const std::vector<TAcadPoint> h(vertices.begin(), vertices.end());
  const long long n0 = static_cast<long long>(h.size());
  for (const TAcadPoint& v : h)
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) return out;
  const bool unlimited = options.unlimitedPassesWhenSimple && ReferenceIsSimpleOutline(h);

  std::vector<TAcadPoint> w = h;
  std::vector<TAcadPoint> skip;
  long long passes = 0;
  long long k = 0;
  long long tests = 0;
  const auto valid = [&](const TAcadPoint& a, const TAcadPoint& c) {
    ++tests;
    return IsValidDiagonal(a, c, w, h);
  };
  const auto emit = [&](const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c) {
    if (sink) sink(a, c);
    out.triangles.push_back({a, b, c});
    ++k;
  };

  while (w.size() != 3) {
    if (!unlimited && passes == 4 * n0) break;
    const long long n = static_cast<long long>(w.size());
    long long p = -1;
    double best = 0;
    for (long long i = 0; i < n; ++i) {
      if (OnSkipList(w[i], skip)) continue;
      const double d = CornerDeviation(CyclicVertex(w, i - 1, w.size()), w[i],
                                       CyclicVertex(w, i + 1, w.size()));
      if (p < 0 || d < best) {
        p = i;
        best = d;
      }
    }
    const TAcadPoint a = CyclicVertex(w, p - 1, w.size());
    const TAcadPoint b = CyclicVertex(w, p, w.size());
    const TAcadPoint c = CyclicVertex(w, p + 1, w.size());
    if (n > 3) {
      if (!valid(a, c)) {
        skip.push_back(b);
        // With every corner skipped the same rejected corner would come back
        // in every pass; on a simple outline that is the end.
        if (p < 0 && unlimited) break;
      } else {
        skip.clear();
        emit(a, b, c);
        if (k == n0 - 2) break;
        const TAcadPoint pp = CyclicVertex(w, p - 2, w.size());
        const TAcadPoint ss = CyclicVertex(w, p + 2, w.size());
        const double d1 = CornerDeviation(pp, a, c);
        const double d2 = CornerDeviation(a, c, ss);
        RemoveVertex(b, w);
        const bool forward = d2 > d1;
        const TAcadPoint e1 = forward ? pp : ss;
        const TAcadPoint e2 = forward ? a : c;
        const TAcadPoint e3 = forward ? c : a;
        const TAcadPoint e4 = forward ? ss : pp;
        if (w.size() > 3 && valid(e1, e3)) {
          emit(e1, e2, e3);
          RemoveVertex(e2, w);
          if (k == n0 - 2) break;
          if (w.size() > 3 && valid(e1, e4)) {
            emit(e1, e3, e4);
            RemoveVertex(e3, w);
            if (k == n0 - 2) break;
          }
        }
      }
    }
    ++passes;
  }
  if (w.size() == 3) {
    out.triangles.push_back({w[0], w[1], w[2]});
    out.status = TriangulationStatus::Complete;
  }
  if (counts) *counts = {passes, tests};
  return out;
}

}  // namespace zavin::capture::reference
