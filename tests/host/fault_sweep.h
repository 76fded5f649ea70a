#pragma once

// Fault-injection sweep for commands run in the CommandFrame: a clean run
// counts the host calls the command makes, then for every k of them a fresh
// host fails exactly its k-th call. Whatever fails, the command must end
// without escaping, put SNAPMODE back and leave no SSTEMP_ selection set.
// Later command tests add their commands by building a SweepCommand. Every
// run resets the platform stand-ins and starts its own host on its own
// virtual clock, so call it from a plain TEST, not beside a live HostTest host.

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

// One run on a fresh host; `fail_at` counts from the first call of the
// frame (0: no fault). Appends broken invariants to `faults`.
inline FrameOutcome RunOnce(const SweepCommand& command, std::int64_t fail_at,
                            std::int64_t* calls, std::vector<std::string>& faults) {
  const std::string where = fail_at ? "call " + std::to_string(fail_at) + " failing: " : "clean run: ";
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  TestHost t = StartTestHost();
  t.db().SetVar("SNAPMODE", std::int16_t(command.snap_before));
  if (command.setup) command.setup(t);
  const std::set<std::string> temp_before = TempSetNames(t);

  const std::int64_t start = t.host->call_count();
  if (fail_at) cad::testing::Probe(*t.host).faults().fail_call = start + fail_at;
  FrameOutcome outcome = FrameOutcome::EndedByError;
  try {
    CommandFrame frame(t.link, [] {});
    outcome = frame.Run(command.steps, command.body);
  } catch (...) {
    faults.push_back(where + "an error escaped the frame");
  }
  if (calls) *calls = t.host->call_count() - start;
  cad::testing::Probe(*t.host).faults().fail_call = 0;

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
  SweepReport report;
  report.clean_outcome = sweep_detail::RunOnce(command, 0, &report.clean_calls, report.faults);
  for (std::int64_t k = 1; k <= report.clean_calls; ++k)
    sweep_detail::RunOnce(command, k, nullptr, report.faults);
  return report;
}

}  // namespace zavin::host::testing
