#pragma once

// 長さ記入: writes the side-length label on one picked line or polyline
// segment, exactly as a triangle side is labelled.

#include "annotate/labels.h"
#include "annotate/record.h"
#include "host/object_model.h"

namespace zavin::tools {

inline constexpr char kLengthLabelPrompt[] = "長さ記入の1辺を選択 : ";

enum class LengthLabelResult {
  Labelled,
  NotASegment,      // not a line, or no polyline segment under the pick
  AlreadyLabelled,  // a text already crosses the label zones of the segment
};

// Asks for a line or a lightweight polyline segment and labels it from
// vertex to vertex, with the neighbour check on, in the drawing's angle
// frame, on style.layer (added when missing). A cancelled pick or a host error raises; the command frame ends the
// command then. Nothing of the drawing is changed unless Labelled.
LengthLabelResult LabelPickedSegment(const host::Document& document, const annotate::LabelStyle& style,
                                     annotate::CreatedObjectRecord& record);

}  // namespace zavin::tools
