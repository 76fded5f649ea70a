#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace zavin::platform {
namespace {

std::string NonFinite(double value) {
  if (std::isnan(value)) return "nan";
  return value < 0 ? "-inf" : "inf";
}

template <typename... Format>
std::string ToChars(double value, Format... format) {
  if (!std::isfinite(value)) return NonFinite(value);
  // The longest fixed text of a double: 309 integer digits, a sign, a point
  // and the decimals asked for.
  std::string out(400, '\0');
  auto r = std::to_chars(out.data(), out.data() + out.size(), value, format...);
  if (r.ec == std::errc::value_too_large) {
    out.resize(out.size() * 4);
    r = std::to_chars(out.data(), out.data() + out.size(), value, format...);
  }
  out.resize(r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - out.data()) : 0);
  return out;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  return ToChars(value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
}

std::string ShortestText(double value) { return ToChars(value); }

std::string SignificantText(double value, int digits) {
  return ToChars(value, std::chars_format::general, digits < 1 ? 1 : digits);
}

}  // namespace zavin::platform
