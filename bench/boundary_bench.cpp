// The host's -BOUNDARY in a large drawing: from the command text to the
// polyline, through automation like the tool sends it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "cad/db/database.h"
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

// The same cells with every horizontal side an arc of 60 degrees bulging up:
// n x (n + 1) arcs and as many lines.
void ArcCells(cad::Database& db, int cells_per_side) {
  const double pi = std::numbers::pi;
  for (int i = 0; i <= cells_per_side; ++i)
    for (int j = 0; j < cells_per_side; ++j) {
      db.Add(cad::ArcData{{1000.0 * j + 500, 1000.0 * i - 500 * std::sqrt(3.0), 0}, 1000, pi / 3,
                          2 * pi / 3});
      db.AddLine({1000.0 * i, 1000.0 * j, 0}, {1000.0 * i, 1000.0 * (j + 1), 0});
    }
}

enum class Drawing { Cells, LongLines, ArcCells };

// The pick lies in the middle cell, or with `outside` left of the grid, where
// no region is found and the search ends only when it covers the drawing.
void Run(benchmark::State& state, Drawing drawing, bool outside = false) {
  const bool long_lines = drawing == Drawing::LongLines;
  platform::ResetPlatform();
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  std::shared_ptr<cad::EmbeddedHost> host = cad::EmbeddedHost::Create();
  if (long_lines)
    Grid(host->database(), 49'999);  // 100,000 lines crossing one another
  else if (drawing == Drawing::ArcCells)
    ArcCells(host->database(), 223);  // 49,952 arcs and as many lines
  else
    Cells(host->database(), 223);  // 99,904 lines, one per cell side
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

void BM_BoundaryCellSides(benchmark::State& state) { Run(state, Drawing::Cells); }
void BM_BoundaryLongLines(benchmark::State& state) { Run(state, Drawing::LongLines); }
void BM_BoundaryArcCells(benchmark::State& state) { Run(state, Drawing::ArcCells); }

void BM_BoundaryOutside(benchmark::State& state) { Run(state, Drawing::Cells, true); }

BENCHMARK(BM_BoundaryCellSides)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoundaryArcCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoundaryLongLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BoundaryOutside)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
