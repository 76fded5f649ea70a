#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geometry/rounding.h"

namespace zavin::geometry {

__extension__ typedef __int128 DecimalUnits;

// An exact decimal number, units x 10^-scale. Sums, differences and products
// are exact; the caller keeps magnitudes within what 128 bits hold (figures
// of up to 15 significant digits and their products do).
class Decimal {
 public:
  Decimal() = default;
  Decimal(DecimalUnits units, int scale) : units_(units), scale_(scale) {}

  // A written figure: optional '-', digits, optional '.' and digits.
  static std::optional<Decimal> Parse(std::string_view text);
  // `value` rounded to `digits` decimals (0..6) as RoundToText writes it.
  // Nothing for a value that is not finite or has more than 15 significant
  // digits at that many decimals, where the written figure stops being exact.
  static std::optional<Decimal> Rounded(double value, int digits, RoundingMode mode);

  DecimalUnits Units() const { return units_; }
  int Scale() const { return scale_; }
  int Sign() const { return units_ > 0 ? 1 : units_ < 0 ? -1 : 0; }
  Decimal Abs() const { return {units_ < 0 ? -units_ : units_, scale_}; }
  // The same value with `scale` decimals; `scale` must not be below Scale().
  Decimal Widened(int scale) const;
  // To `digits` decimals by the tool's rule: only the first dropped digit
  // decides (half up: 5 or more raises; up: not 0 raises). Applied to the
  // magnitude. Digits at or above Scale() change nothing.
  Decimal Round(int digits, RoundingMode mode) const;
  // Exact half: one decimal more.
  Decimal Half() const { return Widened(scale_ + 1).HalfOfEven(); }

  // Fixed notation with exactly Scale() decimals, '-' unless zero.
  std::string Text() const;
  // The nearest double (exact for up to 15 significant digits).
  double ToDouble() const;

  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend bool operator==(const Decimal& a, const Decimal& b) { return Compare(a, b) == 0; }
  friend bool operator<(const Decimal& a, const Decimal& b) { return Compare(a, b) < 0; }
  friend bool operator>(const Decimal& a, const Decimal& b) { return Compare(a, b) > 0; }
  friend bool operator<=(const Decimal& a, const Decimal& b) { return Compare(a, b) <= 0; }

 private:
  static int Compare(const Decimal& a, const Decimal& b);
  Decimal HalfOfEven() const { return {units_ / 2, scale_}; }

  DecimalUnits units_ = 0;
  int scale_ = 0;
};

// 10^n for n in 0..36.
DecimalUnits PowerOfTenUnits(int n);

}  // namespace zavin::geometry
