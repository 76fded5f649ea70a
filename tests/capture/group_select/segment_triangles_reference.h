#pragma once

// The triple loop over the segments written out literally, and generated
// segment sets; FindSegmentTriangles must give exactly what the loop gives.

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/point.h"

namespace zavin::capture::reference {

std::vector<geometry::TAcadTriangle> ReferenceFindSegmentTriangles(
    std::span<const geometry::TAcadLine> s);

// An n x m grid of squares of side `size`, each split by its rising diagonal:
// the horizontal lines row by row, then the vertical ones, then the diagonals.
std::vector<geometry::TAcadLine> SplitSquareGrid(int n, int m, double size = 10);

// A small split grid with shared, near-shared (0.0005 and 0.002 off),
// duplicated, reversed and overlapping segments mixed in, shuffled by `seed`.
std::vector<geometry::TAcadLine> MessySegments(std::uint32_t seed, int count);

}  // namespace zavin::capture::reference
