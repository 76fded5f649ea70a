#pragma once

// 番号移動 (Button5): moves a number marker and joins it to where it stood by
// a leader (CheckBox3, arrowhead Edit14 drawing units long) or a line.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// F2, no snap guard.
host::FrameSteps NumberMoveSteps();

// The body run in the frame. With CheckBox3 checked an Edit14 that is no
// number ends the command silently before the pick.
host::CommandBody NumberMoveBody(TForm1& form);

void Button5Click(TForm1& form);

}  // namespace zavin::shell
