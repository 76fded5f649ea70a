#include "cad/commands/builtin_commands.h"

namespace zavin::cad {

void DefineBuiltinCommands(CommandTable& commands) {
  DefineBoundaryCommand(commands);
  DefineInsertCommand(commands);
  DefineMoveCommand(commands);
  DefineLeaderCommand(commands);
}

}  // namespace zavin::cad
