// Host calls per triangle of the annotating commands, run as batch scripts
// against the embedded host: each call would cross to another process on a
// real host, so their number decides how long a command takes there. Every
// benchmark takes the area method (0 three-side, 1 base-and-height) and the
// number of layers in the drawing (2 or 100); the counters are the figures.
// BM_AreaTableOf10000 and BM_OpenAndSave10000 time 作成 against an open and
// save of the same drawing.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include "app/batch.h"
#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"

namespace {

namespace fs = std::filesystem;
using zavin::cad::Database;
using zavin::cad::Point3;

fs::path WorkDir() {
  const fs::path dir = fs::temp_directory_path() / "zavin_host_calls_bench";
  fs::create_directories(dir);
  return dir;
}

// A drawing of `layers` layers ("0" and the outline's among them).
Database Drawing(int layers) {
  Database db;
  for (int i = static_cast<int>(db.layers().size()); i < layers; ++i)
    db.AddLayer(i == 1 ? "OUTLINE" : "L" + std::to_string(i));
  return db;
}

// Saves `db` as the drawing the runs open.
fs::path SaveInput(const Database& db) {
  const fs::path in = WorkDir() / "in.dxf";
  zavin::cad::SaveDxf(db, in);
  return in;
}

// Runs `script` on the drawing `in` with --stats; returns what it printed.
std::string RunScript(const fs::path& in, const std::string& script) {
  const fs::path dir = WorkDir();
  std::ofstream(dir / "s.zvs", std::ios::binary) << script;
  zavin::app::BatchOptions o;
  o.drawing = in;
  o.script = dir / "s.zvs";
  o.out = dir / "out.dxf";
  o.stats = true;
  std::ostringstream out;
  zavin::app::RunBatch(o, out);
  return out.str();
}

// The calls of one clicked control, from the printed stats.
long CallsOf(const std::string& printed, const std::string& control) {
  std::istringstream lines(printed);
  long calls = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("stats: " + control + " ")) continue;
    calls += std::stol(line.substr(7 + control.size() + 1));
  }
  return calls;
}

// Number texts in the drawing the last run saved.
long NumberedInLastRun() {
  Database saved;
  zavin::cad::LoadDxf(WorkDir() / "out.dxf", saved);
  long n = 0;
  for (const auto& [id, e] : saved.model_space())
    if (e.as<zavin::cad::TextData>() && !e.xdata.empty() &&
        e.xdata[0].value == zavin::platform::Variant(std::string("QM_ZAVIN")))
      ++n;
  return n;
}

std::string Method(const benchmark::State& state) {
  return "radio RadioGroup1 " + std::to_string(state.range(0)) + "\nupdown UpDown4 1\n";
}

// A star-shaped parcel of `n` vertices around the origin.
void AddParcel(Database& db, int n) {
  zavin::cad::PolylineData p;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * i / n;
    const double r = 50000 * (1 + 0.15 * std::sin(7 * t));
    p.vertices.emplace_back(r * std::cos(t), r * std::sin(t));
  }
  p.closed = true;
  db.Add(std::move(p), "OUTLINE");
}

void Report(benchmark::State& state, long calls, long triangles) {
  state.counters["layers"] = static_cast<double>(state.range(1));
  state.counters["triangles"] = static_cast<double>(triangles);
  state.counters["calls_per_triangle"] = triangles > 0 ? static_cast<double>(calls) / triangles : 0;
}

