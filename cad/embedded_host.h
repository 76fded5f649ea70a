#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"

namespace zavin::cad {

class Database;      // the drawing database behind the document object
class CommandInput;  // what a running command reads its answers from (command_line.h)

// One scripted answer of the user at a host prompt. GetPoint takes the point
// of a Point or Entity answer. GetEntity takes entity_id, or with id 0 (or a
// Point answer) the nearest entity under the pick box at (x, y). SelectOnScreen
// reads answers until Empty (Enter): entity picks add the entity, a pick on
// empty space opens a window to the next answer's point (left to right:
// window, right to left: crossing). Cancel, at any prompt, raises HostError.
struct UserAnswer {
  enum class Kind { Point, Entity, Cancel, Empty } kind = Kind::Point;
  double x = 0, y = 0, z = 0;   // picked point (Point, and the pick point of Entity)
  std::int64_t entity_id = 0;   // Entity: the picked entity; 0 picks at (x, y) instead
};

// What a prompt asks for, so that an interactive source can show the right
// cursor: a point, an entity under the pick box, objects for a selection
// (a pick, or the first corner of a window), or the opposite corner of a
// selection window.
enum class PromptKind { Point, Entity, Select, Corner };

// Where the host's prompts (GetPoint, GetEntity, SelectOnScreen, command
// prompts) get their answers: a drawing window in the desktop build, a queue
// in tests.
class UserInput {
 public:
  virtual ~UserInput() = default;
  virtual UserAnswer Next(const std::string& prompt) = 0;
  virtual UserAnswer Next(const std::string& prompt, PromptKind) { return Next(prompt); }
};

class ScriptedInput : public UserInput {
 public:
  using UserInput::Next;
  void Push(UserAnswer a) { answers_.push_back(a); }
  void PushPoint(double x, double y) { Push({UserAnswer::Kind::Point, x, y, 0, 0}); }
  void PushCancel() { Push({UserAnswer::Kind::Cancel}); }
  // Picks entity `id` (GetEntity, SelectOnScreen).
  void PushEntity(std::int64_t id, double x = 0, double y = 0) {
    Push({UserAnswer::Kind::Entity, x, y, 0, id});
  }
  // Picks whatever lies at (x, y) under the pick box.
  void PushPick(double x, double y) { Push({UserAnswer::Kind::Entity, x, y, 0, 0}); }
  // A bare Enter: ends SelectOnScreen; an empty pick elsewhere.
  void PushEnter() { Push({UserAnswer::Kind::Empty}); }
  std::size_t pending() const { return answers_.size(); }
  UserAnswer Next(const std::string& prompt) override;  // cancel when empty
  const std::vector<std::string>& prompts() const { return prompts_; }

 private:
  std::deque<UserAnswer> answers_;
  std::vector<std::string> prompts_;
};

// Test faults the host can simulate.
// Every member invocation that reaches an object passes these checks in
// order: rejection (not counted as a call), then counting, then the k-th
// call failure.
struct Faults {
  int busy_polls = 0;                 // IsQuiescent answers false this many times
  std::int64_t reject_until_ms = -1;  // calls raise CallRejected{2} until this clock time
  std::int64_t fail_call = 0;         // the k-th automation call (1-based) raises HostError; 0 off
};

// The embedded CAD host: application, one open document, and its object
// model behind late-bound objects.
class EmbeddedHost : public std::enable_shared_from_this<EmbeddedHost> {
 public:
  static std::shared_ptr<EmbeddedHost> Create();
  virtual ~EmbeddedHost() = default;

  // The application object as a late-bound object.
  virtual platform::ObjectRef Application() = 0;
  // Registers the application as the running instance of `prog_id` in the
  // platform's running-host registry (and its window with the window stand-in).
  virtual void RegisterRunning(const std::string& prog_id) = 0;
  virtual void Unregister() = 0;

  virtual Database& database() = 0;
  virtual void SetUserInput(std::shared_ptr<UserInput> input) = 0;

  virtual Faults& faults() = 0;
  // Automation calls received so far (every member invocation on any object).
  virtual std::int64_t call_count() const = 0;
  // Command-line text received by SendCommand, in order.
  virtual const std::vector<std::string>& sent_commands() const = 0;

  // Command line. Sent text waits in a queue; the host runs the next queued
  // text when its state is polled (that poll reports busy) or on
  // RunPendingCommands. The default interpreter reads the text input by input
  // (CommandText): an input at the command prompt names a command, whose
  // handler then reads its prompts' answers from the rest of the text and,
  // once that is used up, from the user (CommandInput). Unknown commands and
  // text the host cannot read are reported on the command line; a cancelled
  // prompt ends the command and drops the rest of the text.
  using CommandProc = std::function<void(CommandInput& input)>;
  // The older form: the handler gets every input left in the text at once.
  using CommandHandler =
      std::function<void(EmbeddedHost& host, const std::vector<std::string>& inputs)>;
  using CommandInterpreter = std::function<void(EmbeddedHost& host, const std::string& text)>;
  // `name` without the "_", "-" and "." prefixes, any letter case.
  virtual void DefineCommand(const std::string& name, CommandProc proc) = 0;
  virtual void DefineCommand(const std::string& name, CommandHandler handler) = 0;
  // Replaces the whole interpreter (nullptr restores the default one).
  virtual void SetCommandInterpreter(CommandInterpreter interpreter) = 0;
  virtual void RunPendingCommands() = 0;
  virtual std::size_t pending_commands() const = 0;

  // One answer from the user-input source for a command's own prompt; an ESC
  // pressed while it waits turns the answer into Cancel.
  virtual UserAnswer Ask(const std::string& prompt, PromptKind kind = PromptKind::Point) = 0;

  // The host's command line: every prompt asked, every Utility.Prompt text
  // and every message a command prints ("Unknown command ..."), in order.
  // The listener, when set, hears each new line as it is added.
  virtual const std::vector<std::string>& command_line() const = 0;
  virtual void Echo(const std::string& line) = 0;
  virtual void SetCommandLineListener(std::function<void(const std::string&)> listener) = 0;
  // ESC in the host window: cancels the prompt being answered and drops
  // queued command text.
  virtual void PressEscape() = 0;
  virtual int escape_count() const = 0;

  // The main window handle that the application's HWND reports.
  virtual std::int64_t hwnd() const = 0;
  // Texts shown with Utility.Prompt, in order.
  virtual const std::vector<std::string>& prompts() const = 0;
  virtual int regen_count() const = 0;
  // Entities of the most recent selection ("Previous" for a command).
  virtual const std::vector<std::int64_t>& previous_selection() const = 0;
};

}  // namespace zavin::cad
