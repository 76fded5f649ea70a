#pragma once

// 座標求積 (Button15): the coordinate area table of a region picked by one
// point (the host's boundary, as 自動) or of a closed polyline picked after
// Enter at the same prompt.

#include <string>
#include <string_view>

#include "host/command_frame.h"
#include "platform/windows.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "table/area_table.h"
#include "table/coordinate_table.h"

namespace zavin::shell {

inline constexpr std::string_view kCoordinatePointPrompt = "領域内の１点を指示 [Enter: 閉じたポリラインを選択] : ";
inline constexpr std::string_view kCoordinatePolylinePrompt = "閉じたポリラインを選択 : ";
inline constexpr std::string_view kNotClosedText = "閉じたポリラインではありません．";
inline constexpr std::string_view kOutlineCrossingText = "境界が交差しています．";
inline constexpr std::string_view kTooFewVerticesText = "頂点が３点未満です．";
inline constexpr std::string_view kOutOfRangeText = "座標が桁数で書けない値です．";
inline constexpr std::string_view kNoAreaText = "境界に面積がありません．";

struct CoordinateCommandParams {
  table::CoordinateTableParams table;
  table::PointNameSettings names;
  // The area table's figures, for the total of the triangles it is checked against.
  table::AreaTableParams triangles;
  platform::Hwnd owner = platform::kNoWindow;  // of the message boxes
};

enum class CoordinateTableEnd {
  Placed,
  Cancelled,     // the user cancelled the table's insertion
  NoBoundary,    // the boundary message; nothing drawn
  NotAPolyline,  // the host made another kind of boundary; left as it is
  NotClosed,     // the picked entity is no closed polyline: message
  BadOutline,    // crossing, too few vertices, out of range: message
};

// F2, no snap guard.
host::FrameSteps CoordinateTableFrameSteps();

// Reads the outline, names its points, places the table where the user picks,
// writes the generated names and reports the area on the command line beside
// the total of the triangles numbered inside the outline. On bad input a
// message and nothing drawn. Host errors and refused settings raise.
CoordinateTableEnd CoordinateTableCommand(const host::Document& document, host::CommandContext& context,
                                          const CoordinateCommandParams& params);

// The command line's report: the coordinate area, and when triangles were
// found the triangles' total and the difference.
std::string CoordinateReportText(const geometry::Decimal& area, const std::string& triangles_total);

// Edit8, Edit9, Edit10, Edit12, Edit3, Edit23..Edit28, UpDown7, RadioGroup2,
// CheckBox5 and the digit settings. A field that is not a number throws
// std::invalid_argument.
CoordinateCommandParams ReadCoordinateTableParams(const TForm1& form);

// Fills Button15Click.
void InstallCoordinateTableCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
