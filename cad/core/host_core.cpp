#include "cad/core/host_core.h"

#include <exception>
#include <utility>

#include "cad/db/selection.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/message_filter.h"
#include "platform/message_queue.h"

namespace zavin::cad {

using platform::HostError;

void HostCore::BeforeCall(std::string_view member) {
  if (faults.reject_until_ms >= 0 && platform::CurrentClock().NowMs() < faults.reject_until_ms)
    throw platform::CallRejected{platform::kRejectRetryLater};
  ++calls;
  if ((faults.fail_call > 0 && calls == faults.fail_call) || (faults.fail_also > 0 && calls == faults.fail_also) ||
      (faults.fail_from > 0 && calls >= faults.fail_from))
    throw HostError(platform::hr::kHostException, "injected failure of call " +
                                                       std::to_string(calls) + " (" +
                                                       std::string(member) + ")");
}

void HostCore::RunNextCommand() {
  if (pending.empty()) return;
  std::string text = std::move(pending.front());
  pending.pop_front();
  if (!run_command) return;
  // A command that fails ends inside the host, as on its command line; the
  // caller polling the state does not see the error.
  try {
    run_command(text);
  } catch (const HostError&) {
  } catch (const std::exception&) {
  }
}

void HostCore::Escape() {
  ++escapes;
  pending.clear();
  if (prompt_active) cancel_requested = true;
}

bool HostCore::PollQuiescent() {
  if (faults.busy_polls > 0) {
    --faults.busy_polls;
    return false;
  }
  if (!pending.empty()) {
    RunNextCommand();
    return false;
  }
  return true;
}

void HostCore::Echo(const std::string& line) {
  transcript.push_back(line);
  if (on_line) on_line(line);
}

UserAnswer HostCore::Ask(const std::string& prompt, PromptKind kind) {
  if (!prompt.empty()) Echo(prompt);
  if (!input) return {UserAnswer::Kind::Cancel};
  prompt_active = true;
  cancel_requested = false;
  UserAnswer a;
  try {
    // The caller waits on us meanwhile: its filter sees the queued messages.
    platform::WaitWhileCallPending();
    a = input->Next(prompt, kind);
  } catch (...) {
    prompt_active = false;
    throw;
  }
  prompt_active = false;
  if (cancel_requested) {
    cancel_requested = false;
    a = {UserAnswer::Kind::Cancel};
  }
  return a;
}

std::vector<std::int64_t> HostCore::SelectCrossing(const Rect& r,
                                                   const std::vector<FilterTerm>& f) const {
  return SelectInRect(db, r, RectSelection::Crossing, f);
}

std::vector<std::int64_t> HostCore::SelectWindow(const Rect& r,
                                                 const std::vector<FilterTerm>& f) const {
  return SelectInRect(db, r, RectSelection::Window, f);
}

std::optional<std::int64_t> HostCore::PickAt(P2 p, const std::vector<FilterTerm>& f) const {
  return cad::PickAt(db, p, f);
}

}  // namespace zavin::cad
