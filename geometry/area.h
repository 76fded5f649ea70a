#pragma once

#include <optional>
#include <string>

#include "geometry/point.h"
#include "geometry/rounding.h"

// Triangle areas for the two methods. Sides are listed a = P0P1, b = P1P2,
// c = P2P0; on equal lengths the earlier side is the base.
namespace zavin::geometry {

// Three-side (half-perimeter) area; 0 for collinear points, a zero side, or
// lengths that violate the triangle inequality (and for non-finite input).
double TriangleAreaFromSides(double a, double b, double c);

// Base start A and end B (the longest side, in vertex order), apex C and the
// foot H of the height on the unbounded base line, with A's z.
struct TBaseAndFoot {
  TAcadPoint A;
  TAcadPoint B;
  TAcadPoint C;
  TAcadPoint H;
};

// When all three vertices coincide there is no base line to drop onto; H is
// then A, a height of zero.
TBaseAndFoot BaseAndFoot(TAcadPoint p0, TAcadPoint p1, TAcadPoint p2);

struct TBaseHeight {
  double base;
  double height;  // 0 unless all sides are greater than 0
};

// The largest side as base and the height that gives twice the area with it.
TBaseHeight BaseAndHeightFromSides(double a, double b, double c);

// Figures as written for the three-side method: each side divided by scale
// and rounded with the length rule; the area is formed from the written sides.
struct TThreeSideFigures {
  std::string a;
  std::string b;
  std::string c;
  std::string area;
};

// Figures as written for the base-and-height method: base and height from the
// unrounded sides, divided by scale, rounded with the length rule; the double
// area is the written base times the written height, rounded with the area rule.
struct TBaseHeightFigures {
  std::string base;
  std::string height;
  std::string doubleArea;
};

// Both give nothing for a scale that is not a finite positive number or a
// side that is negative or not finite: no figure would mean anything then.
std::optional<TThreeSideFigures> ThreeSideFigures(double a, double b, double c, double scale,
                                                  TRounding length, TRounding area);
std::optional<TBaseHeightFigures> BaseHeightFigures(double a, double b, double c, double scale,
                                                    TRounding length, TRounding area);

}  // namespace zavin::geometry
