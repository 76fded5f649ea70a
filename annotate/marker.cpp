#include "annotate/marker.h"

#include <stdexcept>

#include "annotate/labels.h"
#include "geometry/plane.h"
#include "host/database.h"

namespace zavin::annotate {

using geometry::TAcadPoint;

namespace {

enum class TextPath { Host, FileOnPcad };

TAcadPoint RequireCentre(const std::optional<TAcadPoint>& centre) {
  if (!centre) throw std::invalid_argument("the triangle has no inside for its number");
  return *centre;
}

void WriteMarker(const host::Document& document, const TAcadPoint& m, const TriangleSides& sides,
                 int number, const MarkerStyle& style, const host::AngleSettings& angles,
                 TextPath path, CreatedObjectRecord& record) {
  // The number stays upright in the world whatever the angle frame.
  const double rotation = TextRotation(0.0, angles);
  host::EnsureLayer(document, style.layer);

  const host::Circle circle = document.ModelSpace().AddCircle(m, style.radius);
  RecordCreatedObject(record, circle);  // at once, see SideLengthLabel
  circle.SetLayer(style.layer);
  document.UpdateWritten(circle);

  const host::Xdata xdata = TriangleXdata(sides);
  if (path == TextPath::FileOnPcad && TakesNumberTextFromFile(style.hostProgId)) {
    InsertNumberTextFile(document,
                         {number, m, style.textHeight, rotation, style.layer, sides, angles,
                          style.hostProgId},
                         record);
    return;
  }
  const host::Text text = document.ModelSpace().AddText(std::to_string(number), m, style.textHeight);
  RecordCreatedObject(record, text);
  SetNewTextRotation(document, text, rotation, angles);
  text.SetAlignment(kNumberAlignment);
  text.SetTextAlignmentPoint(m);
  text.SetLayer(style.layer);
  text.SetXdata(xdata);
  document.UpdateWritten(text);
}

}  // namespace

bool TakesNumberTextFromFile(std::string_view prog_id) {
  return prog_id.find("PCAD") != std::string_view::npos;
}

void ThreeSideNumberMarker(const host::Document& document, const TAcadPoint& p0,
                           const TAcadPoint& p1, const TAcadPoint& p2, int number,
                           const MarkerStyle& style, const host::AngleSettings& angles,
                           CreatedObjectRecord& record) {
  const TAcadPoint m = RequireCentre(geometry::Incenter(p0, p1, p2));
  WriteMarker(document, m, SidesOf(p0, p1, p2), number, style, angles, TextPath::FileOnPcad,
              record);
}

std::optional<TAcadPoint> BaseHeightMarkerCentre(const geometry::TBaseAndFoot& d) {
  const double h = static_cast<double>(geometry::Distance2D(d.C, d.H));
  const double ac = static_cast<double>(geometry::Distance2D(d.A, d.C));
  const double ah = static_cast<double>(geometry::Distance2D(d.A, d.H));
  const double bc = static_cast<double>(geometry::Distance2D(d.B, d.C));
  const double bh = static_cast<double>(geometry::Distance2D(d.B, d.H));
  const double s1 = geometry::TriangleAreaFromSides(ah, ac, h);
  const double s2 = geometry::TriangleAreaFromSides(bh, bc, h);
  return s1 > s2 ? geometry::Incenter(d.A, d.C, d.H) : geometry::Incenter(d.B, d.C, d.H);
}

void BaseHeightNumberMarker(const host::Document& document, const TAcadPoint& p0,
                            const TAcadPoint& p1, const TAcadPoint& p2,
                            const geometry::TBaseAndFoot& decomposition, int number,
                            const MarkerStyle& style, const host::AngleSettings& angles,
                            CreatedObjectRecord& record) {
  const TAcadPoint m = RequireCentre(BaseHeightMarkerCentre(decomposition));
  WriteMarker(document, m, SidesOf(p0, p1, p2), number, style, angles, TextPath::Host, record);
}

}  // namespace zavin::annotate
