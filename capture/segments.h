#pragma once

// Segments that already carry a length label in one run, so that a side
// shared by two triangles is labelled once.

#include <cstddef>
#include <span>
#include <vector>

#include "geometry/point.h"

namespace zavin::capture {

// Tolerance the region commands match labelled segments with.
inline constexpr double kLabelledSegmentTolerance = 0.001;

// True when one of the first `count` segments has P1 and P2 as its ends, in
// either direction, each coordinate within `tolerance` (strictly). A count of
// 0 or less gives false; a count beyond the list is capped to it.
bool SegmentInList(const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                   std::span<const geometry::TAcadLine> segments, int count, double tolerance);

// The segments labelled during one run.
class LabelledSegments {
 public:
  LabelledSegments() { segments_.reserve(100); }

  bool Contains(const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                double tolerance = kLabelledSegmentTolerance) const {
    return SegmentInList(p1, p2, segments_, static_cast<int>(segments_.size()), tolerance);
  }
  void Add(const geometry::TAcadPoint& st, const geometry::TAcadPoint& ed) {
    segments_.push_back({st, ed});
  }
  std::size_t size() const { return segments_.size(); }
  std::span<const geometry::TAcadLine> segments() const { return segments_; }

 private:
  std::vector<geometry::TAcadLine> segments_;
};

}  // namespace zavin::capture
