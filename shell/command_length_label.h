#pragma once

// 長さ記入 (Button11): labels one picked line or polyline segment with its
// length, like a triangle side.

#include "annotate/labels.h"
#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// Label height Edit3, scale divisor Edit8, the length settings and the text
// layer Edit12. Raises std::invalid_argument when a number field is no number.
annotate::LabelStyle ReadLengthLabelStyle(const TForm1& form);

// F2 (so the label is never recorded) and the snap guard.
host::FrameSteps LengthLabelSteps();

// The body run in the frame. Anything but a line or a polyline segment, or a
// segment already labelled, ends without a message; a number field that is
// no number ends silently before the pick.
host::CommandBody LengthLabelBody(TForm1& form, CommandState& state);

void Button11Click(TForm1& form, CommandState& state);

// Fills form.Commands.Button11Click.
void InstallLengthLabelCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
