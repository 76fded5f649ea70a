#pragma once

// Turning a GetEntity pick into one straight side: a line entity as it is, or
// the nearest segment of a lightweight polyline. Host errors propagate to the
// caller's command frame.

#include <optional>

#include "geometry/point.h"
#include "host/object_model.h"

namespace zavin::capture {

// The segment of `polyline` nearest to `picked` whose perpendicular foot lies
// on the segment itself, nearer than the diagonal of the drawing extents.
// Bulges are ignored (each segment is its chord) and vertices get z = 0; a
// closed polyline's closing side runs from the first vertex to the last.
// Ties go to the lower vertex index; the closing side must be strictly nearer.
// A polyline of fewer than three vertices is never found. On false the three
// outputs are left as they were.
bool PickPolylineSegment(const host::Document& document, const host::Polyline& polyline,
                         const geometry::TAcadPoint& picked, geometry::TAcadPoint& start,
                         geometry::TAcadPoint& end, geometry::TAcadPoint& foot);

// The segment a pick names: a line's own start and end (z kept), or the
// polyline segment above. Empty for any other entity kind and for a polyline
// pick that finds no segment; the caller then skips its work silently.
std::optional<geometry::TAcadLine> SegmentPick(const host::Document& document,
                                               const host::EntityPick& pick);

}  // namespace zavin::capture
