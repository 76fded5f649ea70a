#include "platform/reset.h"

#include "platform/call_log.h"
#include "platform/message_box.h"
#include "platform/message_filter.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"

namespace zavin::platform {

void ResetPlatform() {
  ResetRunningHosts();
  ResetWindows();
  ClearPlatformCallLog();
  SetMessageBoxSink(nullptr);
  CoRegisterMessageFilter(nullptr);
}

}  // namespace zavin::platform
