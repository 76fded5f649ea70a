#pragma once

#include <span>

#include "capture/triangulation.h"

// The indexed corner-clipping loop behind TriangulatePolygon.
namespace zavin::capture::detail {

TTriangulation RunTriangulation(std::span<const TAcadPoint> vertices, const DiagonalSink& sink);

// IsSimpleOutline through an edge grid: only edges sharing a cell are paired.
bool OutlineIsSimple(std::span<const TAcadPoint> outline);

}  // namespace zavin::capture::detail
