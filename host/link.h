#pragma once

// The link to the running host: which program, the application object of the
// last connect, bringing its window forward, waiting for it to be idle, the
// drawing's angle frame, and the message filter for calls it rejects.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/object_model.h"
#include "platform/message_filter.h"

namespace zavin::host {

// Upper-cased `prog_id`: contains "GCAD" → Gcad, else contains "ZWCAD" →
// Zcad, else Acad. Derived each time it is needed, never stored.
HostKind HostKindOf(std::string_view prog_id);

// The link state the shell owns and hands to every command.
struct HostLink {
  std::string HostProgId = "ZWCAD.Application";
  // Empty until the first ConnectHost; replaced by each one.
  Application HostApplication;

  HostKind Kind() const { return HostKindOf(HostProgId); }
};

// True exactly when `prog_id` is registered and an instance of it runs. Never
// raises.
bool HostRunning(std::string_view prog_id);
inline bool HostRunning(const HostLink& link) { return HostRunning(link.HostProgId); }

// Stores the running instance of `link.HostProgId` in `link.HostApplication`;
// raises HostError when it cannot be reached (the link is then unchanged).
void ConnectHost(HostLink& link);

// Restores the host window when minimized (then waits 500 ms), raises it, and
// only when it really became the foreground window presses ESC (down, 5 ms,
// up, 200 ms) to cancel whatever the host is doing. HWND is read anew for
// each step.
void ActivateHost(const HostLink& link);

// SetForegroundWindow on the host window, so the user goes on working there.
// True when it became the foreground window.
bool BringHostToFront(const HostLink& link);

// ESC down, 5 ms, up, then `wait_after_ms` (none for 0), sent only while the
// host window is the foreground window; a key sent otherwise would reach
// another program. True when the key was sent.
bool PressEscIfForeground(const HostLink& link, std::int64_t wait_after_ms);

// Used right after SendCommand: waits one interval, polls the idle state of
// `kind` with one interval between busy answers, then waits one interval
// more. No upper limit; host errors propagate.
void WaitHostIdle(const Application& app, HostKind kind, std::int64_t interval_ms);
inline void WaitHostIdle(const HostLink& link, std::int64_t interval_ms) {
  WaitHostIdle(link.HostApplication, link.Kind(), interval_ms);
}

// The drawing's angle frame for the writers.
struct AngleSettings {
  double angle_base = 0;       // radians ("ANGBASE" is read as degrees)
  std::int32_t angle_direction = 0;  // "ANGDIR"
};

// Reads ANGBASE and ANGDIR with AUNITS set to 0 meanwhile. A valid unit code
// (0..4) is written back, also when a read fails; any other stays 0.
AngleSettings ReadAngleSettings(const Document& document);

// Message filter of the tool: incoming calls are accepted, calls the busy
// host asks to retry later are repeated every 1000 ms, any other rejection
// cancels the call, and window messages stay queued while a call waits.
class TMessageFilter : public platform::IMessageFilter,
                       public std::enable_shared_from_this<TMessageFilter> {
 public:
  static std::shared_ptr<TMessageFilter> Create();

  // Installs this filter and keeps the one installed before. A second call
  // while registered does nothing.
  void RegisterFilter();
  // Installs the previous filter again; nothing when not registered.
  void RevokeFilter();
  bool registered() const { return registered_; }

  std::uint32_t HandleInComingCall(std::uint32_t call_type, std::int64_t task,
                                   std::uint32_t tick_count) override;
  std::int32_t RetryRejectedCall(std::int64_t callee, std::uint32_t elapsed_ticks,
                                 std::uint32_t rejection_type) override;
  std::uint32_t MessagePending(std::int64_t callee, std::uint32_t tick_count,
                               std::uint32_t pending_type) override;

  static constexpr std::int32_t kRetryDelayMs = 1000;

 private:
  TMessageFilter() = default;

  std::shared_ptr<platform::IMessageFilter> previous_;
  bool registered_ = false;
};

}  // namespace zavin::host
