#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace zavin::platform {

// The message queue of the tool's user-interface thread and the waiting side
// of the message-filter protocol. While an outgoing call waits (a retry delay
// of a rejected call, or a callee blocked on the user), the queued messages are
// offered to the registered filter's MessagePending: kPendingProcess runs them
// inside the wait, kPendingWait keeps them queued, kPendingCancelCall ends the
// waiting call with HostError(kCallCancelled) and keeps them queued.
// What stays queued runs at the next ProcessPendingMessages, when the tool is
// idle again.

// Queues `handler` for `window` (a click, a timer, ...); `name` identifies the
// message in tests. False, and nothing queued, when `window` is no window or
// `handler` is empty.
bool PostWindowMessage(Hwnd window, std::string name, std::function<void()> handler);

std::size_t PendingMessageCount();
std::vector<std::string> PendingMessageNames();

// Runs the messages queued at the moment of the call, in order; messages they
// post wait for the next call. Returns how many ran. An exception from a
// handler propagates once its message has left the queue; the later messages
// stay queued.
std::size_t ProcessPendingMessages();

// Drops the messages queued for `window` (all with kNoWindow).
void DiscardWindowMessages(Hwnd window);

// For a callee that blocks while the caller waits, e.g. for a pick by the
// user: lets `wait_ms` pass on the current clock, then offers the queued
// messages to the registered filter as the caller's wait would. Outside an
// outgoing call it only lets the time pass.
void WaitWhileCallPending(std::int64_t wait_ms = 0);

// Marks one outgoing call for its lifetime (Invoke opens one per call); calls
// made from inside a callee nest.
class OutgoingCall {
 public:
  explicit OutgoingCall(std::int64_t callee);
  ~OutgoingCall();
  OutgoingCall(const OutgoingCall&) = delete;
  OutgoingCall& operator=(const OutgoingCall&) = delete;

  std::int64_t callee() const { return callee_; }
  // Milliseconds since the call began, on the current clock.
  std::uint32_t ElapsedTicks() const;
  // Offers the queued messages, if any, once to the registered filter. With no
  // filter they stay queued: nothing of the tool runs inside a call unasked.
  void OfferPendingMessages() const;

  // The innermost outgoing call, nullptr when none waits.
  static const OutgoingCall* Current();

 private:
  std::int64_t callee_;
  std::int64_t started_ms_;
  const OutgoingCall* outer_;
};

}  // namespace zavin::platform
