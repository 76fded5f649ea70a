#include "platform/call_count.h"

namespace zavin::platform {

namespace {
CallCounter*& Active() {
  static CallCounter* active = nullptr;
  return active;
}
}  // namespace

CallCounter::CallCounter() : previous_(Active()) { Active() = this; }

CallCounter::~CallCounter() {
  // Counters end in reverse order of their start.
  if (Active() == this) Active() = previous_;
}

void CallCounter::Reset() {
  total_ = 0;
  by_member_.clear();
}

void CallCounter::Count(std::string_view member) {
  for (CallCounter* counter = Active(); counter; counter = counter->previous_) {
    ++counter->total_;
    auto it = counter->by_member_.find(member);
    if (it == counter->by_member_.end()) it = counter->by_member_.emplace(std::string(member), 0).first;
    ++it->second;
  }
}

}  // namespace zavin::platform
