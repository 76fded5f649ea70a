#pragma once

// Where the embedded host's prompts get their answers.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zavin::cad {

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

}  // namespace zavin::cad
