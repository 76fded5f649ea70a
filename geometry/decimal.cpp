#include "geometry/decimal.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zavin::geometry {

DecimalUnits PowerOfTenUnits(int n) {
  if (n < 0 || n > 36) throw std::out_of_range("power of ten out of range");
  DecimalUnits p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  DecimalUnits units = 0;
  int scale = 0;
  bool point = false;
  int digits = 0;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9' || ++digits > 36) return std::nullopt;
    units = units * 10 + (c - '0');
    if (point) ++scale;
  }
  if (digits == 0) return std::nullopt;
  return Decimal(negative ? -units : units, scale);
}

std::optional<Decimal> Decimal::Rounded(double value, int digits, RoundingMode mode) {
  const int n = std::clamp(digits, kMinDigits, kMaxDigits);
  if (!std::isfinite(value) || !(std::fabs(value) * std::pow(10.0, n) < 1e15)) return std::nullopt;
  return Parse(RoundToText(n, mode, value));
}

Decimal Decimal::Widened(int scale) const {
  if (scale < scale_) throw std::invalid_argument("a decimal cannot be widened to fewer digits");
  return {units_ * PowerOfTenUnits(scale - scale_), scale};
}

Decimal Decimal::Round(int digits, RoundingMode mode) const {
  if (digits >= scale_) return *this;
  const DecimalUnits magnitude = units_ < 0 ? -units_ : units_;
  const DecimalUnits step = PowerOfTenUnits(scale_ - digits - 1);
  const DecimalUnits scaled = magnitude / step;  // kept digits and the decision digit
  DecimalUnits q = scaled / 10;
  const int decision = static_cast<int>(scaled % 10);
  if ((mode == RoundingMode::HalfUp && decision >= 5) || (mode == RoundingMode::Up && decision > 0)) ++q;
  return {units_ < 0 ? -q : q, digits};
}

std::string Decimal::Text() const {
  DecimalUnits magnitude = units_ < 0 ? -units_ : units_;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(digits.size()) <= scale_)
    digits.insert(0, static_cast<std::size_t>(scale_ + 1) - digits.size(), '0');
  if (scale_ > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale_), 1, '.');
  if (units_ < 0) digits.insert(digits.begin(), '-');
  return digits;
}

double Decimal::ToDouble() const { return ParseWrittenNumber(Text()).value_or(0); }

namespace {
int CommonScale(const Decimal& a, const Decimal& b) { return std::max(a.Scale(), b.Scale()); }
}  // namespace

Decimal operator+(const Decimal& a, const Decimal& b) {
  const int s = CommonScale(a, b);
  return {a.Widened(s).units_ + b.Widened(s).units_, s};
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  const int s = CommonScale(a, b);
  return {a.Widened(s).units_ - b.Widened(s).units_, s};
}

Decimal operator*(const Decimal& a, const Decimal& b) { return {a.units_ * b.units_, a.scale_ + b.scale_}; }

int Decimal::Compare(const Decimal& a, const Decimal& b) {
  const int s = CommonScale(a, b);
  const DecimalUnits x = a.Widened(s).units_;
  const DecimalUnits y = b.Widened(s).units_;
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace zavin::geometry
