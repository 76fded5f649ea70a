#pragma once

// The host's commands by name, and the interpreter that runs command-line
// text against them.

#include <functional>
#include <map>
#include <string>

namespace zavin::cad {

class CommandInput;
class CommandText;
class HostCore;

using CommandProc = std::function<void(CommandInput& input)>;

class CommandTable {
 public:
  // `name` without the "_", "-" and "." prefixes, any letter case; a later
  // definition replaces an earlier one.
  void Define(const std::string& name, CommandProc proc);

  // Reads `text` input by input (CommandText): an input at the command
  // prompt names a command, whose handler then reads its prompts' answers
  // from the rest of the text and, once that is used up, from the user.
  // Unknown commands and text the host cannot read are reported on the
  // command line; a cancelled or failed command ends with "*Cancel*" and
  // drops the rest of the text.
  void Run(HostCore& core, const std::string& text) const;

 private:
  // Runs one command; false when it ended early.
  bool RunCommand(const CommandProc& proc, HostCore& core, CommandText& text) const;

  std::map<std::string, CommandProc> commands_;
};

}  // namespace zavin::cad
