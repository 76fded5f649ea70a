#include "segment_triangles_reference.h"

#include <algorithm>
#include <random>

#include "geometry/plane.h"

namespace zavin::capture::reference {

using geometry::Distance2D;
using geometry::SamePoint;
using geometry::TAcadLine;
using geometry::TAcadPoint;
using geometry::TAcadTriangle;

std::vector<TAcadTriangle> ReferenceFindSegmentTriangles(std::span<const TAcadLine> S) {
  std::vector<TAcadTriangle> found;
  const long t = static_cast<long>(S.size());
  const double tol = 0.001;
  for (long u = 0; u <= t - 3; ++u) {
    for (long j = u + 1; j <= t - 2; ++j) {
      bool met = false;
      TAcadPoint X1, X2, X3;
      if (Distance2D(S[u].st, S[j].st) < tol) { met = true; X1 = S[u].st; X2 = S[u].ed; X3 = S[j].ed; }
      if (Distance2D(S[u].st, S[j].ed) < tol) { met = true; X1 = S[u].st; X2 = S[u].ed; X3 = S[j].st; }
      if (Distance2D(S[u].ed, S[j].st) < tol) { met = true; X1 = S[u].ed; X2 = S[u].st; X3 = S[j].ed; }
      if (Distance2D(S[u].ed, S[j].ed) < tol) { met = true; X1 = S[u].ed; X2 = S[u].st; X3 = S[j].st; }
      if (!met) continue;
      for (long J = j + 1; J <= t - 1; ++J) {
        if ((SamePoint(X2, S[J].st, tol) && SamePoint(X3, S[J].ed, tol)) ||
            (SamePoint(X2, S[J].ed, tol) && SamePoint(X3, S[J].st, tol)))
          found.push_back({X1, X2, X3});
      }
    }
  }
  return found;
}

std::vector<TAcadLine> SplitSquareGrid(int n, int m, double size) {
  std::vector<TAcadLine> s;
  const auto P = [size](int i, int k) { return TAcadPoint{i * size, k * size, 0}; };
  for (int k = 0; k <= m; ++k)
    for (int i = 0; i < n; ++i) s.push_back({P(i, k), P(i + 1, k)});
  for (int i = 0; i <= n; ++i)
    for (int k = 0; k < m; ++k) s.push_back({P(i, k), P(i, k + 1)});
  for (int k = 0; k < m; ++k)
    for (int i = 0; i < n; ++i) s.push_back({P(i, k), P(i + 1, k + 1)});
  return s;
}

std::vector<TAcadLine> MessySegments(std::uint32_t seed, int count) {
  std::mt19937 rng(seed);
  const std::vector<TAcadLine> grid = SplitSquareGrid(3, 3, 10);
  std::uniform_int_distribution<std::size_t> pick(0, grid.size() - 1);
  std::uniform_int_distribution<int> kind(0, 7);
  std::uniform_int_distribution<int> sign(0, 1);
  const auto nudge = [&](TAcadPoint p, double d) {
    // Off in x, in y or both; the distance tests differ on the diagonal.
    switch (kind(rng) % 3) {
      case 0: p.x += sign(rng) ? d : -d; break;
      case 1: p.y += sign(rng) ? d : -d; break;
      default: p.x += d * 0.75; p.y -= d * 0.75; break;
    }
    return p;
  };
  std::vector<TAcadLine> s;
  while (static_cast<int>(s.size()) < count) {
    TAcadLine l = grid[pick(rng)];
    switch (kind(rng)) {
      case 0: break;                                    // shared as drawn
      case 1: std::swap(l.st, l.ed); break;             // reversed
      case 2: l.st = nudge(l.st, 0.0005); break;        // near-shared
      case 3: l.ed = nudge(l.ed, 0.002); break;         // just apart
      case 4: l.ed = nudge(l.ed, 0.00095); break;       // inside the box, maybe not the circle
      case 5: l.ed = geometry::MidPoint(l.st, l.ed); break;  // overlapping half
      case 6: l = {l.st, {l.st.x + 2 * (l.ed.x - l.st.x), l.st.y + 2 * (l.ed.y - l.st.y), 0}}; break;
      default: s.push_back(l); break;                   // duplicated
    }
    s.push_back(l);
  }
  std::shuffle(s.begin(), s.end(), rng);
  s.resize(static_cast<std::size_t>(count));
  return s;
}

}  // namespace zavin::capture::reference
