#pragma once

// 文字回転: turns one picked single-line text about its own anchor.

#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"

namespace zavin::tools {

inline constexpr char kTextRotationPrompt[] = "回転するTEXTを選択 : ";

enum class TextRotationResult {
  Rotated,
  NotAText,  // the pick was no single-line text; nothing was turned
};

// The point a text turns about so it stays where it was: the insertion point
// of a left-aligned text, the alignment point for every other alignment.
geometry::TAcadPoint TextRotationBase(const host::Text& text);

// Asks for one text and turns it by `degrees`, counter-clockwise for a
// positive angle. A cancelled pick or a host error raises; the command frame
// ends the command then.
TextRotationResult RotatePickedText(const host::Document& document, double degrees);

}  // namespace zavin::tools
