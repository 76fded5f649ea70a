#pragma once

// What tests see and set inside an embedded host beyond its face: injected
// faults, counters, the command queue, the previous selection, and commands
// or interpreters written for a test.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cad/commands/command_line.h"
#include "cad/core/faults.h"
#include "cad/core/host_core.h"
#include "cad/embedded_host.h"

namespace zavin::cad::testing {

class HostProbe {
 public:
  explicit HostProbe(EmbeddedHost& host) : host_(host), core_(*host.core_) {}

  Faults& faults() { return core_.faults; }
  // Sent text not yet run.
  std::size_t pending_commands() const { return core_.pending.size(); }
  int escape_count() const { return core_.escapes; }
  int regen_count() const { return core_.regens; }
  // Entities of the most recent selection ("Previous" for a command).
  const std::vector<std::int64_t>& previous_selection() const { return core_.previous_selection; }
  // A command whose handler takes every input left in the text at once.
  using Handler = std::function<void(EmbeddedHost& host, const std::vector<std::string>& inputs)>;
  void DefineCommand(const std::string& name, Handler handler) {
    host_.DefineCommand(name, [&host = host_, handler = std::move(handler)](CommandInput& in) {
      handler(host, in.RestOfText());
    });
  }
  // Runs every sent text with `interpreter` instead of the defined commands.
  using Interpreter = std::function<void(EmbeddedHost& host, const std::string& text)>;
  void SetCommandInterpreter(Interpreter interpreter) {
    core_.run_command = [&host = host_, interpreter = std::move(interpreter)](
                            const std::string& text) { interpreter(host, text); };
  }

 private:
  EmbeddedHost& host_;
  HostCore& core_;
};

inline HostProbe Probe(EmbeddedHost& host) { return HostProbe(host); }

}  // namespace zavin::cad::testing
