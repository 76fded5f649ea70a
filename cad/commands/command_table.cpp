#include "cad/commands/command_table.h"

#include <exception>
#include <optional>
#include <utility>

#include "cad/commands/command_line.h"
#include "cad/core/host_core.h"
#include "platform/automation.h"

namespace zavin::cad {

void CommandTable::Define(const std::string& name, CommandProc proc) {
  commands_[CommandKey(name)] = std::move(proc);
}

void CommandTable::Run(HostCore& core, const std::string& text) const {
  CommandText input(text);
  for (;;) {
    std::optional<std::string> name;
    try {
      name = input.Next();
    } catch (const CommandTextError& e) {
      core.Echo(e.what());
      return;
    }
    if (!name) return;
    if (name->empty()) continue;  // Enter at the command prompt repeats nothing here
    core.Echo("Command: " + *name);
    auto it = commands_.find(CommandKey(*name));
    if (it == commands_.end()) {
      core.Echo("Unknown command \"" + platform::UpperAscii(*name) + "\"; nothing was run.");
      continue;
    }
    if (!RunCommand(it->second, core, input)) return;
  }
}

bool CommandTable::RunCommand(const CommandProc& proc, HostCore& core, CommandText& text) const {
  CommandInput in(core, text);
  try {
    proc(in);
    return true;
  } catch (const CommandCancelled&) {
  } catch (const CommandTextError& e) {
    core.Echo(e.what());
  } catch (const std::exception& e) {
    core.Echo(std::string("Command failed: ") + e.what());
  }
  core.Echo("*Cancel*");
  return false;
}

}  // namespace zavin::cad
