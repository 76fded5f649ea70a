#include "capture/segment_triangles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "geometry/plane.h"

namespace zavin::capture {

using geometry::TAcadLine;
using geometry::TAcadPoint;
using geometry::TAcadTriangle;

namespace {

// Twice the tolerance: two coordinates less than a tolerance apart land in
// the same or adjacent cells even after the rounding of the division.
constexpr long double kCellSize = 2.0L * kSegmentJoinTolerance;
// Far-away cells are folded onto the border; the exact tests still decide.
constexpr long double kCellLimit = 4.0e18L;

struct Cell {
  std::int64_t x;
  std::int64_t y;
  friend bool operator==(const Cell&, const Cell&) = default;
};

struct CellHash {
  std::size_t operator()(const Cell& c) const noexcept {
    const std::uint64_t h = static_cast<std::uint64_t>(c.x) * 0x9E3779B97F4A7C15ull ^
                            (static_cast<std::uint64_t>(c.y) + 0x632BE59BD9B4E019ull);
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

std::int64_t CellIndex(long double v) {
  const long double c = std::floor(v / kCellSize);
  return static_cast<std::int64_t>(std::clamp(c, -kCellLimit, kCellLimit));
}

bool Finite(const TAcadPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// End e (0: st, 1: ed) of segment k is end point 2k + e.
const TAcadPoint& End(std::span<const TAcadLine> s, std::size_t point) {
  return point % 2 == 0 ? s[point / 2].st : s[point / 2].ed;
}

// For every end point, the end points in its own and the eight surrounding
// cells, ascending: a superset of those that meet it by either test. Flat
// storage: the list of end point p is near[begin[p] .. begin[p + 1]).
struct Neighbourhoods {
  std::vector<std::uint32_t> begin;
  std::vector<std::uint32_t> near;

  std::span<const std::uint32_t> of(std::size_t p) const {
    return {near.data() + begin[p], near.data() + begin[p + 1]};
  }
};

Neighbourhoods FindNeighbourhoods(std::span<const TAcadLine> s) {
  const std::size_t n = 2 * s.size();
  // End points sorted by cell, then index; each cell a run of that order.
  std::vector<std::uint32_t> order;
  order.reserve(n);
  std::vector<Cell> cells(n);
  for (std::size_t p = 0; p < n; ++p) {
    const TAcadPoint& e = End(s, p);
    if (!Finite(e)) continue;
    cells[p] = {CellIndex(e.x), CellIndex(e.y)};
    order.push_back(static_cast<std::uint32_t>(p));
  }
  std::sort(order.begin(), order.end(), [&](std::uint32_t l, std::uint32_t r) {
    const Cell& a = cells[l];
    const Cell& b = cells[r];
    return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : l < r;
  });
  std::unordered_map<Cell, std::pair<std::uint32_t, std::uint32_t>, CellHash> runs;
  runs.reserve(order.size());
  for (std::uint32_t i = 0; i < order.size();) {
    std::uint32_t k = i + 1;
    while (k < order.size() && cells[order[k]] == cells[order[i]]) ++k;
    runs.emplace(cells[order[i]], std::pair{i, k});
    i = k;
  }

  Neighbourhoods out;
  out.begin.assign(n + 1, 0);
  out.near.reserve(8 * order.size());
  for (std::size_t p = 0; p < n; ++p) {
    out.begin[p] = static_cast<std::uint32_t>(out.near.size());
    if (!Finite(End(s, p))) continue;
    const std::size_t first = out.near.size();
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        const Cell c{cells[p].x + dx, cells[p].y + dy};
        if (auto it = runs.find(c); it != runs.end())
          out.near.insert(out.near.end(), order.begin() + it->second.first,
                          order.begin() + it->second.second);
      }
    std::sort(out.near.begin() + static_cast<std::ptrdiff_t>(first), out.near.end());
  }
  out.begin[n] = static_cast<std::uint32_t>(out.near.size());
  return out;
}

}  // namespace

std::vector<TAcadTriangle> FindSegmentTriangles(std::span<const TAcadLine> s) {
  std::vector<TAcadTriangle> found;
  const std::size_t t = s.size();
  if (t < 3) return found;
  const Neighbourhoods near = FindNeighbourhoods(s);
  const auto meets = [](const TAcadPoint& a, const TAcadPoint& b) {
    return geometry::Distance2D(a, b) < kSegmentJoinTolerance;
  };
  const auto same = [](const TAcadPoint& a, const TAcadPoint& b) {
    return geometry::SamePoint(a, b, kSegmentJoinTolerance);
  };

  std::vector<std::size_t> partners, closers;
  for (std::size_t u = 0; u + 2 < t; ++u) {
    // Second sides: segments after u, up to t - 2, with an end near either end of u.
    partners.clear();
    for (std::size_t e = 0; e < 2; ++e)
      for (std::uint32_t q : near.of(2 * u + e)) {
        const std::size_t j = q / 2;
        if (j > u && j + 1 < t) partners.push_back(j);
      }
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());

    for (std::size_t j : partners) {
      const TAcadLine& a = s[u];
      const TAcadLine& b = s[j];
      bool met = false;
      TAcadPoint x1, x2, x3;
      std::size_t x2_point = 0;  // the end point X2 is
      // A later meeting pair replaces an earlier one.
      const auto take = [&](const TAcadPoint& meet, const TAcadPoint& other, std::size_t other_point,
                            const TAcadPoint& far) {
        met = true;
        x1 = meet;
        x2 = other;
        x3 = far;
        x2_point = other_point;
      };
      if (meets(a.st, b.st)) take(a.st, a.ed, 2 * u + 1, b.ed);
      if (meets(a.st, b.ed)) take(a.st, a.ed, 2 * u + 1, b.st);
      if (meets(a.ed, b.st)) take(a.ed, a.st, 2 * u, b.ed);
      if (meets(a.ed, b.ed)) take(a.ed, a.st, 2 * u, b.st);
      if (!met) continue;

      // Third sides: segments after j with an end at X2; ascending already,
      // a segment with both ends there listed twice.
      closers.clear();
      for (std::uint32_t q : near.of(x2_point)) {
        const std::size_t k = q / 2;
        if (k > j && (closers.empty() || closers.back() != k)) closers.push_back(k);
      }
      for (std::size_t k : closers) {
        const TAcadLine& c = s[k];
        if ((same(x2, c.st) && same(x3, c.ed)) || (same(x2, c.ed) && same(x3, c.st)))
          found.push_back({x1, x2, x3});
      }
    }
  }
  return found;
}

namespace {

long double Cross(const TAcadPoint& o, const TAcadPoint& a, const TAcadPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Distance of p from the unbounded line through a-b (a != b).
long double LineDistance(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
  return std::fabs(Cross(a, b, p)) / geometry::Distance2D(a, b);
}

bool FiniteLine(const TAcadLine& l) { return Finite(l.st) && Finite(l.ed); }

// Whether a and b lie on one line and share more than the tolerance of their
// length. Both must be longer than the tolerance.
bool OverlapCollinear(const TAcadLine& a, const TAcadLine& b) {
  if (LineDistance(b.st, a.st, a.ed) >= kSegmentJoinTolerance ||
      LineDistance(b.ed, a.st, a.ed) >= kSegmentJoinTolerance ||
      LineDistance(a.st, b.st, b.ed) >= kSegmentJoinTolerance ||
      LineDistance(a.ed, b.st, b.ed) >= kSegmentJoinTolerance)
    return false;
  // Positions along a's direction.
  const long double len = geometry::Distance2D(a.st, a.ed);
  const long double ux = (a.ed.x - a.st.x) / len, uy = (a.ed.y - a.st.y) / len;
  const auto along = [&](const TAcadPoint& p) { return (p.x - a.st.x) * ux + (p.y - a.st.y) * uy; };
  const long double b0 = std::min(along(b.st), along(b.ed)), b1 = std::max(along(b.st), along(b.ed));
  return std::min(len, b1) - std::max(0.0L, b0) > kSegmentJoinTolerance;
}

std::size_t Root(std::vector<std::size_t>& parent, std::size_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

std::vector<TAcadLine> MergeOverlappingSegments(std::span<const TAcadLine> s) {
  const std::size_t n = s.size();
  std::vector<std::size_t> parent(n);
  for (std::size_t i = 0; i < n; ++i) parent[i] = i;
  const auto mergeable = [&](std::size_t i) {
    return FiniteLine(s[i]) && geometry::Distance2D(s[i].st, s[i].ed) > kSegmentJoinTolerance;
  };
  // Candidates by bounding box: sorted by the least x, a pair can overlap only
  // while the second starts before the first ends.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < n; ++i)
    if (mergeable(i)) order.push_back(i);
  const auto min_x = [&](std::size_t i) { return std::min(s[i].st.x, s[i].ed.x); };
  const auto max_x = [&](std::size_t i) { return std::max(s[i].st.x, s[i].ed.x); };
  std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return min_x(l) < min_x(r); });
  for (std::size_t a = 0; a < order.size(); ++a) {
    const std::size_t i = order[a];
    const long double lo_y = std::min(s[i].st.y, s[i].ed.y) - kSegmentJoinTolerance;
    const long double hi_y = std::max(s[i].st.y, s[i].ed.y) + kSegmentJoinTolerance;
    for (std::size_t b = a + 1; b < order.size() && min_x(order[b]) <= max_x(i) + kSegmentJoinTolerance; ++b) {
      const std::size_t j = order[b];
      if (std::max(s[j].st.y, s[j].ed.y) < lo_y || std::min(s[j].st.y, s[j].ed.y) > hi_y) continue;
      if (Root(parent, i) != Root(parent, j) && OverlapCollinear(s[i], s[j])) parent[Root(parent, j)] = Root(parent, i);
    }
  }

  // Each set becomes the segment between its two farthest ends along the
  // direction of its first member, in that member's place.
  std::vector<std::vector<std::size_t>> members(n);
  for (std::size_t i = 0; i < n; ++i) members[Root(parent, i)].push_back(i);
  std::vector<TAcadLine> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t root = Root(parent, i);
    if (members[root].front() != i) continue;
    if (members[root].size() == 1) {
      out.push_back(s[i]);
      continue;
    }
    const TAcadLine& first = s[i];
    const long double ux = first.ed.x - first.st.x, uy = first.ed.y - first.st.y;
    const auto along = [&](const TAcadPoint& p) { return (p.x - first.st.x) * ux + (p.y - first.st.y) * uy; };
    TAcadPoint lo = first.st, hi = first.ed;
    for (std::size_t k : members[root])
      for (const TAcadPoint& p : {s[k].st, s[k].ed}) {
        if (along(p) < along(lo)) lo = p;
        if (along(p) > along(hi)) hi = p;
      }
    out.push_back({lo, hi});
  }
  return out;
}

std::vector<TAcadTriangle> DistinctTriangles(std::span<const TAcadTriangle> triangles) {
  const auto same = [](const TAcadPoint& a, const TAcadPoint& b) {
    return geometry::SamePoint(a, b, kSegmentJoinTolerance);
  };
  const auto has = [&](const TAcadTriangle& t, const TAcadPoint& p) {
    return same(t.p1, p) || same(t.p2, p) || same(t.p3, p);
  };
  const auto repeats = [&](const TAcadTriangle& t, const TAcadTriangle& u) {
    return has(u, t.p1) && has(u, t.p2) && has(u, t.p3) && has(t, u.p1) && has(t, u.p2) && has(t, u.p3);
  };
  // Triangles with the same corners have their least x within the tolerance:
  // only neighbours in that order are compared.
  const std::size_t n = triangles.size();
  std::vector<long double> key(n);
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) {
    const TAcadTriangle& t = triangles[i];
    key[i] = std::min({t.p1.x, t.p2.x, t.p3.x});
    order[i] = i;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) {
    return key[l] != key[r] ? key[l] < key[r] : l < r;
  });
  std::vector<bool> repeated(n, false);
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n && key[order[b]] - key[order[a]] < kSegmentJoinTolerance; ++b) {
      const std::size_t i = order[a], j = order[b];
      if (repeats(triangles[i], triangles[j])) repeated[std::max(i, j)] = true;
    }
  std::vector<TAcadTriangle> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    if (!repeated[i]) out.push_back(triangles[i]);
  return out;
}

}  // namespace zavin::capture
