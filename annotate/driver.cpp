#include "annotate/driver.h"

#include <stdexcept>

#include "annotate/lines.h"
#include "geometry/area.h"
#include "geometry/plane.h"
#include "host/database.h"

namespace zavin::annotate {

using geometry::TAcadPoint;

int AnnotateTriangle(const host::Document& document, const TAcadPoint& p0, const TAcadPoint& p1,
                     const TAcadPoint& p2, AreaMethod method, const host::AngleSettings& angles,
                     const AnnotationSettings& settings, int number,
                     CreatedObjectRecord& record) {
  if (!NumberFits(number)) throw std::out_of_range("the number field is at its top");
  // The marker would fail last; a triangle it cannot number gets nothing.
  const geometry::TBaseAndFoot decomposition = geometry::BaseAndFoot(p0, p1, p2);
  const bool numberable = method == AreaMethod::ThreeSide
                              ? geometry::Incenter(p0, p1, p2).has_value()
                              : BaseHeightMarkerCentre(decomposition).has_value();
  if (!numberable) throw std::invalid_argument("the triangle has no inside for its number");

  host::EnsureLayer(document, settings.sideLayer);
  DrawSegment(document, p0, p2, settings.sideLayer, true, record);
  DrawSegment(document, p1, p2, settings.sideLayer, true, record);
  host::EnsureLayer(document, settings.textLayer);

  const LabelStyle labels = settings.Labels();
  const MarkerStyle marker = settings.Marker();
  if (method == AreaMethod::ThreeSide) {
    LabelTriangleSides(document, p0, p1, p2, labels, angles, record);
    ThreeSideNumberMarker(document, p0, p1, p2, number, marker, angles, record);
  } else {
    const geometry::TBaseAndFoot& d = decomposition;
    SideLengthLabel(document, d.A, d.B, labels, angles, true, record);
    SideLengthLabel(document, d.C, d.H, labels, angles, false, record);
    host::EnsureLayer(document, settings.heightLayer);
    DrawHeightLine(document, d, settings.heightLayer, record);
    BaseHeightNumberMarker(document, p0, p1, p2, d, number, marker, angles, record);
  }
  return number + 1;
}

}  // namespace zavin::annotate
