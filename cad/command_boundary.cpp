#include "cad/builtin_commands.h"
#include "cad/embedded_host.h"

namespace zavin::cad {

void DefineBoundaryCommand(EmbeddedHost& /*host*/) {}

}  // namespace zavin::cad
