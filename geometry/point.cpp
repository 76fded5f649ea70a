#include "geometry/point.h"

namespace zavin::geometry {

HostPointArray ToHostPoint(const TAcadPoint& p) {
  return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z)};
}

TAcadPoint FromHostPoint(const HostPointArray& a) { return {a[0], a[1], a[2]}; }

}  // namespace zavin::geometry
