#pragma once

// 番号移動: moves a number marker (its text and circle) with the host's move
// command and joins the old centre to the moved circle by a leader with an
// arrowhead or by a plain line.

#include <optional>
#include <string>
#include <string_view>

#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"

namespace zavin::tools {

// Entity filter of the pick: texts and circles only.
inline constexpr char kNumberMoveFilter[] = "TEXT,CIRCLE";
inline constexpr std::int64_t kNumberMoveWaitMs = 200;

// The circle of a picked marker, read before the move.
struct PickedMarker {
  geometry::TAcadPoint centre;
  double radius = 0;
};

// Lets the user pick with the filter above on a temporary selection set,
// deleted on every path. The marker only when the pick is exactly one
// single-line text and one circle, in either order. Host errors raise.
std::optional<PickedMarker> PickNumberMarker(const host::Document& document);

// "MOVE\rPRE\r\r" and the base point as "%.3f,%.3f,%.3f\r".
std::string MoveCommandText(const geometry::TAcadPoint& base);
// "_LEADER\r", "%.4f,%.4f %.4f,%.4f" of `from` and `to`, "\r\r\rN\r".
std::string LeaderCommandText(const geometry::TAcadPoint& from, const geometry::TAcadPoint& to);

// The point of the circle of `radius` about `moved` that faces `old_centre`.
geometry::TAcadPoint LeaderEdgePoint(const geometry::TAcadPoint& moved,
                                     const geometry::TAcadPoint& old_centre, double radius);

// DIMLDRBLK as it is written back: every double quote removed, "." when
// nothing is left (the host's default arrowhead).
std::string SavedArrowBlock(std::string_view value);

struct NumberMoveOptions {
  bool leader = true;        // CheckBox3: leader with arrowhead, else a line
  double arrowSize = 400;    // Edit14, drawing units
};

enum class NumberMoveResult {
  Moved,
  NotAMarker,  // the pick was no text and circle pair; nothing happened
};

// The command body: pick, move (waiting for the host), then the leader with
// DIMASZ = arrowSize / DIMSCALE (a DIMSCALE of 0 or less, or not a number,
// counts as 1) and the default arrowhead, both put back on every path after
// they were set, or a line from the old centre to the moved circle's edge.
NumberMoveResult MoveNumberMarker(const host::Document& document, const host::HostLink& link,
                                  const NumberMoveOptions& options);

}  // namespace zavin::tools
