#pragma once

#include <cstdint>
#include <memory>

#include "platform/variant.h"

namespace zavin::platform {

// The three callbacks of the platform's message-filter protocol.
class IMessageFilter {
 public:
  virtual ~IMessageFilter() = default;
  // 0: the incoming call is handled.
  virtual std::uint32_t HandleInComingCall(std::uint32_t call_type, std::int64_t task,
                                           std::uint32_t tick_count) = 0;
  // Delay in ms before the rejected call is repeated; -1 cancels it.
  virtual std::int32_t RetryRejectedCall(std::int64_t callee, std::uint32_t elapsed_ticks,
                                         std::uint32_t rejection_type) = 0;
  // 0: cancel the waiting call, 1: wait and keep the messages queued,
  // 2: wait and process them.
  virtual std::uint32_t MessagePending(std::int64_t callee, std::uint32_t tick_count,
                                       std::uint32_t pending_type) = 0;
};

inline constexpr std::uint32_t kRejectRetryLater = 2;
inline constexpr std::uint32_t kRejectReject = 1;

inline constexpr std::uint32_t kPendingCancelCall = 0;
inline constexpr std::uint32_t kPendingWait = 1;
inline constexpr std::uint32_t kPendingProcess = 2;

// `pending_type` of MessagePending: the waiting call is the outermost one, or
// a call made from inside a callee.
inline constexpr std::uint32_t kPendingTypeTopLevel = 1;
inline constexpr std::uint32_t kPendingTypeNested = 2;

// Installs `filter` for the calling apartment and returns the one installed
// before it (nullptr for none).
std::shared_ptr<IMessageFilter> CoRegisterMessageFilter(std::shared_ptr<IMessageFilter> filter);
std::shared_ptr<IMessageFilter> CurrentMessageFilter();

}  // namespace zavin::platform
