#pragma once

// 自動, 分割 and １点指示: the host builds the boundary of the region around a
// picked point; the outline is split into triangles whose diagonals are drawn
// and which, unless only splitting was asked for, are labelled and numbered.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "annotate/driver.h"
#include "geometry/coordinate_area.h"
#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"
#include "platform/windows.h"

namespace zavin::capture {

inline constexpr std::string_view kRegionPointPrompt = "領域内の１点を指示 : ";
inline constexpr std::string_view kPointPickedText = "\r\n点が指示されました.\r\n";
inline constexpr std::string_view kNoBoundaryText = "境界を作成できません．";
inline constexpr std::string_view kNoBoundaryCaption = "Zavin2023";
inline constexpr std::string_view kSplitFailedText = "分割に失敗しました．";
inline constexpr std::string_view kSplitFailedCaption = "IJ_Zavin";
inline constexpr std::string_view kRegionNumbersExhaustedText = "番号が上限の 9999 を超えます．";
// Poll interval while the host builds the boundary.
inline constexpr std::int64_t kBoundaryWaitMs = 200;

// Everything the command reads from the tool window, read before the pick.
struct RegionSplitParams {
  annotate::AnnotationSettings settings;
  annotate::AreaMethod method = annotate::AreaMethod::ThreeSide;
  int number = 1;        // number of the first triangle
  bool annotate = true;  // false for 分割: diagonals only
  platform::Hwnd owner = platform::kNoWindow;  // owner of the message boxes
  // Called with the number for the next triangle after each one is numbered,
  // so the No. field keeps up also when a later host call fails.
  std::function<void(int)> numbered;
};

enum class RegionSplitEnd {
  Done,             // split, and annotated unless split only
  NoBoundary,       // kNoBoundaryText shown; nothing drawn
  NotAPolyline,     // the host made another kind of entity; left as it is
  SplitFailed,      // kSplitFailedText shown; the diagonals drawn stay
  NumberExhausted,  // the numbers would pass annotate::kMaxNumber; message, nothing drawn
};

struct RegionSplitOutcome {
  RegionSplitEnd end = RegionSplitEnd::Done;
  int triangles = 0;  // triangles of the split
  int annotated = 0;  // triangles labelled and numbered
};

inline constexpr std::string_view kArcSegmentNote = "\r\n弓形（円弧と弦の間）は三角形に含まれません: ";

// The note 自動 leaves on the command line when the outline has arc sides:
// the segments' area in m² (drawing units divided by `scale`), signed as it
// adds to the chord polygon. Nothing for an outline without arcs or one the
// coordinate method refuses.
std::optional<std::string> ArcSegmentNote(std::span<const geometry::OutlineVertex> outline, double scale);

// "_-BOUNDARY A O P \r" then "x,y" of the point ("%.4f") and "\r\r".
std::string BoundaryCommandText(const geometry::TAcadPoint& point);

// Has the host build the boundary around `point`, reads and erases it,
// triangulates it drawing every diagonal on the side-line layer, then
// annotates the triangles in their order with consecutive numbers, a side
// shared by two triangles labelled by the first. Ends with the host window in
// front. Host errors propagate; what was drawn before stays.
RegionSplitOutcome SplitRegion(const host::Document& document, host::CommandContext& context,
                               const RegionSplitParams& params, const geometry::TAcadPoint& point);

// The command body: the pick, its echo on the host's command line,
// SplitRegion and the regen. A number that does not fit refuses before the
// pick (annotating runs only). A cancelled pick raises into the frame.
RegionSplitOutcome RegionSplitCommand(const host::Document& document, host::CommandContext& context,
                                      const RegionSplitParams& params);

// F2, no snap guard.
host::FrameSteps RegionSplitFrameSteps();

}  // namespace zavin::capture
