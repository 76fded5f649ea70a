#include "geometry/rounding.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <random>
#include <string>

namespace zavin::geometry {
namespace {

constexpr RoundingMode kModes[] = {RoundingMode::Truncate, RoundingMode::HalfUp, RoundingMode::Up};

struct ModeCase {
  double value;
  int digits;
  const char* truncate;
  const char* halfUp;
  const char* up;
};

void ExpectAllModes(const ModeCase& c) {
  SCOPED_TRACE(testing::Message() << c.value << " at " << c.digits << " digits");
  EXPECT_EQ(RoundToText(c.digits, RoundingMode::Truncate, c.value), c.truncate);
  EXPECT_EQ(RoundToText(c.digits, RoundingMode::HalfUp, c.value), c.halfUp);
  EXPECT_EQ(RoundToText(c.digits, RoundingMode::Up, c.value), c.up);
}

TEST(RoundToText, OnlyTheNextDecimalDecides) {
  const ModeCase cases[] = {
      {1.2345, 2, "1.23", "1.23", "1.24"},
      {1.2350, 2, "1.23", "1.24", "1.24"},
      {12.3401, 2, "12.34", "12.34", "12.34"},
      {12.3451, 2, "12.34", "12.35", "12.35"},
      {12.3409, 3, "12.340", "12.341", "12.341"},
      {0.00004, 4, "0.0000", "0.0000", "0.0001"},
      {0.000004, 4, "0.0000", "0.0000", "0.0000"},
      {0, 4, "0.0000", "0.0000", "0.0000"},
      {0.000000001, 2, "0.00", "0.00", "0.00"},
      {123.456, 6, "123.456000", "123.456000", "123.456000"},
      {9.995, 2, "9.99", "10.00", "10.00"},
      {99999.99, 1, "99999.9", "100000.0", "100000.0"},
  };
  for (const auto& c : cases) ExpectAllModes(c);
}

// Ties whose doubles lie below or above the decimal: the 15-digit step makes
// the decimal itself decide.
TEST(RoundToText, DecimalTiesAtZeroAndSixDigits) {
  const ModeCase cases[] = {
      {2.5, 0, "2", "3", "3"},
      {0.5, 0, "0", "1", "1"},
      {1.4, 0, "1", "1", "2"},
      {2.0, 0, "2", "2", "2"},
      {0.05, 0, "0", "0", "0"},
      {0.95, 0, "0", "1", "1"},
      {1234567.5, 0, "1234567", "1234568", "1234568"},
      {0.0000005, 6, "0.000000", "0.000001", "0.000001"},
      {1.2345675, 6, "1.234567", "1.234568", "1.234568"},
      {0.1234564, 6, "0.123456", "0.123456", "0.123457"},
      {2.0000005, 6, "2.000000", "2.000001", "2.000001"},
      {0.0000015, 6, "0.000001", "0.000002", "0.000002"},
      {0.9999995, 6, "0.999999", "1.000000", "1.000000"},
      {0.285, 2, "0.28", "0.29", "0.29"},
      {1.005, 2, "1.00", "1.01", "1.01"},
      {1.015, 2, "1.01", "1.02", "1.02"},
      {8.345, 2, "8.34", "8.35", "8.35"},
  };
  for (const auto& c : cases) ExpectAllModes(c);
}

TEST(RoundToText, DigitsOutsideTheRangeAreClamped) {
  EXPECT_EQ(RoundToText(-1, RoundingMode::HalfUp, 2.5), "3");
  EXPECT_EQ(RoundToText(-1000, RoundingMode::HalfUp, 2.5), "3");
  EXPECT_EQ(RoundToText(7, RoundingMode::HalfUp, 0.12345675), "0.123457");
  EXPECT_EQ(RoundToText(std::numeric_limits<int>::max(), RoundingMode::Up, 1), "1.000000");
  EXPECT_EQ(RoundToText(std::numeric_limits<int>::min(), RoundingMode::Up, 1.1), "2");
}

TEST(RoundToText, UnknownModesTruncate) {
  for (const int stored : {3, -1, 100}) {
    SCOPED_TRACE(stored);
    EXPECT_EQ(RoundToText(2, static_cast<RoundingMode>(stored), 1.239), "1.23");
  }
}

TEST(RoundToText, NegativeValuesRoundTheirMagnitude) {
  const ModeCase cases[] = {
      {-1.235, 2, "-1.23", "-1.24", "-1.24"},
      {-2.5, 0, "-2", "-3", "-3"},
      {-0.0001, 2, "0.00", "0.00", "0.00"},  // no "-0.00"
      {-0.0, 2, "0.00", "0.00", "0.00"},
      {-0.004, 2, "0.00", "0.00", "-0.01"},
      {-0.005, 2, "0.00", "-0.01", "-0.01"},
  };
  for (const auto& c : cases) ExpectAllModes(c);
}

TEST(RoundToText, NonFiniteValuesNeverReadAsFigures) {
  for (const RoundingMode mode : kModes) {
    EXPECT_EQ(RoundToText(2, mode, std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(RoundToText(2, mode, std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(RoundToText(2, mode, -std::numeric_limits<double>::infinity()), "-inf");
  }
}

// Past 15 significant digits of the scaled value the digits read as zeros,
// so the decision digit is 0 in every mode.
TEST(RoundToText, HugeValuesKeepFifteenDigitsAndNeverBreak) {
  for (const RoundingMode mode : kModes) {
    EXPECT_EQ(RoundToText(0, mode, 123456789012345678.0), "123456789012346000");
    EXPECT_EQ(RoundToText(2, mode, 999999999999.99), "999999999999.99");
    // Just below 10^15 after scaling: the 15-digit form carries into a new digit.
    EXPECT_EQ(RoundToText(0, mode, 99999999999999.99), "100000000000000");
    const std::string max = RoundToText(6, mode, std::numeric_limits<double>::max());
    EXPECT_EQ(max.size(), 309u + 7u);
    EXPECT_EQ(max.substr(0, 15), "179769313486232");
    EXPECT_EQ(max.substr(max.size() - 7), ".000000");
  }
}

// The steps written out literally, with printf's "%.15Lg" as the 15-digit
// form; valid while the scaled value stays below 10^15.
std::string LiteralRoundToText(int n, RoundingMode mode, double value) {
  long double scale = 1;
  for (int i = 0; i < n + 1; ++i) scale *= 10;
  const long double m = static_cast<long double>(value) * scale;
  char form[64];
  std::snprintf(form, sizeof form, "%.15Lg", m);
  std::string k = form;
  if (k.find('e') != std::string::npos) k = "0";  // below 1e-4
  k = k.substr(0, k.find('.'));
  const int d = k.back() - '0';
  unsigned long long q = k.size() > 1 ? std::stoull(k.substr(0, k.size() - 1)) : 0;
  if ((mode == RoundingMode::HalfUp && d >= 5) || (mode == RoundingMode::Up && d > 0)) ++q;
  std::string text = std::to_string(q);
  if (n == 0) return text;
  if (text.size() < static_cast<std::size_t>(n + 1)) text.insert(0, n + 1 - text.size(), '0');
  text.insert(text.size() - n, 1, '.');
  return text;
}

TEST(RoundToText, AgreesWithTheLiteralStepsOnRandomAndNearTieValues) {
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> exponent(-9, 8);
  std::uniform_int_distribution<long long> fifteen(100000000000000LL, 999999999999999LL);
  std::uniform_int_distribution<int> digits(0, 6);
  std::uniform_int_distribution<int> mode(0, 2);
  std::uniform_int_distribution<int> shift(0, 13);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    const int n = digits(rng);
    const auto m = static_cast<RoundingMode>(mode(rng));
    double value = std::pow(10.0, exponent(rng));
    if (i % 3 == 1) {
      // 15 digits and a trailing 5: the scaled value sits near a 16th-digit half.
      const double tie = static_cast<double>(fifteen(rng)) * 10 + 5;
      value = tie / std::pow(10.0, 15 - shift(rng) + n);
    } else if (i % 3 == 2) {
      // L / 2^(n+2) with L odd scales to exactly L x 5^(n+1) / 2: a 15-digit
      // integer and a half, where the 15-digit step decides the units digit.
      const double five = std::pow(5.0, n + 1);
      std::uniform_int_distribution<long long> half(static_cast<long long>(1e14 / five),
                                                   static_cast<long long>(1e15 / five) - 1);
      value = static_cast<double>(half(rng) * 2 + 1) / std::ldexp(1.0, n + 2);
    }
    if (value * std::pow(10.0, n + 1) >= 1e15) continue;
    const std::string expected = LiteralRoundToText(n, m, value);
    const std::string actual = RoundToText(n, m, value);
    ASSERT_EQ(actual, expected) << value << " at " << n << " digits, mode " << static_cast<int>(m);
    // A written figure is its own value: rounding it again changes nothing.
    const std::optional<double> back = ParseWrittenNumber(actual);
    ASSERT_TRUE(back) << actual;
    for (const RoundingMode again : kModes) ASSERT_EQ(RoundToText(n, again, *back), actual);
    ++checked;
  }
  EXPECT_GT(checked, 150000);
}

TEST(ParseWrittenNumber, ReadsOnlyWholeDecimalNumbers) {
  const struct {
    const char* text;
    std::optional<double> expected;
  } cases[] = {
      {"12.34", 12.34}, {" 3.00  ", 3.0}, {"-0.5", -0.5}, {"7", 7.0},  {"", std::nullopt},
      {"   ", std::nullopt}, {"1,5", std::nullopt}, {"1.5x", std::nullopt}, {"abc", std::nullopt},
      {"1e400", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseWrittenNumber(c.text), c.expected);
  }
}

// A decimal comma in the global C++ locale, and in the C locale when the system
// has one, must not reach the written figures.
class CommaLocale : public testing::Test {
 protected:
  struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };

  void SetUp() override {
    saved_ = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    savedC_ = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
      if (std::setlocale(LC_ALL, name)) break;
  }
  void TearDown() override {
    std::setlocale(LC_ALL, savedC_.c_str());
    std::locale::global(saved_);
  }

 private:
  std::locale saved_;
  std::string savedC_;
};

TEST_F(CommaLocale, FiguresKeepTheDecimalPoint) {
  EXPECT_EQ(RoundToText(2, RoundingMode::HalfUp, 1234.5678), "1234.57");
  EXPECT_EQ(RoundToText(6, RoundingMode::Up, 1234567.0000001), "1234567.000001");
  EXPECT_EQ(RoundToText(0, RoundingMode::HalfUp, 1234567.5), "1234568");
  EXPECT_EQ(ParseWrittenNumber("1234.57"), 1234.57);
  EXPECT_EQ(ParseWrittenNumber("1234,57"), std::nullopt);
}

}  // namespace
}  // namespace zavin::geometry
