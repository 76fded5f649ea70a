#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zavin::geometry {

// How the decision digit (the first decimal after the kept ones) acts on the
// last kept decimal. A stored value outside 0..2 behaves as Truncate.
enum class RoundingMode : int {
  Truncate = 0,  // 切捨: never raises
  HalfUp = 1,    // 四捨: raises when the decision digit is 5 or more
  Up = 2,        // 切上: raises when the decision digit is not 0
};

inline constexpr int kMinDigits = 0;
inline constexpr int kMaxDigits = 6;

// Digits and mode of one kind of written figure (lengths, areas, totals).
struct TRounding {
  int digits = 2;
  RoundingMode mode = RoundingMode::HalfUp;
};

// The text a length or area is written as: fixed notation with exactly
// `digits` decimals ('.' whatever the locale), no sign for non-negative values,
// no point for 0 digits. Decimal rounding: value x 10^(digits+1) is read at 15
// significant digits, so 0.285 is the decimal 0.285 (half up: "0.29"), and
// only the decimal right after the kept ones decides, in every mode.
// Digits outside 0..6 are clamped. Negative values round their magnitude and
// get a leading '-' unless the result is zero. Beyond 15 significant digits the
// scaled value's digits are kept as they read. NaN gives "nan", infinities
// "inf" and "-inf", so a broken figure never reads as a plausible number.
std::string RoundToText(int digits, RoundingMode mode, double value);

// Reads a written figure back as a number, independent of the locale.
// Surrounding blanks are ignored; anything else that is not a complete finite
// decimal number ("nan", "inf", "1,5", "") gives nothing.
std::optional<double> ParseWrittenNumber(std::string_view text);

}  // namespace zavin::geometry
