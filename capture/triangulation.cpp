#include "capture/triangulation.h"

#include "capture/triangulation_engine.h"
#include "capture/triangulation_predicates.h"
#include "geometry/plane.h"

namespace zavin::capture {

TAcadPoint CyclicVertex(std::span<const TAcadPoint> w, long long i, std::size_t n) {
  const long long m = static_cast<long long>(n);
  return w[static_cast<std::size_t>(((i % m) + m) % m)];
}

bool PointInPolygon(const TAcadPoint& p, std::span<const TAcadPoint> polygon) {
  const std::size_t n = polygon.size();
  bool inside = false;
  for (std::size_t i = 0; i < n; ++i)
    if (detail::RayCrossesEdge(p, polygon[i], polygon[(i + 1) % n])) inside = !inside;
  return inside;
}

bool DiagonalCrossesEdge(const TAcadPoint& p1, const TAcadPoint& p2,
                         std::span<const TAcadPoint> polygon) {
  const std::size_t n = polygon.size();
  for (std::size_t i = 0; i < n; ++i)
    if (detail::DiagonalTouchesEdge(p1, p2, polygon[i], polygon[(i + 1) % n])) return true;
  return false;
}

bool IsValidDiagonal(const TAcadPoint& a, const TAcadPoint& c, std::span<const TAcadPoint> working,
                     std::span<const TAcadPoint> boundary) {
  const TAcadPoint m = geometry::MidPoint(a, c);
  return PointInPolygon(m, working) && PointInPolygon(m, boundary) &&
         !DiagonalCrossesEdge(a, c, working) && !DiagonalCrossesEdge(a, c, boundary);
}

std::size_t RemoveVertex(const TAcadPoint& p, std::vector<TAcadPoint>& w) {
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (geometry::SamePoint(w[i], p, kVertexMatchTolerance)) {
      w.erase(w.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  return w.size();
}

bool IsSimpleOutline(std::span<const TAcadPoint> outline) { return detail::OutlineIsSimple(outline); }

TTriangulation TriangulatePolygon(std::span<const TAcadPoint> vertices, double /*viewHeight*/,
                                  const DiagonalSink& sink) {
  return detail::RunTriangulation(vertices, sink);
}

}  // namespace zavin::capture
