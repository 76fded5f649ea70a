#include "capture/segment_pick.h"

#include <cstddef>
#include <vector>

#include "geometry/plane.h"

namespace zavin::capture {

using geometry::TAcadPoint;

namespace {

// A candidate segment replaces the best one only when strictly nearer.
struct Nearest {
  double distance = 0;
  bool found = false;
  TAcadPoint start{}, end{}, foot{};

  void Offer(const TAcadPoint& picked, const TAcadPoint& a, const TAcadPoint& b) {
    const auto f = geometry::PerpendicularFoot(picked, a, b, true);
    if (!f || !f->accepted) return;
    const double d = static_cast<double>(geometry::Distance2D(picked, f->point));
    if (!(d < distance)) return;
    distance = d;
    start = a;
    end = b;
    foot = f->point;
    found = true;
  }
};

}  // namespace

bool PickPolylineSegment(const host::Document& document, const host::Polyline& polyline,
                         const TAcadPoint& picked, TAcadPoint& start, TAcadPoint& end,
                         TAcadPoint& foot) {
  const TAcadPoint extmax = host::PointFromVariant(document.GetVariable("EXTMAX"));
  const TAcadPoint extmin = host::PointFromVariant(document.GetVariable("EXTMIN"));
  Nearest best;
  best.distance = static_cast<double>(geometry::Distance2D(extmin, extmax));

  const std::vector<double> coords = polyline.Coordinates();
  const std::size_t n = coords.size() / 2;
  if (n <= 2) return false;
  const auto vertex = [&](std::size_t i) { return TAcadPoint{coords[2 * i], coords[2 * i + 1], 0}; };
  for (std::size_t i = 0; i + 1 < n; ++i) best.Offer(picked, vertex(i), vertex(i + 1));
  if (polyline.Closed()) best.Offer(picked, vertex(0), vertex(n - 1));

  if (!best.found) return false;
  start = best.start;
  end = best.end;
  foot = best.foot;
  return true;
}

std::optional<geometry::TAcadLine> SegmentPick(const host::Document& document,
                                               const host::EntityPick& pick) {
  const std::string kind = pick.entity.EntityName();
  if (kind == host::kLineClass) {
    const host::Line line(pick.entity);
    return geometry::TAcadLine{line.StartPoint(), line.EndPoint()};
  }
  if (kind == host::kPolylineClass) {
    geometry::TAcadLine segment;
    TAcadPoint foot;
    if (PickPolylineSegment(document, host::Polyline(pick.entity), pick.point, segment.st,
                            segment.ed, foot))
      return segment;
  }
  return std::nullopt;
}

}  // namespace zavin::capture
