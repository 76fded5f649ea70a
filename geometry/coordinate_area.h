#pragma once

// The coordinate method (座標法): the area of a closed outline from its
// vertices in survey axes, X north (drawing y) and Y east (drawing x), in
// exact decimal arithmetic on the coordinates as written.

#include <cstddef>
#include <span>
#include <stdexcept>
#include <vector>

#include "geometry/decimal.h"
#include "geometry/point.h"

namespace zavin::geometry {

// One vertex of a closed outline and the bulge of the side to the next one
// (tan of a quarter of the arc's sweep, positive counter-clockwise; 0 straight).
struct OutlineVertex {
  TAcadPoint at;
  double bulge = 0;
};

enum class OutlineFault {
  TooFewVertices,  // fewer than three distinct vertices
  Crossing,        // two sides cross or touch
  OutOfRange,      // a coordinate the digits cannot write exactly
  NoArea,          // the vertices enclose nothing
};

class OutlineError : public std::runtime_error {
 public:
  explicit OutlineError(OutlineFault fault);
  OutlineFault fault() const { return fault_; }

 private:
  OutlineFault fault_;
};

struct CoordinateRow {
  std::size_t vertex = 0;  // index into the outline given
  Decimal X;               // rounded to the coordinate digits
  Decimal Y;
  Decimal dY;       // Y(n+1) − Y(n−1)
  Decimal product;  // X(n) × dY
};

// The circular segment between an arc side and its chord.
struct ArcSegmentRow {
  std::size_t from = 0;  // rows of the chord's ends, in table order
  std::size_t to = 0;
  Decimal radius;     // coordinate digits, half up
  double angle = 0;   // central angle, radians
  Decimal area;       // r²(θ − sin θ)/2, twice the coordinate digits, half up;
                      // negative where the arc bulges into the chord polygon
};

struct CoordinateArea {
  int digits = 3;
  // Clockwise as seen on the drawing, from the northernmost vertex (largest
  // X; on a tie the westernmost, smallest Y).
  std::vector<CoordinateRow> rows;
  std::vector<ArcSegmentRow> arcs;
  Decimal twice;  // Σ X(n) × (Y(n+1) − Y(n−1)), positive for this order
  Decimal area;   // |twice| / 2 truncated to twice the digits, plus the segments
};

// Coordinates are divided by `scale` and rounded half up to `digits` (0..6)
// before anything else; every later figure comes from them. Consecutive
// vertices that round to the same point count once. Raises OutlineError.
CoordinateArea ComputeCoordinateArea(std::span<const OutlineVertex> outline, double scale, int digits);

// Length of the side between two rows, from their written coordinates.
double SideLength(const CoordinateRow& a, const CoordinateRow& b);

}  // namespace zavin::geometry
