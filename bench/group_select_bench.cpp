// The triangle search of 群選択 on grids of squares split by one diagonal.

#include <benchmark/benchmark.h>

#include "capture/segment_triangles.h"
#include "segment_triangles_reference.h"

namespace {

using zavin::capture::FindSegmentTriangles;
using zavin::capture::reference::ReferenceFindSegmentTriangles;
using zavin::capture::reference::SplitSquareGrid;

void BM_FindSegmentTriangles(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto segments = SplitSquareGrid(n, n);
  for (auto _ : state) benchmark::DoNotOptimize(FindSegmentTriangles(segments));
  state.counters["segments"] = static_cast<double>(segments.size());
}
BENCHMARK(BM_FindSegmentTriangles)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ReferenceLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto segments = SplitSquareGrid(n, n);
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceFindSegmentTriangles(segments));
  state.counters["segments"] = static_cast<double>(segments.size());
}
BENCHMARK(BM_ReferenceLoop)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
