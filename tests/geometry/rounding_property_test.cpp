// RoundToText against exact decimal arithmetic for every value k / 10^7,
// k = 0 .. 10^7: the value fed in is the double nearest k / 10^7, and the
// 15-digit step must make the decimal k / 10^7 itself the one that is rounded.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>

#include "geometry/rounding.h"

namespace zavin::geometry {
namespace {

constexpr std::int64_t kSteps = 10'000'000;  // 10^7: seven decimals

// Rounds k / 10^7 to n decimals on k's digits alone.
std::string ExactDecimal(std::int64_t k, int n, RoundingMode mode) {
  std::int64_t cut = 1;  // drops the decimals after the decision digit
  for (int i = n + 1; i < 7; ++i) cut *= 10;
  const std::int64_t scaled = k / cut;  // k / 10^(6 - n): n + 1 decimals
  std::int64_t q = scaled / 10;
  const std::int64_t decision = scaled % 10;
  if ((mode == RoundingMode::HalfUp && decision >= 5) || (mode == RoundingMode::Up && decision > 0))
    ++q;
  std::string text = std::to_string(q);
  if (n == 0) return text;
  if (text.size() <= static_cast<std::size_t>(n)) text.insert(0, n + 1 - text.size(), '0');
  text.insert(text.size() - n, 1, '.');
  return text;
}

std::string ModeName(RoundingMode mode) {
  switch (mode) {
    case RoundingMode::Truncate:
      return "Truncate";
    case RoundingMode::HalfUp:
      return "HalfUp";
    case RoundingMode::Up:
      return "Up";
  }
  return "Other";
}

}  // namespace

// Readable parameters in test listings; found by argument-dependent lookup.
void PrintTo(RoundingMode mode, std::ostream* os) { *os << ModeName(mode); }

namespace {

class EveryTenMillionth : public testing::TestWithParam<std::tuple<RoundingMode, int>> {};

TEST_P(EveryTenMillionth, MatchesExactDecimalRounding) {
  const auto [mode, n] = GetParam();
  std::int64_t mismatches = 0;
  std::string examples;
  for (std::int64_t k = 0; k <= kSteps; ++k) {
    const double value = static_cast<double>(k) / static_cast<double>(kSteps);
    const std::string actual = RoundToText(n, mode, value);
    const std::string expected = ExactDecimal(k, n, mode);
    if (actual != expected && ++mismatches <= 5)
      examples += "\n  k=" + std::to_string(k) + ": got " + actual + ", want " + expected;
  }
  EXPECT_EQ(mismatches, 0) << examples;
}

// One case per mode and digit count, so that ctest can run them in parallel.
INSTANTIATE_TEST_SUITE_P(
    AllModesAndDigits, EveryTenMillionth,
    testing::Combine(testing::Values(RoundingMode::Truncate, RoundingMode::HalfUp, RoundingMode::Up),
                     testing::Range(kMinDigits, kMaxDigits + 1)),
    [](const testing::TestParamInfo<EveryTenMillionth::ParamType>& param) {
      return ModeName(std::get<0>(param.param)) + "_" + std::to_string(std::get<1>(param.param)) +
             "digits";
    });

}  // namespace
}  // namespace zavin::geometry
