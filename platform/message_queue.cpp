#include "platform/message_queue.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/message_filter.h"

namespace zavin::platform {

namespace {

struct Message {
  std::uint64_t seq;
  Hwnd window;
  std::string name;
  std::function<void()> handler;
};

std::deque<Message>& Queue() {
  static std::deque<Message> queue;
  return queue;
}

std::uint64_t next_seq = 0;

thread_local const OutgoingCall* current_call = nullptr;

}  // namespace

bool PostWindowMessage(Hwnd window, std::string name, std::function<void()> handler) {
  if (!IsWindow(window) || !handler) return false;
  Queue().push_back({next_seq++, window, std::move(name), std::move(handler)});
  return true;
}

std::size_t PendingMessageCount() { return Queue().size(); }

std::vector<std::string> PendingMessageNames() {
  std::vector<std::string> names;
  for (const Message& m : Queue()) names.push_back(m.name);
  return names;
}

std::size_t ProcessPendingMessages() {
  auto& queue = Queue();
  // Only what is queued now: a handler that posts again cannot keep us here.
  const std::uint64_t end = next_seq;
  std::size_t ran = 0;
  while (!queue.empty() && queue.front().seq < end) {
    Message m = std::move(queue.front());
    queue.pop_front();
    ++ran;
    m.handler();
  }
  return ran;
}

void DiscardWindowMessages(Hwnd window) {
  auto& queue = Queue();
  if (window == kNoWindow) {
    queue.clear();
    return;
  }
  std::erase_if(queue, [window](const Message& m) { return m.window == window; });
}

void WaitWhileCallPending(std::int64_t wait_ms) {
  if (wait_ms > 0) CurrentClock().SleepMs(wait_ms);
  if (const OutgoingCall* call = OutgoingCall::Current()) call->OfferPendingMessages();
}

OutgoingCall::OutgoingCall(std::int64_t callee)
    : callee_(callee), started_ms_(CurrentClock().NowMs()), outer_(current_call) {
  current_call = this;
}

OutgoingCall::~OutgoingCall() { current_call = outer_; }

const OutgoingCall* OutgoingCall::Current() { return current_call; }

std::uint32_t OutgoingCall::ElapsedTicks() const {
  const std::int64_t elapsed = CurrentClock().NowMs() - started_ms_;
  // A clock replaced during the call can run backwards or far ahead.
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(elapsed, 0, std::numeric_limits<std::uint32_t>::max()));
}

void OutgoingCall::OfferPendingMessages() const {
  if (Queue().empty()) return;
  auto filter = CurrentMessageFilter();
  if (!filter) return;
  const std::uint32_t type = outer_ ? kPendingTypeNested : kPendingTypeTopLevel;
  switch (filter->MessagePending(callee_, ElapsedTicks(), type)) {
    case kPendingProcess: ProcessPendingMessages(); break;
    case kPendingCancelCall: throw HostError(hr::kCallCancelled, "call cancelled by the message filter");
    // kPendingWait and unknown answers keep the messages: nothing is lost.
    default: break;
  }
}

}  // namespace zavin::platform
