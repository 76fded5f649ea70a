// Written-figure costs: RoundToText on typical, near-tie and out-of-range
// values, and the area computations of both methods.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geometry/area.h"
#include "geometry/rounding.h"

namespace zavin::geometry {
namespace {

std::vector<double> Values(double lo, double hi) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> v(4096);
  for (double& x : v) x = dist(rng);
  return v;
}

void BM_RoundToText(benchmark::State& state) {
  const int digits = static_cast<int>(state.range(0));
  const auto mode = static_cast<RoundingMode>(state.range(1));
  const std::vector<double> values = Values(0, 100000);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundToText(digits, mode, values[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundToText)->ArgsProduct({{0, 2, 4, 6}, {0, 1, 2}});

// Scaled values on a 15-digit half take the exact conversion.
void BM_RoundToTextNearTie(benchmark::State& state) {
  std::vector<double> values;
  for (long long k = 0; k < 4096; ++k) values.push_back((123456789012345.0 * 10 + 5 + 10 * k) / 1e13);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundToText(2, RoundingMode::HalfUp, values[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundToTextNearTie);

void BM_RoundToTextHuge(benchmark::State& state) {
  const std::vector<double> values = Values(1e20, 1e22);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundToText(6, RoundingMode::Up, values[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundToTextHuge);

void BM_TriangleAreaFromSides(benchmark::State& state) {
  const std::vector<double> v = Values(1000, 2000);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4093;
    benchmark::DoNotOptimize(TriangleAreaFromSides(v[k], v[k + 1], v[k + 2]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TriangleAreaFromSides);

constexpr TRounding kLength{2, RoundingMode::HalfUp};
constexpr TRounding kArea{4, RoundingMode::HalfUp};

// One row of the area table: three lengths and an area written and read back.
void BM_ThreeSideFigures(benchmark::State& state) {
  const std::vector<double> v = Values(1000, 2000);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4093;
    benchmark::DoNotOptimize(ThreeSideFigures(v[k], v[k + 1], v[k + 2], 1000, kLength, kArea));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThreeSideFigures);

void BM_BaseHeightFigures(benchmark::State& state) {
  const std::vector<double> v = Values(1000, 2000);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4093;
    benchmark::DoNotOptimize(BaseHeightFigures(v[k], v[k + 1], v[k + 2], 1000, kLength, kArea));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaseHeightFigures);

void BM_BaseAndFoot(benchmark::State& state) {
  const std::vector<double> v = Values(0, 5000);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4089;
    benchmark::DoNotOptimize(
        BaseAndFoot({v[k], v[k + 1]}, {v[k + 2], v[k + 3]}, {v[k + 4], v[k + 5]}));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaseAndFoot);

}  // namespace
}  // namespace zavin::geometry
