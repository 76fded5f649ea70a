#pragma once
// The host commands the tool sends on the command line, defined on every new
// embedded host. Each lives in its own command_<name>.cpp.

namespace zavin::cad {

class CommandTable;

void DefineBuiltinCommands(CommandTable& commands);

void DefineBoundaryCommand(CommandTable& commands);  // "_-BOUNDARY"
void DefineInsertCommand(CommandTable& commands);    // "_-INSERT" of a block or a DXF file
void DefineMoveCommand(CommandTable& commands);      // "MOVE"
void DefineLeaderCommand(CommandTable& commands);    // "_LEADER"

}  // namespace zavin::cad
