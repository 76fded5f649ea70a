#pragma once

// The frame every command handler runs in:
//   F1 end silently unless the host runs; F2 (optional) end a pending
//   base-line construction; F3 connect; F4 activate the host window; F5 the
//   active document, remembering for the command (host::CommandMemory) while
//   host::CallSavings is on; F6 (optional) snap guard; F7 the command body; F8 any
//   error ends the command without a message while the restores still run.

#include <functional>
#include <optional>

#include "host/link.h"
#include "host/object_model.h"

namespace zavin::host {

// How a command ended; nothing of it is shown to the user.
enum class FrameOutcome {
  Completed,       // the body ran to its end
  HostNotRunning,  // F1: nothing was touched
  EndedByError,    // F8: an error in F2..F7
};

// F6: SNAPMODE is set to 0 for the picks and afterwards either the
// remembered value is written back, or 1 is written only when it was 1.
enum class SnapGuard { None, RestoreRemembered, RestoreOneIfOne };

// The optional steps a command uses, e.g.
//   FrameSteps().EndPendingConstruction().Snap(SnapGuard::RestoreRemembered)
struct FrameSteps {
  bool end_pending_construction = false;  // F2
  SnapGuard snap = SnapGuard::None;       // F6
  // Runs last on every path that passed F1, also after an error (e.g. to
  // bring the host window forward once more). Its own errors are swallowed.
  std::function<void(const HostLink&)> on_exit;

  FrameSteps& EndPendingConstruction(bool on = true) {
    end_pending_construction = on;
    return *this;
  }
  FrameSteps& Snap(SnapGuard guard) {
    snap = guard;
    return *this;
  }
  FrameSteps& OnExit(std::function<void(const HostLink&)> f) {
    on_exit = std::move(f);
    return *this;
  }
};

// The snap guard of one run. Restore is idempotent and never raises; a
// failed write is tried once more so a transient host error does not leave
// snapping off.
class SnapRestore {
 public:
  SnapRestore(const Document& document, SnapGuard mode);
  ~SnapRestore() { Restore(); }
  SnapRestore(const SnapRestore&) = delete;
  SnapRestore& operator=(const SnapRestore&) = delete;

  // Remembers SNAPMODE and sets it to 0 (nothing for SnapGuard::None).
  void Arm();
  void Restore() noexcept;

 private:
  Document document_;
  SnapGuard mode_;
  std::optional<Variant> remembered_;
};

// What the body gets besides the document.
class CommandContext {
 public:
  CommandContext(HostLink& link, SnapRestore& snap, Document document)
      : link_(link), snap_(snap), document_(std::move(document)) {}

  HostLink& link() const { return link_; }
  const Application& application() const { return link_.HostApplication; }
  // The active document again: the frame's own when it remembers for the
  // command (host::CallSavings), else asked of the host anew.
  Document ActiveDocument() const {
    return document_.memory() ? document_ : application().ActiveDocument();
  }
  // Ends F6 early, right after the picks; otherwise the frame restores when
  // the body ends.
  void RestoreSnap() const { snap_.Restore(); }

 private:
  HostLink& link_;
  SnapRestore& snap_;
  Document document_;
};

using CommandBody = std::function<void(const Document&, CommandContext&)>;

// One per shell: holds the link and the F2 hook the shell supplies (empty
// the created-object list, clear the record flag, disable Button9).
class CommandFrame {
 public:
  explicit CommandFrame(HostLink& link, std::function<void()> end_pending_construction = {})
      : link_(link), end_pending_construction_(std::move(end_pending_construction)) {}

  void SetEndPendingConstruction(std::function<void()> hook) {
    end_pending_construction_ = std::move(hook);
  }

  // Runs F1..F8 around `body`. Never raises.
  FrameOutcome Run(const FrameSteps& steps, const CommandBody& body) const;

  HostLink& link() const { return link_; }

 private:
  HostLink& link_;
  std::function<void()> end_pending_construction_;
};

}  // namespace zavin::host
