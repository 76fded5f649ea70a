#pragma once

namespace zavin::platform {

// Puts the process-wide stand-in state back to its start: running hosts,
// windows and the message queue, the call log, the message-box sink and the
// message filter. The clock is left alone (use ScopedClock). For tests.
void ResetPlatform();

}  // namespace zavin::platform
