#pragma once

// 群選択 (Button13): every triangle formed by the selected lines, labelled and numbered.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// Fills Button13Click.
void InstallGroupSelectCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
