#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zavin::platform {

// Counts the late-bound calls made through Invoke while it lives, by member
// name as the callee receives it (each attempt of a call the callee rejects
// counts too: the callee saw it). Counters nest: a call counts on every
// counter started and not yet ended. Process-wide, for the tool's one
// calling thread.
class CallCounter {
 public:
  CallCounter();
  ~CallCounter();
  CallCounter(const CallCounter&) = delete;
  CallCounter& operator=(const CallCounter&) = delete;

  std::int64_t total() const { return total_; }
  const std::map<std::string, std::int64_t, std::less<>>& by_member() const { return by_member_; }
  void Reset();

  // Adds one call of `member` to every live counter.
  static void Count(std::string_view member);

 private:
  CallCounter* previous_;
  std::int64_t total_ = 0;
  std::map<std::string, std::int64_t, std::less<>> by_member_;
};

}  // namespace zavin::platform
