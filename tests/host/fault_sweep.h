#pragma once

// Fault-injection sweep for commands run in the CommandFrame: a clean run
// counts the host calls the command makes, then fresh hosts fail
//   - exactly call k, for every k;
//   - every call from k on (the host died), for every k;
//   - calls k and k + j, for every k, for j = 1 to 4 and then doubling up to
//     the command's length.
// Whatever fails, the command must end without escaping, and once the host
// answers again (a further, empty command runs the frame's pending clean-up)
// SNAPMODE is back and no SSTEMP_ selection set is left. Later command tests
// add their commands by building a SweepCommand. Every run resets the
// platform stand-ins and starts its own host on its own virtual clock, so
// call it from a plain TEST, not beside a live HostTest host.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/command_frame.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "tests/cad/host_probe.h"
#include "tests/host/test_host.h"

namespace zavin::host::testing {

struct SweepCommand {
  FrameSteps steps;
  CommandBody body;
  // Seeds the drawing and scripts the user's answers on each fresh host.
  std::function<void(TestHost&)> setup;
  // SNAPMODE before every run.
  std::int32_t snap_before = 1;
  // A further invariant of the command: "" when it holds, else what broke.
  std::function<std::string(TestHost&)> check;
  // Also the host-died and two-failure modes.
  bool multiple_faults = true;
};

// The invariant most commands share: the drawing's angle unit is back to
// `aunits` and every entity of `kept` is still there. "" when it holds.
inline std::string AngleUnitsAndEntitiesKept(const TestHost& t, std::int32_t aunits,
                                             const std::vector<std::int64_t>& kept) {
  if (t.db().GetVar("AUNITS").ToInt32() != aunits) return "AUNITS not restored";
  for (const std::int64_t id : kept)
    if (!t.db().Find(id)) return "entity " + std::to_string(id) + " lost";
  return "";
}

struct SweepReport {
  std::int64_t clean_calls = 0;
  FrameOutcome clean_outcome = FrameOutcome::EndedByError;
  // One line per broken invariant, naming the failing call.
  std::vector<std::string> faults;
};

namespace sweep_detail {

inline std::set<std::string> TempSetNames(const TestHost& t) {
  const std::vector<std::string> names = TempSelectionSetNames(t.document());
  return {names.begin(), names.end()};
}

// Which calls of a run fail, counting from the first call of the frame.
struct FaultPlan {
  std::int64_t call = 0;   // this call fails; 0: none
  std::int64_t also = 0;   // and this one; 0: none
  std::int64_t from = 0;   // and every call from this one on; 0: none

  std::string Describe() const {
    if (from) return "calls from " + std::to_string(from) + " on failing: ";
    if (also) return "calls " + std::to_string(call) + " and " + std::to_string(also) + " failing: ";
    if (call) return "call " + std::to_string(call) + " failing: ";
    return "clean run: ";
  }
};

// One run on a fresh host. Appends broken invariants to `faults`.
inline FrameOutcome RunOnce(const SweepCommand& command, const FaultPlan& plan, std::int64_t* calls,
                            std::vector<std::string>& faults) {
  const std::string where = plan.Describe();
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  TestHost t = StartTestHost();
  t.db().SetVar("SNAPMODE", std::int16_t(command.snap_before));
  if (command.setup) command.setup(t);
  const std::set<std::string> temp_before = TempSetNames(t);

  const std::int64_t start = t.host->call_count();
  const auto at = [start](std::int64_t k) { return k ? start + k : 0; };
  cad::Faults& injected = cad::testing::Probe(*t.host).faults();
  injected.fail_call = at(plan.call);
  injected.fail_also = at(plan.also);
  injected.fail_from = at(plan.from);
  FrameOutcome outcome = FrameOutcome::EndedByError;
  try {
    CommandFrame frame(t.link, [] {});
    outcome = frame.Run(command.steps, command.body);
  } catch (...) {
    faults.push_back(where + "an error escaped the frame");
  }
  if (calls) *calls = t.host->call_count() - start;
  injected = {};
  // The host answers again: the next command finishes what was left.
  CommandFrame(t.link, [] {}).Run(FrameSteps(), {});

  const std::int32_t snap = t.db().GetVar("SNAPMODE").ToInt32();
  if (snap != command.snap_before)
    faults.push_back(where + "SNAPMODE " + std::to_string(snap) + ", was " +
                     std::to_string(command.snap_before));
  for (const std::string& name : TempSetNames(t))
    if (!temp_before.contains(name)) faults.push_back(where + "selection set " + name + " left behind");
  if (command.check) {
    if (std::string broken = command.check(t); !broken.empty()) faults.push_back(where + broken);
  }
  t = TestHost{};
  platform::ResetPlatform();
  return outcome;
}

}  // namespace sweep_detail

inline SweepReport RunFaultSweep(const SweepCommand& command) {
  using sweep_detail::FaultPlan;
  SweepReport report;
  report.clean_outcome = sweep_detail::RunOnce(command, {}, &report.clean_calls, report.faults);
  const std::int64_t n = report.clean_calls;
  for (std::int64_t k = 1; k <= n; ++k) {
    sweep_detail::RunOnce(command, {.call = k}, nullptr, report.faults);
    if (!command.multiple_faults) continue;
    sweep_detail::RunOnce(command, {.from = k}, nullptr, report.faults);
    // The second failure right after the first (the retry), then ever
    // farther up to the command's length.
    for (std::int64_t j = 1; k + j <= n; j = j < 4 ? j + 1 : 2 * j)
      sweep_detail::RunOnce(command, {.call = k, .also = k + j}, nullptr, report.faults);
  }
  return report;
}

}  // namespace zavin::host::testing
