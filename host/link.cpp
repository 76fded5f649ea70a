#include "host/link.h"

#include "host/database.h"

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"

namespace zavin::host {

using platform::HostError;

HostKind HostKindOf(std::string_view prog_id) {
  const std::string upper = platform::UpperAscii(prog_id);
  if (upper.find("GCAD") != std::string::npos) return HostKind::Gcad;
  if (upper.find("ZWCAD") != std::string::npos) return HostKind::Zcad;
  return HostKind::Acad;
}

bool HostRunning(std::string_view prog_id) {
  try {
    return platform::GetActiveObject(platform::CLSIDFromProgID(prog_id)) != nullptr;
  } catch (...) {
    return false;
  }
}

void ConnectHost(HostLink& link) {
  ObjectRef app = platform::GetActiveObject(platform::CLSIDFromProgID(link.HostProgId));
  if (!app) throw HostError(platform::hr::kUnavailable, "host not running: " + link.HostProgId);
  link.HostApplication = Application(std::move(app));
}

bool BringHostToFront(const HostLink& link) {
  return platform::SetForegroundWindow(link.HostApplication.HWND());
}

bool PressEscIfForeground(const HostLink& link, std::int64_t wait_after_ms) {
  if (platform::GetForegroundWindow() != link.HostApplication.HWND()) return false;
  platform::keybd_event(platform::VK_ESCAPE, 0, 0, 0);
  platform::Sleep(5);
  platform::keybd_event(platform::VK_ESCAPE, 0, platform::KEYEVENTF_KEYUP, 0);
  if (wait_after_ms > 0) platform::Sleep(wait_after_ms);
  return true;
}

void ActivateHost(const HostLink& link) {
  const Application& app = link.HostApplication;
  if (platform::IsIconic(app.HWND())) {
    platform::OpenIcon(app.HWND());
    platform::Sleep(500);
  }
  BringHostToFront(link);
  PressEscIfForeground(link, 200);
}

void WaitHostIdle(const Application& app, HostKind kind, std::int64_t interval_ms) {
  platform::Sleep(interval_ms);
  while (!app.GetState(kind).IsQuiescent()) platform::Sleep(interval_ms);
  platform::Sleep(interval_ms);
}

AngleSettings ReadAngleSettings(const Document& document) {
  const std::int32_t units = document.GetVariable("AUNITS").ToInt32();
  const bool valid_units = units >= 0 && units <= 4;
  // Like the other clean-up steps, the write-back waits for the host when it
  // fails: the user's angle unit must not stay 0.
  const auto restore_units = [&] {
    RestoreVariable(document, "AUNITS", platform::Variant(static_cast<std::int16_t>(units)));
  };

  AngleSettings s;
  try {
    document.SetVariable("AUNITS", std::int16_t{0});
    s.angle_base = document.GetVariable("ANGBASE").ToDouble() * 0.017453292519943295;
    s.angle_direction = document.GetVariable("ANGDIR").ToInt32();
  } catch (...) {
    // The user's unit setting must not be lost because a read failed.
    if (valid_units) restore_units();
    throw;
  }
  if (valid_units) restore_units();
  return s;
}

// ---- TMessageFilter

std::shared_ptr<TMessageFilter> TMessageFilter::Create() {
  return std::shared_ptr<TMessageFilter>(new TMessageFilter());
}

void TMessageFilter::RegisterFilter() {
  if (registered_) return;
  previous_ = platform::CoRegisterMessageFilter(shared_from_this());
  registered_ = true;
}

void TMessageFilter::RevokeFilter() {
  if (!registered_) return;
  platform::CoRegisterMessageFilter(std::move(previous_));
  previous_.reset();
  registered_ = false;
}

std::uint32_t TMessageFilter::HandleInComingCall(std::uint32_t, std::int64_t, std::uint32_t) {
  return 0;
}

std::int32_t TMessageFilter::RetryRejectedCall(std::int64_t, std::uint32_t,
                                               std::uint32_t rejection_type) {
  return rejection_type == platform::kRejectRetryLater ? kRetryDelayMs : -1;
}

std::uint32_t TMessageFilter::MessagePending(std::int64_t, std::uint32_t, std::uint32_t) {
  return platform::kPendingWait;
}

}  // namespace zavin::host
