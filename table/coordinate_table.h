#pragma once

// The coordinate area table (座標求積表) of a closed outline: point names
// found on their layer or generated, one row per vertex clockwise from the
// northernmost, the arc segments, 倍面積, 面積 and 地積; optionally the side
// lengths (辺長表) beside it. Placed like the area table.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/coordinate_area.h"
#include "geometry/land_area.h"
#include "geometry/point.h"
#include "geometry/rounding.h"
#include "host/object_model.h"
#include "table/area_table.h"

namespace zavin::table {

inline constexpr std::string_view kCoordinateHeader = "点名,X,Y,Yn+1−Yn−1,Xn×(Yn+1−Yn−1)";
inline constexpr std::string_view kSideLengthHeader = "点名–点名,距離";

// Point names: the layer their texts stand on, and how a missing one is made.
struct PointNameSettings {
  std::string layer = "点名";
  std::string prefix = "K";
  int start = 1;
  double textHeight = 300;  // of a generated name
};

// A closed outline as a coordinate table with point names; what a table or
// a coordinate file is written from.
struct NamedCoordinates {
  geometry::CoordinateArea area;
  std::vector<std::string> names;            // one per row
  std::vector<bool> generated;               // the name was made, not found
  std::vector<geometry::TAcadPoint> points;  // drawing point of each row
};

// A point-name text of the drawing: its text, where it stands (the alignment
// point, the insertion point for left-aligned text) and its height.
struct PointNameText {
  std::string text;
  geometry::TAcadPoint at;
  double height = 0;
};

// The vertices and bulges of a lightweight polyline. Host errors pass on.
std::vector<geometry::OutlineVertex> ReadOutline(const host::Polyline& polyline);

// The texts on `layer`. The temporary selection set is deleted on every
// path; host errors pass on.
std::vector<PointNameText> ReadPointNameTexts(const host::Document& document, std::string_view layer);

// Names every row: the nearest text whose point lies within its own height
// of the vertex, else prefix + number, numbered in row order from `start`.
// Raises OutlineError as ComputeCoordinateArea does.
NamedCoordinates NameCoordinates(std::span<const geometry::OutlineVertex> outline, double scale, int digits,
                                 const std::vector<PointNameText>& texts, const PointNameSettings& names);

// Where a generated name stands: one name height from its vertex, outwards
// along the bisector of the two sides.
geometry::TAcadPoint NamePosition(const NamedCoordinates& table, std::size_t row, double height);

struct CoordinateTableParams {
  double scale = 1000;
  int digits = 3;  // of the coordinates
  double textHeight = 400;
  double rowHeight = 800;
  std::vector<double> widths;  // five columns
  bool sideTable = false;
  std::vector<double> sideWidths;  // two columns, when sideTable
  std::string layer = "H_TEXT";
  geometry::TRounding length{2, geometry::RoundingMode::HalfUp};
  geometry::TRounding total{2, geometry::RoundingMode::HalfUp};
  geometry::Chimoku chimoku = geometry::Chimoku::None;
};

// Raises std::invalid_argument for widths that do not match the columns or a
// setting that means nothing.
void CheckCoordinateTableParams(const CoordinateTableParams& params);

// The 地積 row's figure: the total digits and rounding, or the 地目's cut.
std::string LandAreaFigure(const geometry::Decimal& area, const CoordinateTableParams& params);

// Origin at the upper-left corner; the side-length table stands one row
// height to the right of the coordinate table.
AreaTableLayout LayoutCoordinateTable(const NamedCoordinates& table, const CoordinateTableParams& params);

}  // namespace zavin::table
