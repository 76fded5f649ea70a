#pragma once

// ２辺指示 (Button8): a triangle from two picked sides that meet at a corner.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// Fills Button8Click.
void InstallTwoSideCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
