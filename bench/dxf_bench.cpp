// Opening and saving a large drawing: 100,000 entities of the kinds a survey
// drawing holds (lines, polylines with and without bulges, texts, arcs,
// circles). Opening must stay well under a second.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"

namespace zavin::cad {
namespace {

namespace fs = std::filesystem;

constexpr int kEntities = 100'000;

Database LargeDrawing() {
  Database db;
  db.AddLayer("H_HEN");
  db.AddLayer("文字");
  for (int i = 0; i < kEntities / 5; ++i) {
    const double x = (i % 300) * 10.0, y = (i / 300) * 10.0;
    db.Add(LineData{{x, y, 0}, {x + 7.5, y + 2.25, 0}}, "H_HEN");
    PolylineData p;
    p.vertices = {{x, y}, {x + 5, y}, {x + 5, y + 5}, {x, y + 5}};
    p.closed = true;
    if (i % 2) p.bulges = {0, 0.4142135623730951, 0, -0.25};
    p.two_d = i % 10 == 0;
    db.Add(std::move(p), "H_HEN");
    db.Add(TextData{"面積" + std::to_string(i), {x, y, 0}, {}, kAlignLeft, 2.5, 0.1 * (i % 7)}, "文字");
    db.Add(ArcData{{x + 2, y + 2, 0}, 1.5, 0.25, 2.5}, "0");
    db.Add(CircleData{{x + 3, y + 3, 0}, 0.75}, "0");
  }
  return db;
}

fs::path BenchFile(const char* name) { return fs::temp_directory_path() / name; }

void BM_LoadDxf(benchmark::State& state) {
  const fs::path file = BenchFile("zavin_dxf_bench_load.dxf");
  SaveDxf(LargeDrawing(), file);
  for (auto _ : state) {
    Database db;
    LoadDxf(file, db);
    benchmark::DoNotOptimize(db.model_space().size());
  }
  state.SetItemsProcessed(state.iterations() * kEntities);
  fs::remove(file);
}
BENCHMARK(BM_LoadDxf)->Unit(benchmark::kMillisecond);

void BM_SaveDxf(benchmark::State& state) {
  const Database db = LargeDrawing();
  const fs::path file = BenchFile("zavin_dxf_bench_save.dxf");
  for (auto _ : state) SaveDxf(db, file);
  state.SetItemsProcessed(state.iterations() * kEntities);
  fs::remove(file);
}
BENCHMARK(BM_SaveDxf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zavin::cad
