#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "geometry/point.h"

// A uniform grid of edges for the triangulation's outline tests. Every edge is
// entered in every cell it may pass through (a superset: rounding is absorbed
// by a margin), so a query that visits the cells of a segment or of a column
// sees every edge that could answer it, and the per-edge predicates decide.
namespace zavin::capture::detail {

using geometry::TAcadPoint;

class EdgeGrid {
 public:
  // Covers the box of `points` with about `targetCells` square cells.
  EdgeGrid(std::span<const TAcadPoint> points, std::size_t targetCells);

  int columns() const { return columns_; }
  int rows() const { return rows_; }
  // Monotone in its argument and clamped to the grid.
  int Column(long double x) const;
  int Row(long double y) const;
  std::size_t Cell(int column, int row) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
           static_cast<std::size_t>(row);
  }

  // Calls f(cell, firstInColumn) for the cells segment a-b may pass through;
  // in each column the rows form one run and the first is flagged. Stops and
  // returns true as soon as f returns true.
  template <class F>
  bool ForEachCell(const TAcadPoint& a, const TAcadPoint& b, F&& f) const;

 private:
  long double x0_ = 0;
  long double y0_ = 0;
  long double size_ = 1;
  long double inverse_ = 1;
  long double margin_ = 0;
  int columns_ = 1;
  int rows_ = 1;
};

// Edges in an EdgeGrid; edges can be retired (their entries stay and are skipped).
class EdgeIndex {
 public:
  EdgeIndex(std::span<const TAcadPoint> points, std::size_t targetCells);

  std::uint32_t Add(const TAcadPoint& a, const TAcadPoint& b);
  void Retire(std::uint32_t edge);

  // A live edge for which DiagonalTouchesEdge(a, c, edge) holds, or kNone.
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  std::uint32_t DiagonalTouches(const TAcadPoint& a, const TAcadPoint& c);
  // Parity of live edges for which RayCrossesEdge(p, edge) holds.
  bool RayParity(const TAcadPoint& p);
  // Calls f(i, j) once or more for every pair of live edges that share a cell;
  // stops when f returns true and returns true then.
  template <class F>
  bool AnyPairSharingACell(F&& f) const;
  // Calls f(edge) once or more for every live edge that may meet the box;
  // stops when f returns true and returns true then.
  template <class F>
  bool AnyEdgeNearBox(long double xlo, long double ylo, long double xhi, long double yhi,
                      F&& f) const;

  const TAcadPoint& start(std::uint32_t e) const { return a_[e]; }
  const TAcadPoint& end(std::uint32_t e) const { return b_[e]; }

 private:
  struct Entry {
    std::uint32_t edge;
    std::uint32_t firstInColumn;
  };
  // The cell's entries with those of retired edges dropped.
  std::vector<Entry>& Live(std::size_t cell);

  EdgeGrid grid_;
  std::vector<std::vector<Entry>> cells_;
  std::vector<std::uint32_t> retiredIn_;  // per cell, retired entries met by queries
  std::vector<TAcadPoint> a_;
  std::vector<TAcadPoint> b_;
  std::vector<std::uint8_t> alive_;
  std::vector<std::uint32_t> stamp_;
  std::uint32_t query_ = 0;
};

template <class F>
bool EdgeGrid::ForEachCell(const TAcadPoint& a, const TAcadPoint& b, F&& f) const {
  const long double xlo = a.x < b.x ? a.x : b.x;
  const long double xhi = a.x < b.x ? b.x : a.x;
  const long double ylo = a.y < b.y ? a.y : b.y;
  const long double yhi = a.y < b.y ? b.y : a.y;
  const int c0 = Column(xlo), c1 = Column(xhi);
  const int r0 = Row(ylo), r1 = Row(yhi);
  if (c0 == c1 || r0 == r1) {
    for (int c = c0; c <= c1; ++c)
      for (int r = r0; r <= r1; ++r)
        if (f(Cell(c, r), r == r0)) return true;
    return false;
  }
  // Not axis-parallel (distinct columns and rows): walk the columns, taking the
  // rows the segment spans over each column widened by the margin; `slack`
  // covers the rounding of the interpolated heights many times over.
  const long double slope = (b.y - a.y) / (b.x - a.x);
  const long double slack = margin_ + 1e-15L * ((a.y < 0 ? -a.y : a.y) + (b.y < 0 ? -b.y : b.y));
  for (int c = c0; c <= c1; ++c) {
    long double cx0 = x0_ + c * size_ - margin_;
    long double cx1 = x0_ + (c + 1) * size_ + margin_;
    if (cx0 < xlo) cx0 = xlo;
    if (cx1 > xhi) cx1 = xhi;
    const long double ya = a.y + (cx0 - a.x) * slope;
    const long double yb = a.y + (cx1 - a.x) * slope;
    int lo = Row((ya < yb ? ya : yb) - slack);
    int hi = Row((ya < yb ? yb : ya) + slack);
    if (lo < r0) lo = r0;
    if (hi > r1) hi = r1;
    for (int r = lo; r <= hi; ++r)
      if (f(Cell(c, r), r == lo)) return true;
  }
  return false;
}

template <class F>
bool EdgeIndex::AnyPairSharingACell(F&& f) const {
  for (const std::vector<Entry>& cell : cells_) {
    for (std::size_t i = 0; i < cell.size(); ++i) {
      if (!alive_[cell[i].edge]) continue;
      for (std::size_t j = i + 1; j < cell.size(); ++j) {
        if (!alive_[cell[j].edge]) continue;
        if (f(cell[i].edge, cell[j].edge)) return true;
      }
    }
  }
  return false;
}

template <class F>
bool EdgeIndex::AnyEdgeNearBox(long double xlo, long double ylo, long double xhi, long double yhi,
                               F&& f) const {
  const int c1 = grid_.Column(xhi), r0 = grid_.Row(ylo), r1 = grid_.Row(yhi);
  for (int c = grid_.Column(xlo); c <= c1; ++c)
    for (int r = r0; r <= r1; ++r)
      for (const Entry& e : cells_[grid_.Cell(c, r)])
        if (alive_[e.edge] && f(e.edge)) return true;
  return false;
}

}  // namespace zavin::capture::detail
