#pragma once

// 作成 (Button3): the area table of the drawing's triangles; 最大 (Button4):
// the No. field set past the highest triangle number of the drawing.

#include "shell/command_support.h"
#include "shell/form1.h"
#include "table/area_table.h"

namespace zavin::shell {

// Edit8, Edit9, Edit10, Edit11 or Edit20 by the area method, Edit12 and the
// digit settings. A field that is not a number throws std::invalid_argument.
table::AreaTableParams ReadAreaTableParams(const TForm1& form);

// Fills Button3Click and Button4Click.
void InstallAreaTableCommands(TForm1& form, CommandState& state);

}  // namespace zavin::shell
