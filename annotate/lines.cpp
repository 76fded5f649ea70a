#include "annotate/lines.h"

#include <array>

#include "geometry/plane.h"
#include "host/database.h"

namespace zavin::annotate {

namespace {

bool LineAtPoint(const host::Document& document, const geometry::TAcadPoint& point) {
  static constexpr std::array<std::int16_t, 1> kTypeCode{0};
  const host::ScopedTempSelectionSet set(document);
  set->Clear();
  set->SelectAtPoint(point, host::MakeFilter(kTypeCode, {"*LINE"}));
  const std::int32_t k = set->Count();
  set->Clear();
  return k != 0;
}

}  // namespace

bool DrawSegment(const host::Document& document, const geometry::TAcadPoint& p,
                 const geometry::TAcadPoint& q, std::string_view layer, bool checkExisting,
                 CreatedObjectRecord& record) {
  if (checkExisting && LineAtPoint(document, geometry::MidPoint(p, q))) return false;
  const host::Line line = document.ModelSpace().AddLine(p, q);
  RecordCreatedObject(record, line);  // at once, see SideLengthLabel
  line.SetLayer(layer);
  document.UpdateWritten(line);
  return true;
}

void DrawHeightLine(const host::Document& document, const geometry::TBaseAndFoot& decomposition,
                    std::string_view layer, CreatedObjectRecord& record) {
  DrawSegment(document, decomposition.C, decomposition.H, layer, false, record);
}

}  // namespace zavin::annotate
