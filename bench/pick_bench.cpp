// Picking and a small crossing selection in a 100,000-entity drawing, and
// the plain pick that builds every outline, for comparison.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "cad/core/host_core.h"

namespace {

using namespace zavin::cad;

// A survey sheet of 100,000 entities on a 200 x 100 grid of 400-unit cells:
// in each cell two lines, a closed polyline with an arc side, a number text
// and, in turn, a circle, an arc or a reference to a small marker block.
void Sheet(Database& db) {
  const std::int64_t marker = db.AddBlock("MARK").id;
  db.Add(CircleData{{0, 0, 0}, 20}, "0", marker);
  db.Add(LineData{{-30, 0, 0}, {30, 0, 0}}, "0", marker);
  for (int i = 0; i < 200; ++i)
    for (int j = 0; j < 100; ++j) {
      const double x = 400.0 * i, y = 400.0 * j;
      db.AddLine({x, y, 0}, {x + 400, y, 0});
      db.AddLine({x, y, 0}, {x, y + 400, 0});
      db.Add(PolylineData{{{x + 50, y + 50}, {x + 250, y + 50}, {x + 250, y + 250}, {x + 50, y + 250}},
                          true, 0, {0, 0.4, 0, 0}, false});
      db.AddText(std::to_string(i * 100 + j), {x + 300, y + 300, 0}, 25);
      switch ((i + j) % 3) {
        case 0: db.AddCircle({x + 150, y + 330, 0}, 30); break;
        case 1: db.Add(ArcData{{x + 150, y + 330, 0}, 30, 0, 2}); break;
        default: db.Add(BlockRefData{"MARK", {x + 150, y + 330, 0}, 1.5, 0.3}); break;
      }
    }
}

HostCore& Core() {
  static HostCore* core = [] {
    auto* c = new HostCore;
    Sheet(c->db);
    return c;
  }();
  return *core;
}

std::optional<std::int64_t> PlainPick(const Database& db, P2 p) {
  const Rect box = Rect::Around(p, db.PickAperture());
  std::optional<std::int64_t> best;
  double best_d = 0;
  for (const auto& [id, e] : db.model_space()) {
    const Shapes s = ShapesOf(db, e);
    if (!Crosses(s, box)) continue;
    const double d = DistanceTo(s, p);
    if (!best || d <= best_d) {
      best = id;
      best_d = d;
    }
  }
  return best;
}

// A click on the lower side of a cell in the middle of the sheet.
constexpr P2 kClick{400.0 * 100 + 120, 400.0 * 50 + 10};

void BM_PickAt(benchmark::State& state) {
  HostCore& core = Core();
  for (auto _ : state) benchmark::DoNotOptimize(core.PickAt(kClick, {}));
  state.counters["entities"] = static_cast<double>(core.db.model_space().size());
}
BENCHMARK(BM_PickAt)->Unit(benchmark::kMillisecond);

void BM_PlainPick(benchmark::State& state) {
  HostCore& core = Core();
  for (auto _ : state) benchmark::DoNotOptimize(PlainPick(core.db, kClick));
}
BENCHMARK(BM_PlainPick)->Unit(benchmark::kMillisecond);

// A crossing window of one cell and a half.
void BM_SelectCrossingSmall(benchmark::State& state) {
  HostCore& core = Core();
  const Rect r = Rect::FromCorners({kClick.x - 300, kClick.y - 200}, {kClick.x + 300, kClick.y + 200});
  std::size_t found = 0;
  for (auto _ : state) found = core.SelectCrossing(r, {}).size();
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_SelectCrossingSmall)->Unit(benchmark::kMillisecond);

}  // namespace
