#include "survey/code_page.h"

#include <cerrno>
#include <iconv.h>

namespace zavin::survey {

namespace {

// Converts all of `in`; nothing on the first sequence that is invalid in the
// source or has no code in the target, `bad` then being its offset.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in,
                                   std::size_t& bad) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    bad = 0;
    return std::nullopt;
  }
  std::string out;
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  bool good = true;
  char buf[4096];
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      good = false;
      break;
    }
  }
  iconv_close(cd);
  if (!good) {
    bad = in.size() - left;
    return std::nullopt;
  }
  return out;
}

}  // namespace

bool IsUtf8(std::string_view s) {
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned c = b[i];
    std::size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c < 0x80) len = 1;
    else if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    else return false;
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const unsigned t = b[i + k];
      if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) return false;
    }
    i += len;
  }
  return true;
}

std::optional<std::string> ShiftJisToUtf8(std::string_view bytes, std::size_t& bad) {
  return Convert("UTF-8", "CP932", bytes, bad);
}

std::optional<std::string> Utf8ToShiftJis(std::string_view utf8) {
  std::size_t bad = 0;
  return Convert("CP932", "UTF-8", utf8, bad);
}

}  // namespace zavin::survey
