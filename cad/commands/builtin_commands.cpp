#include "cad/commands/builtin_commands.h"

namespace zavin::cad {

void DefineBuiltinCommands(EmbeddedHost& host) {
  DefineBoundaryCommand(host);
  DefineInsertCommand(host);
  DefineMoveCommand(host);
  DefineLeaderCommand(host);
}

}  // namespace zavin::cad
