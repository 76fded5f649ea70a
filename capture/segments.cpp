#include "capture/segments.h"

#include <algorithm>

#include "geometry/plane.h"

namespace zavin::capture {

bool SegmentInList(const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                   std::span<const geometry::TAcadLine> segments, int count, double tolerance) {
  if (count <= 0) return false;
  const std::size_t n = std::min(segments.size(), static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < n; ++i) {
    const geometry::TAcadLine& s = segments[i];
    if ((geometry::SamePoint(p1, s.st, tolerance) && geometry::SamePoint(p2, s.ed, tolerance)) ||
        (geometry::SamePoint(p1, s.ed, tolerance) && geometry::SamePoint(p2, s.st, tolerance)))
      return true;
  }
  return false;
}

}  // namespace zavin::capture
