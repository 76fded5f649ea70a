#pragma once

// The extended-data record of a number text and the bookkeeping of the
// entities the writers create.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "geometry/point.h"
#include "host/object_model.h"

namespace zavin::annotate {

// Application name under which a number text carries its triangle.
inline constexpr std::string_view kXdataApp = "QM_ZAVIN";
inline constexpr std::int16_t kXdataAppCode = 1001;
inline constexpr std::int16_t kXdataPointCode = 1010;

// The three side lengths a = P0P1, b = P1P2, c = P2P0 in drawing units,
// unrounded and not divided by the scale.
struct TriangleSides {
  double a = 0;
  double b = 0;
  double c = 0;
  friend bool operator==(const TriangleSides&, const TriangleSides&) = default;
};

// Sides of the triangle P0, P1, P2 in that vertex order.
TriangleSides SidesOf(const geometry::TAcadPoint& p0, const geometry::TAcadPoint& p1,
                      const geometry::TAcadPoint& p2);

// The record for SetXdata: an Int16 array (1001, 1010) and a Variant array
// ("QM_ZAVIN", point array a, b, c), both with bounds 0..1.
host::Xdata TriangleXdata(const TriangleSides& sides);

// Reads the sides back from what GetXdata("QM_ZAVIN") returned. Empty unless
// the types are an Int16 array and the values a Variant array with
// "QM_ZAVIN" first and, as item 1, an array whose upper bound is 2.
std::optional<TriangleSides> ParseTriangleXdata(const host::Xdata& xdata);

// Ids of the entities the writers create, kept only while the flag is set
// (the base-line construction deletes them again when the sides are swapped).
struct CreatedObjectRecord {
  bool RecordCreatedObjects = false;
  std::vector<std::int64_t> CreatedObjectIds;

  // Empties the list and clears the flag.
  void Reset() {
    RecordCreatedObjects = false;
    CreatedObjectIds.clear();
  }
};

// Appends the entity's ObjectID when recording is on; otherwise does not touch
// the host at all. Called right after the entity's Update.
void RecordCreatedObject(CreatedObjectRecord& record, const host::Entity& entity);

}  // namespace zavin::annotate
