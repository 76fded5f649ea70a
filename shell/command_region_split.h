#pragma once

// 自動 (Button10), 分割 (Button12) and １点指示 (Button6): one pick inside a
// closed region splits it into triangles and, but for 分割, annotates them.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// Fills Button10Click, which the three buttons share.
void InstallRegionSplitCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
