#include "capture/triangulation_grid.h"

#include <algorithm>
#include <cmath>

#include "capture/triangulation_predicates.h"

namespace zavin::capture::detail {

EdgeGrid::EdgeGrid(std::span<const TAcadPoint> points, std::size_t targetCells) {
  if (points.empty()) return;
  long double xmin = points[0].x, xmax = xmin, ymin = points[0].y, ymax = ymin;
  long double magnitude = 0;
  for (const TAcadPoint& p : points) {
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
    magnitude = std::max({magnitude, std::fabs(p.x), std::fabs(p.y)});
  }
  x0_ = xmin;
  y0_ = ymin;
  const long double w = xmax - xmin;
  const long double h = ymax - ymin;
  const long double target = static_cast<long double>(std::max<std::size_t>(targetCells, 1));
  const long double size = std::max(std::sqrt(w * h / target), std::max(w, h) / target);
  // Cells must stay far larger than the rounding of coordinates, or the margin
  // could not absorb it; such outlines get one cell.
  if (!(size > magnitude * 1e-12L) || !std::isfinite(size)) return;
  size_ = size;
  inverse_ = 1 / size;
  margin_ = size * 1e-3L;
  const long double maxSide = std::ceil(target);
  columns_ = static_cast<int>(std::clamp(std::ceil(w / size), 1.0L, maxSide));
  rows_ = static_cast<int>(std::clamp(std::ceil(h / size), 1.0L, maxSide));
}

int EdgeGrid::Column(long double x) const {
  const long double c = std::floor((x - x0_) * inverse_);
  if (!(c > 0)) return 0;
  return c >= columns_ - 1 ? columns_ - 1 : static_cast<int>(c);
}

int EdgeGrid::Row(long double y) const {
  const long double r = std::floor((y - y0_) * inverse_);
  if (!(r > 0)) return 0;
  return r >= rows_ - 1 ? rows_ - 1 : static_cast<int>(r);
}

EdgeIndex::EdgeIndex(std::span<const TAcadPoint> points, std::size_t targetCells)
    : grid_(points, targetCells),
      cells_(static_cast<std::size_t>(grid_.columns()) * static_cast<std::size_t>(grid_.rows())),
      retiredIn_(cells_.size(), 0) {}

// Entries stay until queries have met retired ones in the cell as often as
// half its size: walking a long edge's cells on retirement cost as much as
// adding it.
void EdgeIndex::Retire(std::uint32_t edge) { alive_[edge] = 0; }

std::vector<EdgeIndex::Entry>& EdgeIndex::Live(std::size_t cell) {
  std::vector<Entry>& entries = cells_[cell];
  // Clipping along one stretch of outline retires edge after edge in the same
  // cells; dropping them once met often enough keeps queries linear.
  if (2 * retiredIn_[cell] > entries.size()) {
    std::erase_if(entries, [&](const Entry& e) { return !alive_[e.edge]; });
    retiredIn_[cell] = 0;
  }
  return entries;
}

std::uint32_t EdgeIndex::Add(const TAcadPoint& a, const TAcadPoint& b) {
  const auto id = static_cast<std::uint32_t>(a_.size());
  a_.push_back(a);
  b_.push_back(b);
  alive_.push_back(1);
  stamp_.push_back(0);
  grid_.ForEachCell(a, b, [&](std::size_t cell, bool first) {
    cells_[cell].push_back({id, first ? 1u : 0u});
    return false;
  });
  return id;
}

std::uint32_t EdgeIndex::DiagonalTouches(const TAcadPoint& a, const TAcadPoint& c) {
  if (++query_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    query_ = 1;
  }
  std::uint32_t found = kNone;
  const TDiagonal diagonal = PrepareDiagonal(a, c);
  // Boxes that do not meet cannot touch (the predicate checks the same first).
  const long double xlo = std::min(a.x, c.x), xhi = std::max(a.x, c.x);
  const long double ylo = std::min(a.y, c.y), yhi = std::max(a.y, c.y);
  grid_.ForEachCell(a, c, [&](std::size_t cell, bool) {
    for (const Entry& e : Live(cell)) {
      if (!alive_[e.edge]) {
        ++retiredIn_[cell];
        continue;
      }
      if (stamp_[e.edge] == query_) continue;
      stamp_[e.edge] = query_;
      const TAcadPoint& p = a_[e.edge];
      const TAcadPoint& q = b_[e.edge];
      if (std::max(p.x, q.x) < xlo || std::min(p.x, q.x) > xhi || std::max(p.y, q.y) < ylo ||
          std::min(p.y, q.y) > yhi)
        continue;
      if (DiagonalTouchesEdge(diagonal, p, q)) {
        found = e.edge;
        return true;
      }
    }
    return false;
  });
  return found;
}

bool EdgeIndex::RayParity(const TAcadPoint& p) {
  const int column = grid_.Column(p.x);
  const int row = grid_.Row(p.y);
  bool odd = false;
  // An edge's rows in this column are one run: count it where the ray meets
  // the run, at p's own row or at the run's first row above it.
  for (int r = row; r < grid_.rows(); ++r) {
    const std::size_t cell = grid_.Cell(column, r);
    const bool own = r == row;
    for (const Entry& e : Live(cell)) {
      if (!own && !e.firstInColumn) continue;  // counted in a lower row
      if (!alive_[e.edge]) {
        ++retiredIn_[cell];
        continue;
      }
      const TAcadPoint& a = a_[e.edge];
      const TAcadPoint& b = b_[e.edge];
      if ((a.x > p.x) == (b.x > p.x)) continue;  // RayCrossesEdge's straddle rule
      if (std::max(a.y, b.y) < p.y) continue;    // wholly below
      // Wholly above and straddling: the crossing is above p.
      if (std::min(a.y, b.y) > p.y || RayCrossesEdge(p, a, b)) odd = !odd;
    }
  }
  return odd;
}

}  // namespace zavin::capture::detail
