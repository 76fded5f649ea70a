#include "tools/base_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "geometry/plane.h"
#include "tests/host/fault_sweep.h"

namespace zavin::tools {
namespace {

using geometry::Distance2D;
using geometry::TAcadPoint;

TEST(ApexCandidatesTest, ApexesLieAtTheGivenDistancesLeftAndRightOfTheBase) {
  const struct {
    const char* name;
    TAcadPoint P, Q;
    double x, y;
  } cases[] = {
      {"along +x", {0, 0}, {10000, 0}, 8000, 10000},
      {"along -y", {500, 500}, {500, -9500}, 8000, 10000},
      {"oblique, obtuse at P", {100, 200}, {3100, 4200}, 3000, 7000},
      {"equilateral", {0, 0}, {-10, 0}, 10, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<ApexPair> apexes = ApexCandidates(c.P, c.Q, c.x, c.y);
    ASSERT_TRUE(apexes);
    for (const TAcadPoint& apex : {apexes->C1, apexes->C2}) {
      EXPECT_NEAR(static_cast<double>(Distance2D(c.P, apex)), c.x, 1e-7);
      EXPECT_NEAR(static_cast<double>(Distance2D(c.Q, apex)), c.y, 1e-7);
    }
    // Cross product of P→Q with P→apex: positive on the left.
    const auto side = [&](const TAcadPoint& a) {
      return (c.Q.x - c.P.x) * (a.y - c.P.y) - (c.Q.y - c.P.y) * (a.x - c.P.x);
    };
    EXPECT_GT(side(apexes->C1), 0);
    EXPECT_LT(side(apexes->C2), 0);
  }
  const std::optional<ApexPair> base = ApexCandidates({0, 0}, {10000, 0}, 8000, 10000);
  EXPECT_NEAR(static_cast<double>(base->C1.x), 3200, 1e-9);
  EXPECT_NEAR(static_cast<double>(base->C1.y), 7332.1211119293, 1e-6);
}

TEST(ApexCandidatesTest, NoApexWithoutATriangle) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* name;
    TAcadPoint Q;
    double x, y;
  } cases[] = {
      {"sides too short", {7000, 0}, 3000, 4000},
      {"one side too long", {10, 0}, 100, 5},
      {"zero side", {10, 0}, 0, 10},
      {"negative sides", {10000, 0}, -8000, -10000},
      {"base of zero length", {0, 0}, 5, 5},
      {"not a number", {10, 0}, nan, 10},
      {"infinite", {10, 0}, inf, inf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ApexCandidates({0, 0}, c.Q, c.x, c.y));
  }
}

TEST(ApexCandidatesTest, NearerCandidatePrefersC1OnATie) {
  const ApexPair pair{{0, 5}, {0, -5}};
  EXPECT_EQ(NearerCandidate(pair, {0, -1}), pair.C2);
  EXPECT_EQ(NearerCandidate(pair, {0, 1}), pair.C1);
  EXPECT_EQ(NearerCandidate(pair, {7, 0}), pair.C1);
}

// --- fault sweeps: whatever host call fails, AUNITS and SNAPMODE are back,
// no SSTEMP_ set is left and nothing that was in the drawing before is lost.

constexpr std::int16_t kAunits = 3;

BaseLineParams Params() {
  BaseLineParams p;
  p.a = 8000;
  p.b = 10000;
  p.number = 4;
  return p;
}

// Base line, an unrelated text, and AUNITS not 0.
std::vector<std::int64_t> SeedDrawing(host::testing::TestHost& t) {
  t.db().SetVar("AUNITS", kAunits);
  return {t.db().AddLine({0, 0, 0}, {10000, 0, 0}), t.db().AddText("memo", {-900, -900, 0}, 100)};
}

std::string CheckKept(host::testing::TestHost& t, const std::vector<std::int64_t>& ids) {
  return host::testing::AngleUnitsAndEntitiesKept(t, kAunits, ids);
}

void ExpectNoFaults(const host::testing::SweepReport& report) {
  EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
  EXPECT_GT(report.clean_calls, 20);
  for (const std::string& fault : report.faults) ADD_FAILURE() << fault;
}

TEST(BaseLineFaultSweep, ConstructionRestoresAndLosesNothing) {
  for (const annotate::AreaMethod method : {annotate::AreaMethod::ThreeSide, annotate::AreaMethod::BaseHeight}) {
    SCOPED_TRACE(static_cast<int>(method));
    std::vector<std::int64_t> before;
    BaseLineState state;
    annotate::CreatedObjectRecord record;
    host::testing::SweepCommand command;
    command.setup = [&](host::testing::TestHost& t) {
      state = {};
      record = {};
      before = SeedDrawing(t);
      t.input->PushEntity(before[0], 100, 10);
      t.input->PushPoint(5000, 3000);
    };
    command.body = [&](const host::Document& document, host::CommandContext& context) {
      BaseLineParams params = Params();
      params.method = method;
      BaseLineProgress progress;
      BaseLineConstruction(document, context, params, state, record, progress);
    };
    command.check = [&](host::testing::TestHost& t) { return CheckKept(t, before); };
    ExpectNoFaults(host::testing::RunFaultSweep(command));
  }
}

TEST(BaseLineFaultSweep, ExchangeRestoresAndLosesNothing) {
  std::vector<std::int64_t> before;
  BaseLineState state;
  annotate::CreatedObjectRecord record;
  host::testing::SweepCommand command;
  command.setup = [&](host::testing::TestHost& t) {
    state = {};
    record = {};
    before = SeedDrawing(t);
    t.input->PushEntity(before[0], 100, 10);
    t.input->PushPoint(5000, 3000);
    host::CommandFrame frame(t.link);
    BaseLineProgress progress;
    frame.Run(host::FrameSteps(), [&](const host::Document& document, host::CommandContext& context) {
      BaseLineConstruction(document, context, Params(), state, record, progress);
    });
    ASSERT_EQ(progress.end, BaseLineEnd::Built);
  };
  command.body = [&](const host::Document& document, host::CommandContext& context) {
    BaseLineProgress progress;
    BaseLineParams params = Params();
    params.number = 5;
    SwapSides(document, context, params, state, record, progress);
  };
  command.check = [&](host::testing::TestHost& t) { return CheckKept(t, before); };
  ExpectNoFaults(host::testing::RunFaultSweep(command));
}

}  // namespace
}  // namespace zavin::tools
