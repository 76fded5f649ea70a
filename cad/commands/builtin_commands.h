#pragma once
// The host commands the tool sends on the command line, defined on every new
// embedded host. Each lives in its own command_<name>.cpp.

namespace zavin::cad {

class EmbeddedHost;

void DefineBuiltinCommands(EmbeddedHost& host);

void DefineBoundaryCommand(EmbeddedHost& host);  // "_-BOUNDARY"
void DefineInsertCommand(EmbeddedHost& host);    // "_-INSERT" of a block or a DXF file
void DefineMoveCommand(EmbeddedHost& host);      // "MOVE"
void DefineLeaderCommand(EmbeddedHost& host);    // "_LEADER"

}  // namespace zavin::cad