// 自動 on a 200-vertex parcel, then 作成 over its triangles (per table row).
void BM_RegionSplitAndAreaTable(benchmark::State& state) {
  Database db = Drawing(static_cast<int>(state.range(1)));
  AddParcel(db, 200);
  const fs::path in = SaveInput(db);
  std::string printed;
  for (auto _ : state)
    printed = RunScript(in, Method(state) +
                                "click Button10\npoint 0,0\ncheck CheckBox2 on\nclick Button3\npoint 90000,0\n");
  const long rows = NumberedInLastRun();
  Report(state, CallsOf(printed, "Button10"), rows);
  state.counters["area_table_calls_per_row"] =
      rows > 0 ? static_cast<double>(CallsOf(printed, "Button3")) / rows : 0;
}
BENCHMARK(BM_RegionSplitAndAreaTable)
    ->ArgsProduct({{0, 1}, {2, 100}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// 群選択 over a 10 x 10 grid of squares split by one diagonal.
void BM_GroupSelect(benchmark::State& state) {
  Database db = Drawing(static_cast<int>(state.range(1)));
  const int n = 10;
  const double s = 1000;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j) {
      if (i < n) db.AddLine({i * s, j * s, 0}, {(i + 1) * s, j * s, 0}, "OUTLINE");
      if (j < n) db.AddLine({i * s, j * s, 0}, {i * s, (j + 1) * s, 0}, "OUTLINE");
      if (i < n && j < n) db.AddLine({i * s, j * s, 0}, {(i + 1) * s, (j + 1) * s, 0}, "OUTLINE");
    }
  const fs::path in = SaveInput(db);
  std::string printed;
  for (auto _ : state) printed = RunScript(in, Method(state) + "click Button13\nselect 20000,20000 -1000,-1000\n");
  Report(state, CallsOf(printed, "Button13"), NumberedInLastRun());
}
BENCHMARK(BM_GroupSelect)->ArgsProduct({{0, 1}, {2, 100}})->Iterations(1)->Unit(benchmark::kMillisecond);

// ２辺指示 on the corner of two lines: one triangle.
void BM_TwoSide(benchmark::State& state) {
  Database db = Drawing(static_cast<int>(state.range(1)));
  db.AddLine({0, 0, 0}, {10000, 0, 0}, "OUTLINE");
  db.AddLine({0, 0, 0}, {0, 8000, 0}, "OUTLINE");
  const fs::path in = SaveInput(db);
  std::string printed;
  for (auto _ : state) printed = RunScript(in, Method(state) + "click Button8\npick 5000,0\npick 0,4000\n");
  Report(state, CallsOf(printed, "Button8"), NumberedInLastRun());
}
BENCHMARK(BM_TwoSide)->ArgsProduct({{0, 1}, {2, 100}})->Iterations(1)->Unit(benchmark::kMillisecond);

// 基準線 on a 10000 base with the default sides 8 and 10 (x 1000): one triangle.
void BM_BaseLine(benchmark::State& state) {
  Database db = Drawing(static_cast<int>(state.range(1)));
  db.AddLine({0, 0, 0}, {10000, 0, 0}, "OUTLINE");
  const fs::path in = SaveInput(db);
  std::string printed;
  for (auto _ : state) printed = RunScript(in, Method(state) + "click Button1\npick 5000,0\npoint 5000,5000\n");
  Report(state, CallsOf(printed, "Button1"), NumberedInLastRun());
}
BENCHMARK(BM_BaseLine)->ArgsProduct({{0, 1}, {2, 100}})->Iterations(1)->Unit(benchmark::kMillisecond);

// 10,000 numbered triangles, each number text with two side labels beside it.
Database NumberedDrawing() {
  Database db = Drawing(2);
  db.AddLayer("H_TEXT");
  for (int k = 0; k < 10000; ++k) {
    const double x = (k % 100) * 3000.0, y = (k / 100) * 3000.0;
    zavin::cad::Entity& e = *db.Find(db.AddText(std::to_string(k + 1), {x, y, 0}, 400, "H_TEXT"));
    e.xdata = {{1001, zavin::platform::Variant(std::string("QM_ZAVIN"))},
               {1010, zavin::platform::MakePointArray(3000, 4000, 5000)}};
    db.AddText("3.00", {x + 1000, y, 0}, 300, "H_TEXT");
    db.AddText("4.00", {x, y + 1000, 0}, 300, "H_TEXT");
  }
  return db;
}

void BM_AreaTableOf10000(benchmark::State& state) {
  const fs::path in = SaveInput(NumberedDrawing());
  std::string printed;
  for (auto _ : state) printed = RunScript(in, "check CheckBox2 on\nclick Button3\npoint -90000,0\n");
  state.counters["area_table_calls_per_row"] = static_cast<double>(CallsOf(printed, "Button3")) / 10000;
}
BENCHMARK(BM_AreaTableOf10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenAndSave10000(benchmark::State& state) {
  const fs::path in = SaveInput(NumberedDrawing());
  for (auto _ : state) RunScript(in, "");
}
BENCHMARK(BM_OpenAndSave10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
