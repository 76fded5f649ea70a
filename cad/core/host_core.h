#pragma once

// Internal to cad/: the state shared by the embedded host and every
// late-bound object it hands out.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"
#include "cad/embedded_host.h"
#include "cad/db/filter.h"
#include "cad/db/shapes.h"
#include "platform/automation.h"

namespace zavin::cad {

struct SelectionData {
  std::string name;
  std::vector<std::int64_t> ids;
  bool deleted = false;
};

class HostCore {
 public:
  Database db;
  Faults faults;
  std::int64_t calls = 0;
  std::vector<std::string> sent;
  std::deque<std::string> pending;
  std::shared_ptr<UserInput> input;
  std::vector<std::shared_ptr<SelectionData>> selection_sets;
  std::vector<std::int64_t> previous_selection;
  std::vector<std::string> prompts;
  std::vector<std::string> transcript;  // the command line
  std::function<void(const std::string&)> on_line;
  int regens = 0;
  int escapes = 0;
  std::int64_t hwnd = 0;
  bool prompt_active = false;
  bool cancel_requested = false;
  // Runs one queued text; set by the host (which outlives normal use of the
  // objects; cleared when the host goes away).
  std::function<void(const std::string&)> run_command;

  // Fault injection and call counting; every member of every object passes here.
  void BeforeCall(std::string_view member);
  // One poll of the idle state.
  bool PollQuiescent();
  void RunNextCommand();
  // ESC: cancels the prompt being answered and drops queued command text.
  void Escape();

  // An answer from the input source, with ESC applied. No input source
  // answers Cancel.
  UserAnswer Ask(const std::string& prompt, PromptKind kind = PromptKind::Point);
  // Adds a line to the command line.
  void Echo(const std::string& line);

  // Selection over model space.
  std::vector<std::int64_t> SelectCrossing(const Rect& r, const std::vector<FilterTerm>& f) const;
  std::vector<std::int64_t> SelectWindow(const Rect& r, const std::vector<FilterTerm>& f) const;
  // The entity nearest to p whose outline touches the pick box, newest on ties.
  std::optional<std::int64_t> PickAt(P2 p, const std::vector<FilterTerm>& f) const;
};

// A late-bound object of the embedded host.
class HostObject : public platform::DispatchObject {
 public:
  explicit HostObject(std::shared_ptr<HostCore> core) : core_(std::move(core)) {}

 protected:
  void BeforeInvoke(std::string_view member, platform::InvokeKind) override {
    core_->BeforeCall(member);
  }
  std::shared_ptr<HostCore> core_;
};

platform::ObjectRef MakeApplicationObject(std::shared_ptr<HostCore> core);
platform::ObjectRef MakeEntityObject(std::shared_ptr<HostCore> core, std::int64_t id);

// Argument helpers shared by the objects.
Point3 ArgPoint(const platform::Variant& v);
platform::Variant PointValue(const Point3& p);
double ArgReal(const platform::Variant& v);
std::string ArgText(const platform::Variant& v);
// An index argument checked against `count`.
std::int64_t ArgIndex(const platform::Variant& v, std::size_t count);
const platform::Variant& ArgAt(std::span<platform::Variant> args, std::size_t i);

[[noreturn]] void Fail(const std::string& text);
[[noreturn]] void Invalid(const std::string& text);

}  // namespace zavin::cad
