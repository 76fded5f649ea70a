#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "tests/platform/comma_locale.h"

namespace zavin::platform {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NumberText, WritesAPointAndNoGroupingUnderACommaLocale) {
  tests::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.active());
  char printf_text[32];
  std::snprintf(printf_text, sizeof printf_text, "%.4f", 1234.5);
  ASSERT_STREQ(printf_text, "1234,5000") << "the locale does not change the decimal sign";

  struct {
    std::string text, expected;
  } cases[] = {
      {FixedText(1234.5, 4), "1234.5000"},
      {FixedText(-0.125, 2), "-0.12"},  // to nearest even, as printf
      {FixedText(2.5, 0), "2"},
      {FixedText(1e300, 1).substr(0, 4), "1000"},
      {FixedText(kNaN, 3), "nan"},
      {FixedText(-kInf, 3), "-inf"},
      {ShortestText(0.1), "0.1"},
      {ShortestText(1234567.25), "1234567.25"},
      {ShortestText(kInf), "inf"},
      {SignificantText(1.0 / 3.0, 15), "0.333333333333333"},
      {SignificantText(12345678901234567.0, 15), "1.23456789012346e+16"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.expected);
  EXPECT_EQ(FixedText(1e300, 1).size(), 303u);
}

}  // namespace
}  // namespace zavin::platform
