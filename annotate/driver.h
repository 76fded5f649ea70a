#pragma once

// Complete annotation of one triangle whose base P0-P1 is already drawn.

#include <string>

#include "annotate/labels.h"
#include "annotate/marker.h"
#include "annotate/record.h"
#include "geometry/point.h"
#include "geometry/rounding.h"
#include "host/link.h"
#include "host/object_model.h"

namespace zavin::annotate {

// Item index of the method radio group.
enum class AreaMethod : int { ThreeSide = 0, BaseHeight = 1 };

// Range of the No. field.
inline constexpr int kMinNumber = 1;
inline constexpr int kMaxNumber = 9999;

// True when `number` may be written: its successor still fits the field, so
// the next triangle never repeats it.
inline constexpr bool NumberFits(int number) { return number >= kMinNumber && number < kMaxNumber; }

// What the tool window holds for an annotation, read when the command runs.
struct AnnotationSettings {
  double labelHeight = 300;          // Edit3
  double scale = 1000;               // Edit8
  geometry::TRounding length;        // LengthDigits, LengthRounding
  double markerRadius = 500;         // Edit6
  double numberHeight = 400;         // Edit5
  std::string textLayer = "H_TEXT";  // Edit12
  std::string sideLayer = "H_HEN";   // Edit15
  std::string heightLayer = "H_TAKASA";  // Edit19
  std::string hostProgId;            // decides the number text path

  LabelStyle Labels() const { return {labelHeight, scale, length, textLayer}; }
  MarkerStyle Marker() const { return {markerRadius, numberHeight, textLayer, hostProgId}; }
};

// Draws the sides P0-P2 and P1-P2 unless already there, labels the sides
// (three-side) or the base and height with the height line (base-and-height),
// and writes the marker numbered `number`. Layers are made sure to exist
// before they are used. The height label is written without the neighbour
// check: a height is never shared, and in a flat triangle the base label lies
// in its zone. Returns the number for the next triangle (number + 1); on an
// error nothing is returned, so the number is not used up. A triangle with
// collinear vertices raises std::invalid_argument and a number that does not
// fit (NumberFits) std::out_of_range, both before anything is written.
int AnnotateTriangle(const host::Document& document, const geometry::TAcadPoint& p0,
                     const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                     AreaMethod method, const host::AngleSettings& angles,
                     const AnnotationSettings& settings, int number,
                     CreatedObjectRecord& record);

}  // namespace zavin::annotate
