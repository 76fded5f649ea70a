#include "annotate/record.h"

#include <array>
#include <cmath>
#include <string>

#include "geometry/plane.h"
#include "platform/automation.h"
#include "platform/variant.h"

namespace zavin::annotate {

using platform::VarKind;
using platform::Variant;

TriangleSides SidesOf(const geometry::TAcadPoint& p0, const geometry::TAcadPoint& p1,
                      const geometry::TAcadPoint& p2) {
  return {static_cast<double>(geometry::Distance2D(p0, p1)),
          static_cast<double>(geometry::Distance2D(p1, p2)),
          static_cast<double>(geometry::Distance2D(p2, p0))};
}

host::Xdata TriangleXdata(const TriangleSides& sides) {
  static constexpr std::array<std::int16_t, 2> kCodes{kXdataAppCode, kXdataPointCode};
  return host::MakeXdata(kCodes, {Variant(std::string(kXdataApp)),
                                  platform::MakePointArray(sides.a, sides.b, sides.c)});
}

std::optional<TriangleSides> ParseTriangleXdata(const host::Xdata& xdata) {
  if (!xdata.types.is_array() || !xdata.values.is_array()) return std::nullopt;
  const platform::VariantArray& types = xdata.types.array();
  const platform::VariantArray& values = xdata.values.array();
  if (types.element != VarKind::Int16 || values.element != VarKind::Variant) return std::nullopt;
  if (values.items.size() < 2 || types.items.size() != values.items.size()) return std::nullopt;
  const Variant& app = values.items[0];
  if (app.kind() != VarKind::Text || app.text() != kXdataApp) return std::nullopt;
  const Variant& point = values.items[1];
  // Indices 0..2 must all exist: an upper bound of 2 alone would let a
  // two-element array with lower bound 1 through.
  if (!point.is_array()) return std::nullopt;
  const platform::VariantArray& p = point.array();
  if (p.upper() != 2 || p.lower > 0) return std::nullopt;
  std::array<double, 3> abc{};
  try {
    for (std::int32_t i = 0; i < 3; ++i)
      abc[static_cast<std::size_t>(i)] = p.items[static_cast<std::size_t>(i - p.lower)].ToDouble();
  } catch (const platform::HostError&) {
    return std::nullopt;
  }
  return TriangleSides{abc[0], abc[1], abc[2]};
}

void RecordCreatedObject(CreatedObjectRecord& record, const host::Entity& entity) {
  if (record.RecordCreatedObjects) record.CreatedObjectIds.push_back(entity.ObjectID());
}

}  // namespace zavin::annotate
