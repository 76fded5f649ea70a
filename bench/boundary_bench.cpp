// The host's -BOUNDARY in a large drawing: from the command text to the
// polyline, through automation like the tool sends it.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "cad/database.h"
#include "cad/embedded_host.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/reset.h"

namespace {

using namespace zavin;

// A square grid of cells of 1000 units: 2 x (n + 1) lines of n cells each.
void Grid(cad::Database& db, int n) {
  const double size = 1000.0 * n;
  for (int i = 0; i <= n; ++i) {
    const double at = 1000.0 * i;
    db.AddLine({0, at, 0}, {size, at, 0});
    db.AddLine({at, 0, 0}, {at, size, 0});
  }
}

// The same grid with each cell side its own line: 2 x n x (n + 1) lines.
void Cells(cad::Database& db, int cells_per_side) {
  for (int i = 0; i <= cells_per_side; ++i)
    for (int j = 0; j < cells_per_side; ++j) {
      db.AddLine({1000.0 * j, 1000.0 * i, 0}, {1000.0 * (j + 1), 1000.0 * i, 0});
      db.AddLine({1000.0 * i, 1000.0 * j, 0}, {1000.0 * i, 1000.0 * (j + 1), 0});
    }
}

// The pick lies in the middle cell, or with `outside` left of the grid, where
// no region is found and the search ends only when it covers the drawing.
void Run(benchmark::State& state, bool long_lines, bool outside = false) {
  platform::ResetPlatform();
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  std::shared_ptr<cad::EmbeddedHost> host = cad::EmbeddedHost::Create();
  if (long_lines)
    Grid(host->database(), 49'999);  // 100,000 lines crossing one another
  else
    Cells(host->database(), 223);  // 100,352 lines, one per cell side
  const platform::ObjectRef doc =
      platform::Get(host->Application(), "ActiveDocument").object();
  const double mid = long_lines ? 1000.0 * 25'000 + 500 : 1000.0 * 111 + 500;
  const std::string text = "_-BOUNDARY A O P \r" + std::to_string(outside ? -500.0 : mid) + "," +
                           std::to_string(mid) + "\r\r";
  for (auto _ : state) {
    platform::Call(doc, "SendCommand", {platform::Variant(text)});
    host->RunPendingCommands();
    if (outside) continue;
    const cad::Entity* last = host->database().LastEntity();
    if (!last || !last->as<cad::PolylineData>()) {
      state.SkipWithError("no boundary");
      break;
    }
    state.PauseTiming();
    host->database().Erase(last->id);
    state.ResumeTiming();
  }
  state.counters["entities"] = static_cast<double>(host->database().model_space().size());
  host.reset();
  platform::ResetPlatform();
}

void BM_BoundaryCellSides(benchmark::State& state) { Run(state, false); }
void BM_BoundaryLongLines(benchmark::State& state) { Run(state, true); }

void BM_BoundaryOutside(benchmark::State& state) { Run(state, false, true); }

BENCHMARK(BM_BoundaryCellSides)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoundaryLongLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BoundaryOutside)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
