#pragma once

// 群選択: the user selects the lines of a region already split into
// triangles; every triangle three of them form is labelled and numbered as
// the region split does.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "annotate/driver.h"
#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"
#include "platform/windows.h"

namespace zavin::capture {

inline constexpr std::string_view kGroupCaption = "IJ_Zavin";
inline constexpr std::string_view kNoSegmentsText = "線分またはポリラインではありません．.";
// Shown when the next triangle's number would pass annotate::kMaxNumber.
inline constexpr std::string_view kGroupNumberExhaustedText = "番号が上限の 9999 を超えます．";

// Sides already labelled during one run are found again within this tolerance.
inline constexpr double kLabelledTolerance = 0.001;

enum class TPenStyle : std::int32_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

// One straight segment taken from the selection.
struct TAcadLineBlk {
  std::string bname, layer, ltype;
  std::int16_t color = 0;
  geometry::TAcadPoint st, ed;
  std::int32_t PenColor = 0;
  TPenStyle PenStyle = TPenStyle::Solid;
  std::int16_t code67 = 0;
  geometry::TAcadPoint code210;
  std::int16_t layindex = 0;
  double atsumi = 0;
  std::int16_t convtype = 0;
  bool lwpflag = false;  // the segment comes from a polyline
};

// One selected lightweight polyline.
struct TLwpBlk {
  std::string bname, layer, ltype;
  std::int32_t ihand = 0;  // index of the entity in the selection
  std::int16_t color = 0, code67 = 0;
  std::int16_t code70 = 0;  // bit 1: closed
  std::int16_t code71 = 0, code72 = 0, code73 = 0, code74 = 0;
  geometry::TAcadPoint code210;
  std::int32_t PenColor = 0;
  TPenStyle PenStyle = TPenStyle::Solid;
  std::int16_t layindex = 0;
  double atsumi = 0, Koudo = 0, atumi = 0;
  std::string hand;
  double code38 = 0, code39 = 0;
};

// One vertex of a selected polyline.
struct TLwpEle {
  std::int32_t ihand = 0;  // the owning polyline's ihand
  geometry::TAcadPoint code10;
  double code42 = 0;  // bulge; never read, so every segment is straight
  std::string hand;
};

// What the selection gave.
struct GroupRecords {
  std::vector<TAcadLineBlk> lines;
  std::vector<TLwpBlk> polylines;
  std::vector<TLwpEle> vertices;

  bool empty() const { return lines.empty() && polylines.empty(); }
};

// Appends the segments of every polyline record to `records.lines`: its
// vertices (the run of vertex records with its ihand) in order, the first
// repeated after the last when code70 has bit 1, one segment per
// consecutive pair, with lwpflag set and the polyline's bname, layer, ltype,
// color, code67 and code210.
void ExplodeLwPolylines(GroupRecords& records);

// Lines and polylines of the selection set, in selection order; other
// entity kinds are skipped. Host errors propagate.
GroupRecords ReadGroupSelection(const host::SelectionSet& set);

// Everything the command reads from the tool window, read before the selection.
struct GroupSelectParams {
  annotate::AnnotationSettings settings;
  annotate::AreaMethod method = annotate::AreaMethod::ThreeSide;
  int number = 1;                              // the first triangle's number
  platform::Hwnd owner = platform::kNoWindow;  // owner of the message boxes
};

// How far a run got; kept up to date triangle by triangle so that the number
// field can follow also when a host error ends the run.
struct GroupProgress {
  int annotated = 0;       // triangles numbered
  int next_number = 0;     // set once a triangle was numbered
  int skipped = 0;         // triangles without area, left unannotated
  bool no_segments = false;  // the message was shown
};

// The triangles of the records (ExplodeLwPolylines, then FindSegmentTriangles
// over all line records), each labelled without neighbour check through one
// list of labelled sides, its height line drawn for the base-and-height
// method, and numbered from params.number; then the host window comes
// forward and the drawing is regenerated. No triangle: nothing happens. No
// segment at all: kNoSegmentsText. A triangle without area is skipped before
// anything is written for it; a number past the range ends the run with
// kGroupNumberExhaustedText. Host errors propagate; what was written stays.
void AnnotateTriangleGroup(const host::CommandContext& context, const GroupSelectParams& params,
                           GroupRecords& records, GroupProgress& progress);

// The command body: selection on screen without filter in a temporary
// selection set (deleted on every path), then AnnotateTriangleGroup when a
// line or polyline was selected.
void GroupSelectCommand(const host::Document& document, host::CommandContext& context,
                        const GroupSelectParams& params, GroupProgress& progress);

// F2 and no snap guard.
host::FrameSteps GroupSelectFrameSteps();

}  // namespace zavin::capture
