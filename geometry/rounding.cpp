#include "geometry/rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace zavin::geometry {

namespace {

// Powers of ten up to 10^15 are exact in a 64-bit mantissa.
constexpr long double kPow10L[] = {1e0L, 1e1L, 1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                   1e8L, 1e9L, 1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L};
constexpr std::uint64_t kPow10U[] = {1ULL,
                                     10ULL,
                                     100ULL,
                                     1000ULL,
                                     10000ULL,
                                     100000ULL,
                                     1000000ULL,
                                     10000000ULL,
                                     100000000ULL,
                                     1000000000ULL,
                                     10000000000ULL,
                                     100000000000ULL,
                                     1000000000000ULL,
                                     10000000000000ULL,
                                     100000000000000ULL,
                                     1000000000000000ULL};

constexpr int kSignificant = 15;

// A positive value rounded to 15 significant decimals:
// value = digits x 10^(exponent - 14), digits in [10^14, 10^15).
struct Decimal15 {
  std::uint64_t digits;
  int exponent;
};

// Correctly rounded conversion (to nearest; exact ties to even).
Decimal15 Exact15(long double m) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, m, std::chars_format::scientific,
                                 kSignificant - 1);
  // "d.dddddddddddddde+XX"
  const char* p = buf;
  std::uint64_t digits = 0;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  int exponent = 0;
  if (p < res.ptr) ++p;  // 'e'
  const bool negative = p < res.ptr && *p == '-';
  if (p < res.ptr && (*p == '-' || *p == '+')) ++p;
  std::from_chars(p, res.ptr, exponent);
  return {digits, negative ? -exponent : exponent};
}

// Fast form of Exact15 for 0.5 <= m < 10^15. The one rounded product has an
// error below 6e-5 at 15 digits, so any fraction clear of the half by 1e-3 is
// decided correctly; the rest goes to the exact conversion.
std::optional<Decimal15> Fast15(long double m) {
  int e = -1;  // m in [10^e, 10^(e+1)); [0.5, 1) counts as e = -1
  if (m >= 1) {
    e = 0;
    while (e < kSignificant - 1 && kPow10L[e + 1] <= m) ++e;
  }
  const long double y = m * kPow10L[kSignificant - 1 - e];
  const auto whole = static_cast<std::uint64_t>(y);  // y < 10^15: truncation is floor
  const long double frac = y - static_cast<long double>(whole);
  if (std::fabs(frac - 0.5L) < 1e-3L) return std::nullopt;
  const std::uint64_t digits = whole + (frac > 0.5L ? 1 : 0);
  if (digits == kPow10U[kSignificant]) return Decimal15{kPow10U[kSignificant - 1], e + 1};
  return Decimal15{digits, e};
}

// q / 10^n in fixed notation with exactly n decimals.
std::string FormatScaled(std::uint64_t q, int n, bool negative) {
  char buf[32];
  char* const end = buf + sizeof buf;
  char* p = end;
  int written = 0;
  do {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
    if (++written == n) *--p = '.';
  } while (q != 0 || written <= n);
  if (negative) *--p = '-';
  return std::string(p, end);
}

// Scaled values of 10^15 and more: the integer part is the 15 digits followed
// by zeros, so the decision digit is 0 and no mode raises.
std::string FormatLarge(const Decimal15& d, int n, bool negative) {
  std::string q = std::to_string(d.digits);
  q.append(static_cast<std::size_t>(d.exponent - kSignificant), '0');
  if (n > 0) q.insert(q.size() - static_cast<std::size_t>(n), 1, '.');
  if (negative) q.insert(q.begin(), '-');
  return q;
}

}  // namespace

std::string RoundToText(int digits, RoundingMode mode, double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  const int n = std::clamp(digits, kMinDigits, kMaxDigits);
  const bool negative = value < 0;
  const long double m = std::fabs(static_cast<long double>(value)) * kPow10L[n + 1];
  // Below 0.5 even the 15-digit form has no units digit.
  if (m < 0.5L) return FormatScaled(0, n, false);

  std::optional<Decimal15> d15;
  if (m < kPow10L[kSignificant]) d15 = Fast15(m);
  if (!d15) d15 = Exact15(m);
  if (d15->exponent >= kSignificant) return FormatLarge(*d15, n, negative);

  const std::uint64_t units =
      d15->exponent < 0 ? 0 : d15->digits / kPow10U[kSignificant - 1 - d15->exponent];
  std::uint64_t q = units / 10;
  const std::uint64_t decision = units % 10;
  switch (mode) {
    case RoundingMode::HalfUp:
      if (decision >= 5) ++q;
      break;
    case RoundingMode::Up:
      if (decision > 0) ++q;
      break;
    default:
      break;
  }
  return FormatScaled(q, n, negative && q != 0);
}

std::optional<double> ParseWrittenNumber(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

}  // namespace zavin::geometry
