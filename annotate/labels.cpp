#include "annotate/labels.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include "geometry/plane.h"
#include "host/database.h"

namespace zavin::annotate {

using geometry::TAcadPoint;

namespace {

// Counts the texts crossing the rectangle spanned by c1 and c2.
std::int32_t TextsCrossing(const host::SelectionSet& set, const TAcadPoint& c1,
                           const TAcadPoint& c2) {
  static constexpr std::array<std::int16_t, 1> kTypeCode{0};
  set.Clear();
  set.Select(host::kSelectCrossing, c1, c2, host::MakeFilter(kTypeCode, {"TEXT"}));
  return set.Count();
}

bool NeighbourTextFound(const host::Document& document, const TAcadPoint& m, double theta,
                        double h) {
  const TAcadPoint e1 = geometry::PolarPoint(m, theta, h);
  const TAcadPoint e2 = geometry::PolarPoint(m, theta, -h);
  const double normal = theta + geometry::kHalfPiD;
  const host::ScopedTempSelectionSet set(document);
  const std::int32_t k1 = TextsCrossing(set.get(), geometry::PolarPoint(e1, normal, h / 2),
                                        geometry::PolarPoint(e2, normal, h / 2));
  const std::int32_t k2 = TextsCrossing(set.get(), geometry::PolarPoint(e1, normal, -h / 2),
                                        geometry::PolarPoint(e2, normal, -h / 2));
  return k1 + k2 != 0;
}

}  // namespace

double ReadingAngle(const TAcadPoint& a, const TAcadPoint& b) {
  double theta = static_cast<double>(geometry::DirectionAngle(a, b));
  if (theta > geometry::kHalfPiD && theta <= geometry::kThreeHalfPiD) theta -= geometry::kPiD;
  return theta;
}

double TextRotation(double theta, const host::AngleSettings& angles) {
  return angles.angle_direction == 1 ? angles.angle_base - theta : theta - angles.angle_base;
}

void SetNewTextRotation(const host::Document& document, const host::Text& text, double rotation,
                        const host::AngleSettings& angles) {
  if (document.memory() && rotation == 0 && angles.angle_base == 0) return;
  text.SetRotation(rotation);
}

bool SideLengthLabel(const host::Document& document, const TAcadPoint& a, const TAcadPoint& b,
                     const LabelStyle& style, const host::AngleSettings& angles,
                     bool checkNeighbours, CreatedObjectRecord& record) {
  // A zero or broken scale would write "inf" or "nan" as a length.
  if (!(std::isfinite(style.scale) && style.scale > 0))
    throw std::invalid_argument("label scale must be a finite positive number");
  const TAcadPoint m = geometry::MidPoint(a, b);
  const double theta = ReadingAngle(a, b);
  const double length = static_cast<double>(geometry::Distance2D(a, b));

  if (checkNeighbours && NeighbourTextFound(document, m, theta, style.height)) return false;

  const std::string text =
      geometry::RoundToText(style.length.digits, style.length.mode, length / style.scale);
  const host::Text label = document.ModelSpace().AddText(text, m, style.height);
  // Recorded at once, so that an entity whose later set-up fails is still
  // removed with the others by a-b反転.
  RecordCreatedObject(record, label);
  SetNewTextRotation(document, label, TextRotation(theta, angles), angles);
  label.SetAlignment(kLabelAlignment);
  label.SetTextAlignmentPoint(m);
  label.SetLayer(style.layer);
  document.UpdateWritten(label);
  return true;
}

void LabelTriangleSides(const host::Document& document, const TAcadPoint& p0,
                        const TAcadPoint& p1, const TAcadPoint& p2, const LabelStyle& style,
                        const host::AngleSettings& angles, CreatedObjectRecord& record) {
  SideLengthLabel(document, p0, p1, style, angles, true, record);
  SideLengthLabel(document, p1, p2, style, angles, true, record);
  SideLengthLabel(document, p2, p0, style, angles, true, record);
}

}  // namespace zavin::annotate
