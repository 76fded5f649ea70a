#pragma once

#include <array>
#include <optional>
#include <vector>

#include "cad/db/database.h"

namespace zavin::cad {

// Planar outline of an entity in world coordinates, as the host's selection
// sees it: line segments (arcs flattened), circle curves and filled
// quadrilaterals (text boxes).
struct P2 {
  double x = 0, y = 0;
};
struct Segment {
  P2 a, b;
};
struct CircleCurve {
  P2 c;
  double r = 0;
};
using Quad = std::array<P2, 4>;

struct Shapes {
  std::vector<Segment> segments;
  std::vector<CircleCurve> circles;
  std::vector<Quad> boxes;
  bool empty() const { return segments.empty() && circles.empty() && boxes.empty(); }
};

// A circular arc by centre, radius, start angle and signed sweep (radians,
// counter-clockwise positive).
struct ArcGeom {
  P2 c;
  double r = 0, start = 0, sweep = 0;
};
// The arc a polyline segment from a to b with `bulge` follows; nullopt for a
// straight segment (bulge 0, or a and b coincide).
std::optional<ArcGeom> BulgeArc(P2 a, P2 b, double bulge);
// The arc of an arc entity (sweep in (0, 2π]).
ArcGeom ArcOf(const ArcData& a);
// Points along an arc, both ends included; no chord strays from the curve by
// more than about 1.5e-4 of the radius.
std::vector<P2> ArcPoints(const ArcGeom& g);
// The vertices of a polyline with its bulged segments expanded into ArcPoints
// (the closing segment included when closed; the first vertex is not repeated).
std::vector<P2> FlattenPolyline(const PolylineData& p);

// Axis-aligned rectangle; the corners may be given in any order.
struct Rect {
  double x0, y0, x1, y1;
  static Rect FromCorners(P2 a, P2 b);
  static Rect Around(P2 p, double half);
};

// Block references expand to their block's shapes, nested blocks included; a
// block that contains itself is not followed again.
Shapes ShapesOf(const Database& db, const Entity& e);

// Crossing: some part of the entity touches or lies in the rectangle.
bool Crosses(const Shapes& s, const Rect& r);
// Window: the whole entity lies in the rectangle.
bool Inside(const Shapes& s, const Rect& r);
// Distance from p to the entity's outline (0 inside a text box).
double DistanceTo(const Shapes& s, P2 p);
// Bounding box; false for empty shapes.
bool Bounds(const Shapes& s, P2& lo, P2& hi);

bool SegmentTouchesRect(P2 a, P2 b, const Rect& r);

}  // namespace zavin::cad
