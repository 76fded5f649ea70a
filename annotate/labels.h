#pragma once

// Side-length labels: a text on a segment showing its length divided by the
// drawing scale, turned to read from left to right or upwards.

#include <string>

#include "annotate/record.h"
#include "geometry/point.h"
#include "geometry/rounding.h"
#include "host/link.h"
#include "host/object_model.h"

namespace zavin::annotate {

// How labels are written; the tool window supplies the values.
struct LabelStyle {
  double height = 300;          // text height, drawing units (never scaled)
  double scale = 1000;          // written length = length / scale
  geometry::TRounding length;   // LengthDigits, LengthRounding
  std::string layer = "H_TEXT";
};

// Host alignment code of a label: bottom centre, so it stands on the segment.
inline constexpr std::int32_t kLabelAlignment = 13;

// Direction of A->B folded into (-π/2, π/2]: a side pointing left reads 0, one
// pointing down reads π/2.
double ReadingAngle(const geometry::TAcadPoint& a, const geometry::TAcadPoint& b);

// The Rotation value that shows a text at world angle `theta` in the drawing's
// angle frame: angleBase - θ when clockwise (ANGDIR 1), θ - angleBase
// otherwise, so that labels and numbers agree under any angle base.
double TextRotation(double theta, const host::AngleSettings& angles);

// Gives the text just added `rotation`, unless a document that remembers for
// its command knows the text has it: a new text stands at 0, and 0 in a
// frame based at 0 is that exactly.
void SetNewTextRotation(const host::Document& document, const host::Text& text, double rotation,
                        const host::AngleSettings& angles);

// Writes the length label of A-B at its midpoint. With checkNeighbours it
// first looks for texts crossing the two zones one text height long either
// side of the midpoint and half a height off the segment on either side, and
// writes nothing when any is found (a side shared by two triangles is labelled
// once). The temporary selection set is deleted on every path. A scale that
// is not finite and positive raises std::invalid_argument before the host is
// touched. True when a label was written.
bool SideLengthLabel(const host::Document& document, const geometry::TAcadPoint& a,
                     const geometry::TAcadPoint& b, const LabelStyle& style,
                     const host::AngleSettings& angles, bool checkNeighbours,
                     CreatedObjectRecord& record);

// Labels P0P1, P1P2, P2P0 in this order, each with the neighbour check on.
void LabelTriangleSides(const host::Document& document, const geometry::TAcadPoint& p0,
                        const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                        const LabelStyle& style, const host::AngleSettings& angles,
                        CreatedObjectRecord& record);

}  // namespace zavin::annotate
