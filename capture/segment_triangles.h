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

// The segments with each set of overlapping collinear ones replaced by one
// segment between the set's two outermost ends, in the place of the set's
// first: a side drawn twice or in overlapping pieces is one side. Two
// segments overlap when every end of each lies closer than the join
// tolerance to the other's line and they share more than the tolerance of
// their length; segments that only meet end to end stay apart, as do those
// shorter than the tolerance and those with a non-finite end.
std::vector<geometry::TAcadLine> MergeOverlappingSegments(std::span<const geometry::TAcadLine> segments);

// The triangles without those whose corners (in any order, SamePoint with the
// join tolerance) repeat an earlier one's: a triangle found twice is one.
std::vector<geometry::TAcadTriangle> DistinctTriangles(std::span<const geometry::TAcadTriangle> triangles);

}  // namespace zavin::capture
