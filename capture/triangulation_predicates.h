#pragma once

#include "geometry/point.h"

// Per-edge predicates of the polygon triangulation. The plain polygon tests in
// triangulation.h and the indexed ones inside TriangulatePolygon are both built
// from these, so that pruning edges never changes an answer: every decision
// that says whether two pieces of the outline meet is exact for finite input
// (no overflow or underflow in the error-free products; any coordinate that
// came from a double qualifies), and only the 0.001 end tolerance of a
// diagonal is measured in floating point.
namespace zavin::capture::detail {

using geometry::TAcadPoint;

// Sign of the cross product (b - a) x (c - a): +1 when c lies left of a->b
// (counter-clockwise), -1 right, 0 exactly collinear. Exact.
int Orientation(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c);

// Whether edge a-b counts for the ray that leaves p straight up, unbounded.
// Half-open rule: the edge must straddle x = p.x with exactly one end strictly
// right of it, so a ray through a vertex counts each outline pass once, and a
// vertex where the outline turns back counts zero or two times. The crossing
// must lie strictly above p.
bool RayCrossesEdge(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b);

// Whether the closed segments a-b and c-d share at least one point. Exact;
// a segment of zero length is its point.
bool SegmentsTouch(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c,
                   const TAcadPoint& d);

// Whether edge e0-e1 meets the diagonal a-c anywhere farther than the end
// tolerance (0.001) from both a and c. Whether they meet is exact, so a
// graze at a vertex or a collinear overlap is never missed; where they meet
// is measured along the diagonal in floating point. Diagonals of length
// 0.002 or less have no such part and meet nothing.
bool DiagonalTouchesEdge(const TAcadPoint& a, const TAcadPoint& c, const TAcadPoint& e0,
                         const TAcadPoint& e1);

// The same with the diagonal prepared once for many edges.
struct TDiagonal {
  TAcadPoint a;  // ends in a fixed order, so that a-c and c-a round alike
  TAcadPoint c;
  long double length;
};
TDiagonal PrepareDiagonal(const TAcadPoint& a, const TAcadPoint& c);
bool DiagonalTouchesEdge(const TDiagonal& d, const TAcadPoint& e0, const TAcadPoint& e1);

// |corner angle at v between u and z - 60°|, the candidate measure.
double CornerDeviation(const TAcadPoint& u, const TAcadPoint& v, const TAcadPoint& z);

// Exact coordinate equality in the plane (z ignored).
inline bool SameXY(const TAcadPoint& a, const TAcadPoint& b) { return a.x == b.x && a.y == b.y; }

}  // namespace zavin::capture::detail
