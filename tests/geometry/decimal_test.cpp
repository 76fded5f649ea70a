#include "geometry/decimal.h"

#include <gtest/gtest.h>

#include <limits>

#include "geometry/land_area.h"

namespace zavin::geometry {
namespace {

Decimal D(const char* text) { return *Decimal::Parse(text); }

TEST(DecimalTest, ArithmeticIsExactAndKeepsItsDigits) {
  EXPECT_EQ((D("0.1") + D("0.2")).Text(), "0.3");
  EXPECT_EQ((D("12.346") - D("20.001")).Text(), "-7.655");
  EXPECT_EQ((D("15.001") * D("-10.000")).Text(), "-150.010000");
  EXPECT_EQ(D("3.000001").Half().Text(), "1.5000005");
  EXPECT_EQ(D("-0.5").Half().Text(), "-0.25");
  EXPECT_EQ(D("0.000").Text(), "0.000");
  EXPECT_EQ(D("-0.001").Text(), "-0.001");
  // 25 + 6 digits: beyond what a double holds.
  EXPECT_EQ((D("9999999999999.999") * D("9999999999999.999")).Text(),
            "99999999999999980000000000.000001");
  EXPECT_TRUE(D("1.50") == D("1.5"));
  EXPECT_TRUE(D("-2") < D("1.999"));
  for (const char* bad : {"", "-", ".", "1.2.3", "1e3", "1,5", " 1"}) EXPECT_FALSE(Decimal::Parse(bad)) << bad;
}

TEST(DecimalTest, RoundsByTheFirstDroppedDigitAsTheToolDoes) {
  const struct {
    const char* value;
    int digits;
    RoundingMode mode;
    const char* expected;
  } cases[] = {
      {"100.053245", 2, RoundingMode::Truncate, "100.05"},
      {"100.055", 2, RoundingMode::HalfUp, "100.06"},
      {"100.054999", 2, RoundingMode::HalfUp, "100.05"},
      {"100.051", 2, RoundingMode::Up, "100.06"},
      {"100.0501", 2, RoundingMode::Up, "100.05"},  // only the first dropped digit decides
      {"-2.345", 2, RoundingMode::HalfUp, "-2.35"},
      {"0.4", 0, RoundingMode::HalfUp, "0"},
      {"1.5", 3, RoundingMode::Truncate, "1.5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(D(c.value).Round(c.digits, c.mode).Text(), c.expected) << c.value << " " << c.digits;
}

TEST(DecimalTest, RoundedFromADoubleAgreesWithTheWrittenFigure) {
  EXPECT_EQ(Decimal::Rounded(12.3456785, 3, RoundingMode::HalfUp)->Text(), "12.346");
  EXPECT_EQ(Decimal::Rounded(0.285, 2, RoundingMode::HalfUp)->Text(), "0.29");
  EXPECT_EQ(Decimal::Rounded(-1.0005, 3, RoundingMode::HalfUp)->Text(), "-1.001");
  EXPECT_FALSE(Decimal::Rounded(1e12, 3, RoundingMode::HalfUp));  // 16 digits
  EXPECT_FALSE(Decimal::Rounded(std::numeric_limits<double>::quiet_NaN(), 3, RoundingMode::HalfUp));
}

TEST(LandAreaTest, CutsByTheLandCategory) {
  const struct {
    Chimoku chimoku;
    double area;
    const char* expected;
  } cases[] = {
      {Chimoku::Takuchi, 100.053245, "100.05"}, {Chimoku::Kousenchi, 100.059999, "100.05"},
      {Chimoku::Other, 100.053245, "100"},      {Chimoku::Other, 10.999, "10"},
      {Chimoku::Other, 10.0, "10.00"},          {Chimoku::Takuchi, 9.053245, "9.05"},
      {Chimoku::Kousenchi, 9.053245, "9.05"},   {Chimoku::Other, 9.053245, "9.05"},
      {Chimoku::Takuchi, 0.2, "0.20"},          {Chimoku::Other, 1234567.899, "1234567"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LandAreaText(c.chimoku, c.area), c.expected) << static_cast<int>(c.chimoku) << " " << c.area;
  EXPECT_FALSE(LandAreaText(Chimoku::None, 100.053245));
  EXPECT_EQ(LandAreaText(Chimoku::Other, D("10.000001")), "10");
  EXPECT_EQ(ChimokuFromInt(2), Chimoku::Kousenchi);
  EXPECT_EQ(ChimokuFromInt(7), Chimoku::None);
  EXPECT_EQ(ChimokuFromInt(-1), Chimoku::None);
}

}  // namespace
}  // namespace zavin::geometry
