#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/core/user_input.h"
#include "platform/automation.h"

namespace zavin::cad {

class CommandInput;  // what a running command reads its answers from (cad/commands/command_line.h)
class CommandTable;
class Database;      // the drawing database behind the document object
class HostCore;

namespace testing {
class HostProbe;  // what tests see inside a host (tests/cad/host_probe.h)
}

// The embedded CAD host: application, one open document, and its object
// model behind late-bound objects.
class EmbeddedHost {
 public:
  static std::shared_ptr<EmbeddedHost> Create();
  ~EmbeddedHost();
  EmbeddedHost(const EmbeddedHost&) = delete;
  EmbeddedHost& operator=(const EmbeddedHost&) = delete;

  // The application object as a late-bound object.
  platform::ObjectRef Application() { return app_; }
  // Registers the application as the running instance of `prog_id` in the
  // platform's running-host registry (and its window with the window stand-in).
  void RegisterRunning(const std::string& prog_id);
  // The program stays installed (its identifier registered); it just no
  // longer runs.
  void Unregister();

  Database& database();
  void SetUserInput(std::shared_ptr<UserInput> input);

  // Automation calls received so far (every member invocation on any object).
  std::int64_t call_count() const;
  // Command-line text received by SendCommand, in order.
  const std::vector<std::string>& sent_commands() const;

  // Command line. Sent text waits in a queue; the host runs the next queued
  // text when its state is polled (that poll reports busy) or on
  // RunPendingCommands, against the defined commands (CommandTable::Run in
  // cad/commands/command_table.h).
  using CommandProc = std::function<void(CommandInput& input)>;
  // `name` without the "_", "-" and "." prefixes, any letter case.
  void DefineCommand(const std::string& name, CommandProc proc);
  void RunPendingCommands();

  // The host's command line: every prompt asked, every Utility.Prompt text
  // and every message a command prints ("Unknown command ..."), in order.
  // The listener, when set, hears each new line as it is added.
  const std::vector<std::string>& command_line() const;
  void Echo(const std::string& line);
  void SetCommandLineListener(std::function<void(const std::string&)> listener);
  // ESC in the host window: cancels the prompt being answered and drops
  // queued command text.
  void PressEscape();

  // The main window handle that the application's HWND reports.
  std::int64_t hwnd() const;
  // Texts shown with Utility.Prompt, in order.
  const std::vector<std::string>& prompts() const;

 private:
  friend class testing::HostProbe;
  EmbeddedHost();

  std::shared_ptr<HostCore> core_;
  std::unique_ptr<CommandTable> commands_;
  platform::ObjectRef app_;
  std::uint32_t cookie_ = 0;
};

}  // namespace zavin::cad
