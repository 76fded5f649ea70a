#pragma once

#include <cstdint>

namespace zavin::cad {

// Test faults the host can simulate.
// Every member invocation that reaches an object passes these checks in
// order: rejection (not counted as a call), then counting, then the k-th
// call failure.
struct Faults {
  int busy_polls = 0;                 // IsQuiescent answers false this many times
  std::int64_t reject_until_ms = -1;  // calls raise CallRejected{2} until this clock time
  std::int64_t fail_call = 0;         // the k-th automation call (1-based) raises HostError; 0 off
  std::int64_t fail_also = 0;         // a second call that raises, as fail_call; 0 off
  std::int64_t fail_from = 0;         // every call from the k-th on raises (the host died); 0 off
};

}  // namespace zavin::cad
