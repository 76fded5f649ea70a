#pragma once

namespace zavin::geometry {

// A drawing point in drawing units; operations are planar and read x and y.
struct TAcadPoint {
  long double x = 0;
  long double y = 0;
  long double z = 0;
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

}  // namespace zavin::geometry
