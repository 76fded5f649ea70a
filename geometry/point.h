#pragma once

#include <array>

namespace zavin::geometry {

// A drawing point in drawing units; operations are planar and read x and y.
struct TAcadPoint {
  long double x = 0;
  long double y = 0;
  long double z = 0;

  friend bool operator==(const TAcadPoint&, const TAcadPoint&) = default;
};

struct TAcadLine {
  TAcadPoint st;
  TAcadPoint ed;
};

struct TAcadTriangle {
  TAcadPoint p1;
  TAcadPoint p2;
  TAcadPoint p3;
};

// A point as the host exchanges it: x, y, z at indices 0, 1, 2. The host layer
// wraps it into an automation array with bounds 0..2; geometry stays free of it.
using HostPointArray = std::array<double, 3>;

// Rounds each coordinate to the nearest double.
HostPointArray ToHostPoint(const TAcadPoint& p);

// Widens a host point; exact.
TAcadPoint FromHostPoint(const HostPointArray& a);

}  // namespace zavin::geometry
