#pragma once

// The region finder behind the host's boundary command: the smallest closed
// region around a point formed by the drawing's linework.

#include <optional>
#include <utility>
#include <vector>

namespace zavin::cad {

class Database;

// One straight piece of linework, in drawing coordinates.
struct BoundarySegment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Circles take part as regular polygons of this many sides (arcs are chords).
inline constexpr int kCircleSides = 64;

// The lines, lightweight polylines (every segment, the closing one when
// closed) and circles of model space, in creation order.
std::vector<BoundarySegment> BoundaryLinework(const Database& db);

// Outline of the region of the noded linework that contains (x, y) strictly
// inside, counter-clockwise from its lowest (then leftmost) vertex, without
// repeated or collinear vertices. Islands inside the region are not cut out.
// Only linework near the point is noded: the search box grows until it holds
// the region found or covers all the linework. Empty when the point lies in
// no closed region or on the linework itself.
std::optional<std::vector<std::pair<double, double>>> FindBoundary(
    const std::vector<BoundarySegment>& linework, double x, double y);

}  // namespace zavin::cad
