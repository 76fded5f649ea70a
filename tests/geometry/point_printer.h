#pragma once

#include <ostream>

#include "geometry/point.h"

namespace zavin::geometry {

// Lets GoogleTest print points in failure messages.
inline void PrintTo(const TAcadPoint& p, std::ostream* os) {
  *os << "(" << static_cast<double>(p.x) << ", " << static_cast<double>(p.y) << ", "
      << static_cast<double>(p.z) << ")";
}

}  // namespace zavin::geometry
