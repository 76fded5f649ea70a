#include "platform/message_filter.h"

namespace zavin::platform {

namespace {
std::shared_ptr<IMessageFilter>& Installed() {
  static std::shared_ptr<IMessageFilter> filter;
  return filter;
}
}  // namespace

std::shared_ptr<IMessageFilter> CoRegisterMessageFilter(std::shared_ptr<IMessageFilter> filter) {
  auto previous = Installed();
  Installed() = std::move(filter);
  return previous;
}

std::shared_ptr<IMessageFilter> CurrentMessageFilter() { return Installed(); }

}  // namespace zavin::platform
