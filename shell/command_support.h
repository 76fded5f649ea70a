#pragma once
// What the command handlers share: reading the tool window's fields when a
// command runs, and the state that outlives one command.

#include <string_view>

#include "annotate/driver.h"
#include "annotate/record.h"
#include "shell/form1.h"

namespace zavin::shell {

// State of the commands that lives from start-up to shut-down: the record of
// created objects the base-line construction consumes (emptied by F2).
struct CommandState {
  annotate::CreatedObjectRecord Created;
};

// The number in a text field, read as the form's numeric conversion does:
// blanks around it allowed, "." as the decimal separator. Anything else throws
// std::invalid_argument, which the command frame turns into a silent end.
double FieldNumber(const TEdit& edit);
double FieldNumber(std::string_view text);

// Parameters of the annotation writers, from Edit3, Edit8, Edit5, Edit6,
// Edit12, Edit15, Edit19, the length settings and the host link.
annotate::AnnotationSettings ReadAnnotationSettings(const TForm1& form);

// Item index of RadioGroup1.
annotate::AreaMethod AreaMethodOf(const TForm1& form);

// Fills every command slot of the form. Slots without a command module run
// the frame only, so without a host they end at F1 like every command.
void InstallCommands(TForm1& form, CommandState& state);

// Fills form.Commands.Button5Click (番号移動, shell/command_number_move.h).
void InstallNumberMoveCommand(TForm1& form, CommandState& state);

}  // namespace zavin::shell
