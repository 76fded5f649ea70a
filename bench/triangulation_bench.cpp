// TriangulatePolygon beside the literal loop it must reproduce. The literal
// loop is quadratic in passes on outlines with many reflex corners, so on the
// 10,000-vertex inputs it is measured at a smaller size of the same family.
#include <benchmark/benchmark.h>

#include "capture/triangulation.h"
#include "tests/capture/polygon_generators.h"
#include "tests/capture/triangulation_reference.h"

namespace {

using namespace zavin::capture;
using namespace zavin::capture::testing;

Outline Parcel(std::size_t n) {
  Rng rng(1);
  return DigitisedParcel(n, rng);
}

Outline Star(std::size_t n) {
  Rng rng(7);
  return RandomStar(n, rng);
}

Outline CombOf(std::size_t n) { return Comb(n / 4); }

template <Outline (*Make)(std::size_t)>
void BM_Production(benchmark::State& state) {
  const Outline o = Make(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    TTriangulation t = TriangulatePolygon(o, 1000, nullptr);
    if (!t.complete()) state.SkipWithError("triangulation failed");
    benchmark::DoNotOptimize(t);
  }
}

template <Outline (*Make)(std::size_t)>
void BM_Reference(benchmark::State& state) {
  const Outline o = Make(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    TTriangulation t = reference::ReferenceTriangulate(o, nullptr);
    if (!t.complete()) state.SkipWithError("triangulation failed");
    benchmark::DoNotOptimize(t);
  }
}

BENCHMARK(BM_Production<Parcel>)->Name("DigitisedParcel/production")->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference<Parcel>)->Name("DigitisedParcel/reference")->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Production<Star>)->Name("RandomStar/production")->Arg(500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference<Star>)->Name("RandomStar/reference")->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Production<CombOf>)->Name("Comb/production")->Arg(500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference<CombOf>)->Name("Comb/reference")->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
