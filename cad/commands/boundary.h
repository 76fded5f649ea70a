#pragma once

// The region finder behind the host's boundary command: the smallest closed
// region around a point formed by the drawing's linework.

#include <optional>
#include <utility>
#include <vector>

#include "cad/db/shapes.h"

namespace zavin::cad {

class Database;

// One piece of linework in drawing coordinates: a straight segment from a to
// b, or, with `arc` set, the circular arc `curve` from a to b (a full circle
// when a == b and the sweep is a whole turn). `from_vertices` marks an arc
// whose ends are given points (a bulged polyline segment) rather than
// computed from its angles. `lo`/`hi` bound it.
struct BoundaryEdge {
  P2 a, b;
  bool arc = false;
  bool from_vertices = false;
  ArcGeom curve;
  P2 lo, hi;

  static BoundaryEdge Straight(P2 a, P2 b);
  static BoundaryEdge Arc(const ArcGeom& g);
  static BoundaryEdge Arc(const ArcGeom& g, P2 a, P2 b);
};

// The lines, lightweight and 2D polylines (every segment with its bulge, the
// closing one when closed), arcs and circles of model space, in creation
// order. Pieces with coordinates that are not finite are left out.
std::vector<BoundaryEdge> BoundaryLinework(const Database& db);

// A closed outline: vertex i runs to vertex i + 1 (the last to the first)
// along a straight segment, or an arc of bulge `bulges[i]` (tan of a quarter
// of its sweep, positive counter-clockwise). `bulges` is empty when every
// segment is straight.
struct BoundaryOutline {
  std::vector<std::pair<double, double>> vertices;
  std::vector<double> bulges;
};

// Outline of the region of the noded linework that contains (x, y) strictly
// inside, counter-clockwise from its lowest (then leftmost) vertex, without
// repeated vertices or vertices between collinear straight segments. Where it
// follows one curve (arcs and bulges on one circle), it has one bulged
// segment for the whole stretch, split in two halves when the stretch turns
// through more than half a circle, so no bulge exceeds 1; a circle alone gives
// two vertices with bulges 1, 1. Islands inside the region are not cut out.
// Only linework near the point is noded: the search box grows until it holds
// the region found or covers all the linework. Empty when the point lies in
// no closed region or on the linework itself.
std::optional<BoundaryOutline> FindBoundary(const std::vector<BoundaryEdge>& linework, double x,
                                            double y);

}  // namespace zavin::cad
