#pragma once

// Side and height lines.

#include <string_view>

#include "annotate/record.h"
#include "geometry/area.h"
#include "geometry/point.h"
#include "host/object_model.h"

namespace zavin::annotate {

// Draws the line P->Q on `layer`. With checkExisting nothing is drawn when the
// host finds any line-like entity (type name ending in LINE) at the midpoint,
// whatever its direction, so shared sides and traced outlines are not doubled.
// The temporary selection set is deleted on every path. True when drawn.
bool DrawSegment(const host::Document& document, const geometry::TAcadPoint& p,
                 const geometry::TAcadPoint& q, std::string_view layer, bool checkExisting,
                 CreatedObjectRecord& record);

// The height line from the apex C to the foot H, always drawn.
void DrawHeightLine(const host::Document& document, const geometry::TBaseAndFoot& decomposition,
                    std::string_view layer, CreatedObjectRecord& record);

}  // namespace zavin::annotate
