#include "host/command_frame.h"

#include <utility>

#include "host/database.h"

namespace zavin::host {

SnapRestore::SnapRestore(const Document& document, SnapGuard mode) : document_(document), mode_(mode) {}

void SnapRestore::Arm() {
  if (mode_ == SnapGuard::None) return;
  remembered_ = document_.GetVariable("SNAPMODE");
  document_.SetVariable("SNAPMODE", std::int16_t{0});
}

void SnapRestore::Restore() noexcept {
  if (!remembered_) return;
  const Variant remembered = *std::exchange(remembered_, std::nullopt);
  std::optional<Variant> value;
  if (mode_ == SnapGuard::RestoreRemembered) {
    value = remembered;
  } else {
    try {
      if (remembered.ToInt32() == 1) value = Variant(std::int16_t{1});
    } catch (...) {
    }
  }
  if (value) RestoreVariable(document_, "SNAPMODE", *value);
}

FrameOutcome CommandFrame::Run(const FrameSteps& steps, const CommandBody& body) const {
  if (!HostRunning(link_)) return FrameOutcome::HostNotRunning;  // F1

  FrameOutcome outcome = FrameOutcome::EndedByError;
  try {
    if (steps.end_pending_construction && end_pending_construction_) end_pending_construction_();  // F2
    ConnectHost(link_);                                                  // F3
    ActivateHost(link_);                                                 // F4
    Document document = link_.HostApplication.ActiveDocument();         // F5
    FinishPendingCleanUp(document);  // what a host that stopped answering left
    if (CallSavings()) document = document.Remembering();
    SnapRestore snap(document, steps.snap);                              // F6
    snap.Arm();
    CommandContext context(link_, snap, document);
    if (body) body(document, context);  // F7
    outcome = FrameOutcome::Completed;
  } catch (...) {
    // F8: no message; the snap guard was restored while unwinding.
  }

  if (steps.on_exit) {
    try {
      steps.on_exit(link_);
    } catch (...) {
    }
  }
  return outcome;
}

}  // namespace zavin::host
