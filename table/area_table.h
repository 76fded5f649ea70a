#pragma once

// The area table (求積表): one row per triangle record and the summary rows,
// drawn into a temporary block, inserted where the user picks, exploded into
// plain lines and texts, and the block definition deleted again.

#include <string>
#include <string_view>
#include <vector>

#include "annotate/driver.h"
#include "geometry/land_area.h"
#include "geometry/point.h"
#include "geometry/rounding.h"
#include "host/link.h"
#include "host/object_model.h"
#include "table/records.h"

namespace zavin::table {

// Prefix of the block that holds the table while it is built.
inline constexpr std::string_view kAreaTableBlockPrefix = "Zavin_";

// Header texts, one comma list per area method.
inline constexpr std::string_view kThreeSideHeader = "No.,a,b,c,面積";
inline constexpr std::string_view kBaseHeightHeader = "No.,底辺,高さ,面積";

// Text alignment codes of the host.
inline constexpr int kMiddleCenter = 10;
inline constexpr int kMiddleRight = 11;

// Clears `list` and adds the pieces of `text` between commas, untrimmed: k
// commas give k + 1 pieces, "" gives one empty piece.
void SplitCommaList(std::string_view text, std::vector<std::string>& list);

struct BaseHeightTexts {
  std::string base;
  std::string height;
};
// Base (the longest side, the earlier one on equal lengths) and height of a
// row of the base-and-height table, each divided by `scale` and rounded. A
// side text that is blank counts as 0; any other text that is not a number
// raises std::invalid_argument.
BaseHeightTexts BaseAndHeightTexts(std::string_view a, std::string_view b, std::string_view c,
                                   int digits, geometry::RoundingMode mode, double scale);

// What the table is built from, read from the tool window when it runs.
struct AreaTableParams {
  annotate::AreaMethod method = annotate::AreaMethod::ThreeSide;
  double scale = 1000;       // side lengths are divided by it
  double textHeight = 400;   // every text
  double rowHeight = 800;
  std::vector<double> widths;  // one per column of the method
  std::string layer = "H_TEXT";
  geometry::TRounding length{2, geometry::RoundingMode::HalfUp};
  geometry::TRounding area{4, geometry::RoundingMode::HalfUp};
  geometry::TRounding total{2, geometry::RoundingMode::HalfUp};
  // With a 地目 the last row is 地積, cut as the category requires.
  geometry::Chimoku chimoku = geometry::Chimoku::None;
};

struct TableLine {
  geometry::TAcadPoint start;
  geometry::TAcadPoint end;
};
struct TableText {
  std::string text;
  geometry::TAcadPoint at;  // insertion and alignment point
  int alignment = kMiddleRight;
};
// The table in block coordinates, origin at its upper-left corner, rows at
// negative y: horizontal lines top to bottom, vertical lines left to right,
// then the header, row and summary texts.
struct AreaTableLayout {
  std::vector<TableLine> lines;
  std::vector<TableText> texts;
};

// Raises std::invalid_argument when the widths do not match the method's
// columns or a setting means nothing (scale or heights not finite and
// positive, a width not finite).
void CheckAreaTableParams(const AreaTableParams& params);

// Raises std::invalid_argument when CheckAreaTableParams does, or a record does not hold a number text and three
// finite lengths. Nothing is written to the drawing by it.
AreaTableLayout LayoutAreaTable(const RecordList& records, const AreaTableParams& params);

// The final figure the area table of `records` writes (without its trailing
// blanks); the widths of `params` play no part. Raises as LayoutAreaTable.
std::string AreaTableTotalText(const RecordList& records, AreaTableParams params);

// The command line that inserts `block_name` at scale 1 and rotation 0 and
// leaves the insertion point to the user.
std::string InsertCommandText(std::string_view block_name);

// Lays out the table (errors end it before anything is written), draws it into
// a new Zavin_<n> block on `params.layer`, has the host insert the block where
// the user picks, explodes the reference and deletes the definition. True when
// the table was placed; false when the user cancelled the insertion (the
// drawing then only gained the layer). The definition is deleted on every
// path, also when a host error ends the command (it then passes on).
bool BuildAreaTable(const host::Document& document, const host::HostLink& link,
                    const RecordList& records, const AreaTableParams& params);

// Draws a laid-out table into a new Zavin_<n> block, every line and text on
// `layer` and every text `text_height` high, then inserts, explodes and
// deletes it as BuildAreaTable does.
bool PlaceTableLayout(const host::Document& document, const host::HostLink& link, const AreaTableLayout& layout,
                      const std::string& layer, double text_height);

}  // namespace zavin::table
