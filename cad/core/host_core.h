#pragma once

// Internal to cad/: the state shared by the embedded host, every late-bound
// object it hands out and the commands it runs.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/core/faults.h"
#include "cad/core/user_input.h"
#include "cad/db/database.h"
#include "cad/db/filter.h"
#include "cad/db/shapes.h"

namespace zavin::cad {

struct SelectionData {
  std::string name;
  std::vector<std::int64_t> ids;
  bool deleted = false;
  // Database::erasures() when `ids` was last cleared of erased entities.
  std::uint64_t erasures_seen = 0;
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

}  // namespace zavin::cad
