#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"

namespace zavin::cad {

class Database;  // the drawing database behind the document object

// One scripted answer of the user at a host prompt.
struct UserAnswer {
  enum class Kind { Point, Entity, Cancel, Empty } kind = Kind::Point;
  double x = 0, y = 0, z = 0;   // picked point (Point, and the pick point of Entity)
  std::int64_t entity_id = 0;   // Entity: the picked entity; 0 picks at (x, y) instead
};

// Where the host's prompts (GetPoint, GetEntity, SelectOnScreen) get their
// answers: a drawing window in the desktop build, a queue in tests.
class UserInput {
 public:
  virtual ~UserInput() = default;
  virtual UserAnswer Next(const std::string& prompt) = 0;
};

class ScriptedInput : public UserInput {
 public:
  void Push(UserAnswer a) { answers_.push_back(a); }
  void PushPoint(double x, double y) { Push({UserAnswer::Kind::Point, x, y, 0, 0}); }
  void PushCancel() { Push({UserAnswer::Kind::Cancel}); }
  UserAnswer Next(const std::string& prompt) override;  // cancel when empty
  const std::vector<std::string>& prompts() const { return prompts_; }

 private:
  std::deque<UserAnswer> answers_;
  std::vector<std::string> prompts_;
};

// Test faults the host can simulate.
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
};

}  // namespace zavin::cad
