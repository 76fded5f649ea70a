#pragma once

// 文字回転 (Button2): turns one picked text by the angle in Edit13.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

inline constexpr char kNotATextMessage[] = "TEXTではありません．";
inline constexpr char kTextRotationCaption[] = "IJcad_Zavin";

// F2 and the snap guard.
host::FrameSteps TextRotationSteps();

// The body run in the frame. A pick that is not a single-line text shows
// kNotATextMessage owned by the tool window and brings the host forward
// again; an Edit13 that is no number ends silently before the pick.
host::CommandBody TextRotationBody(TForm1& form);

void Button2Click(TForm1& form);

// Fills form.Commands.Button2Click.
void InstallTextRotationCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
