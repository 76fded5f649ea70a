#pragma once

// 基準線 (Button1) and a-b反転 (Button9): a triangle of the sides in Edit1 and
// Edit2 on a picked base line, and the exchange of those two sides.

#include "shell/command_support.h"
#include "shell/form1.h"

namespace zavin::shell {

// Fills Button1Click and Button9Click. The last constructed triangle is kept
// by the installed handlers; the created-object record is `state.Created`.
void InstallBaseLineCommands(TForm1& form, CommandState& state);

}  // namespace zavin::shell
