#pragma once

// Triangles formed by three straight segments of a selection.

#include <span>
#include <vector>

#include "geometry/point.h"

namespace zavin::capture {

// Ends closer than this (Distance2D for the first two sides, SamePoint for
// the third) count as one point.
inline constexpr double kSegmentJoinTolerance = 0.001;

// Every triangle of three segments S[u], S[j], S[J] with u < j < J, in the
// order of u, then j, then J. S[u] and S[j] meet at X1 when one end of each
// lies within Distance2D < tolerance of the other (of the four end pairs
// st-st, st-ed, ed-st, ed-ed the last that meets decides); X2 is the other
// end of S[u], X3 the other end of S[j], and S[J] closes the triangle when it
// joins X2 and X3 in either direction (SamePoint). The triangle is
// (X1, X2, X3). Overlapping and repeated segments give a triangle per triple;
// degenerate ones (no area) are reported too. Non-finite ends never meet.
//
// The result is the one the plain triple loop gives; the search only visits
// segments whose ends share a neighbourhood, through a grid of end points.
std::vector<geometry::TAcadTriangle> FindSegmentTriangles(std::span<const geometry::TAcadLine> segments);

}  // namespace zavin::capture
