#pragma once

// ２辺指示: two picked sides that meet at a corner become a triangle with its
// third side, its labels and its number marker.

#include <string_view>

#include "annotate/driver.h"
#include "annotate/record.h"
#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"
#include "platform/windows.h"

namespace zavin::capture {

inline constexpr std::string_view kFirstSidePrompt = "三角形の1辺を選択 : ";
inline constexpr std::string_view kSecondSidePrompt = "三角形の他の1辺を選択 : ";
inline constexpr std::string_view kTwoSideCaption = "Acad_Zavin";
inline constexpr std::string_view kSidesApartText = "2 線分の端点がつながっていません．";
inline constexpr std::string_view kNumberExhaustedText = "番号が上限の 9999 を超えます．";

// An end of a side within this distance of the corner counts as touching it.
inline constexpr double kCornerTolerance = 0.01;
// Sides whose cross product is at most this fraction of the product of their
// lengths are taken as parallel (collinear sides included).
inline constexpr double kRelativeParallelTolerance = 1e-9;

// Everything the command reads from the tool window, read before any prompt.
struct TwoSideParams {
  annotate::AnnotationSettings settings;
  annotate::AreaMethod method = annotate::AreaMethod::ThreeSide;
  int number = 1;                            // the triangle's number
  platform::Hwnd owner = platform::kNoWindow;  // owner of the message boxes
};

enum class TwoSideEnd {
  Annotated,        // triangle drawn, labelled and numbered
  NotPicked,        // a pick gave no segment: nothing happened
  SidesApart,       // the message was shown; nothing drawn
  NumberExhausted,  // the message was shown; nothing drawn
  HostGone,         // the host stopped running before the triangle
};

struct TwoSideOutcome {
  TwoSideEnd end = TwoSideEnd::NotPicked;
  int next_number = 0;  // set when Annotated
};

// The triangle of the sides S1 and S2 with corner X, the crossing of their
// lines: draws F1-F2 (F1, F2 the far ends from X) unless a line is there,
// then labels the sides and writes the marker, or for the base-and-height
// method the base label, the height label, the height line on the side layer
// and the marker. Sides that are parallel, or that have no end within
// kCornerTolerance of X, show kSidesApartText and draw nothing; so does a
// number whose successor would pass annotate::kMaxNumber (kNumberExhaustedText).
// Host errors propagate to the frame; what was drawn before stays.
TwoSideOutcome TwoSideTriangle(const host::Document& document, host::CommandContext& context,
                               const TwoSideParams& params, const geometry::TAcadPoint& s1start,
                               const geometry::TAcadPoint& s1end,
                               const geometry::TAcadPoint& s2start,
                               const geometry::TAcadPoint& s2end,
                               annotate::CreatedObjectRecord& record);

// The command body: the two picks with snapping off (restored right after
// them), then TwoSideTriangle. A full number range ends before the picks.
// A cancelled pick raises into the frame.
TwoSideOutcome TwoSideCommand(const host::Document& document, host::CommandContext& context,
                              const TwoSideParams& params, annotate::CreatedObjectRecord& record);

// The frame steps of the command: F2, snap restored to 1 only when it was 1,
// and at the end the host window brought forward with ESC pressed.
host::FrameSteps TwoSideFrameSteps();

}  // namespace zavin::capture
