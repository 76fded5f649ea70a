#include "shell/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace zavin::shell {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `i`; returns its length, 0 when invalid.
std::size_t Utf8Sequence(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t len = 0;
  std::uint32_t min = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian, bool& lossless) {
  std::string out;
  const std::size_t units = bytes.size() / 2;
  if (bytes.size() % 2 != 0) lossless = false;
  auto unit = [&](std::size_t k) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[2 * k]);
    const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
    return big_endian ? (a << 8 | b) : (b << 8 | a);
  };
  for (std::size_t k = 0; k < units; ++k) {
    std::uint32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const std::uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), out);
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) {
      out += kReplacement;
      lossless = false;
    } else {
      AppendUtf8(u, out);
    }
  }
  return out;
}

void Utf8ToUtf16(std::string_view utf8, bool big_endian, std::string& out) {
  auto put = [&](std::uint32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    if (big_endian) {
      out += hi, out += lo;
    } else {
      out += lo, out += hi;
    }
  };
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t cp = 0;
    std::size_t len = Utf8Sequence(utf8, i, cp);
    if (len == 0) cp = 0xFFFD, len = 1;
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
}

// One iconv conversion descriptor for the scope of a call.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts all of `in`; on an invalid or unconvertible sequence stops and
  // returns the number of bytes consumed so far in `consumed`.
  bool Convert(std::string_view in, std::string& out, std::size_t& consumed) {
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[1024];
    bool good = true;
    while (left > 0) {
      char* dst = buf;
      std::size_t room = sizeof buf;
      const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        good = false;
        break;
      }
    }
    consumed = in.size() - left;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    return good;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::uint32_t cp = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = Utf8Sequence(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string SystemCodePageToUtf8(std::string_view bytes, bool* lossless) {
  std::string out;
  Iconv cd("UTF-8", "CP932");
  if (!cd.ok()) {
    if (lossless) *lossless = false;
    return out;
  }
  while (!bytes.empty()) {
    std::size_t consumed = 0;
    if (cd.Convert(bytes, out, consumed)) break;
    // Skip the one byte that does not start a valid sequence.
    out += kReplacement;
    if (lossless) *lossless = false;
    bytes.remove_prefix(consumed + 1 <= bytes.size() ? consumed + 1 : bytes.size());
  }
  return out;
}

bool Utf8ToSystemCodePage(std::string_view utf8, std::string& out) {
  out.clear();
  if (!IsValidUtf8(utf8)) return false;
  Iconv cd("CP932", "UTF-8");
  if (!cd.ok()) return false;
  std::size_t consumed = 0;
  return cd.Convert(utf8, out, consumed);
}

DecodedText DecodeText(std::string_view bytes) {
  DecodedText d;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    d.encoding = TextEncoding::Utf8Bom;
    bytes.remove_prefix(3);
    d.lossless = IsValidUtf8(bytes);
    if (d.lossless) {
      d.utf8 = std::string(bytes);
    } else {
      std::uint32_t cp = 0;
      for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = Utf8Sequence(bytes, i, cp);
        if (len == 0) {
          d.utf8 += kReplacement;
          ++i;
        } else {
          d.utf8.append(bytes.substr(i, len));
          i += len;
        }
      }
    }
  } else if (bytes.starts_with("\xFF\xFE")) {
    d.encoding = TextEncoding::Utf16LE;
    d.utf8 = Utf16ToUtf8(bytes.substr(2), false, d.lossless);
  } else if (bytes.starts_with("\xFE\xFF")) {
    d.encoding = TextEncoding::Utf16BE;
    d.utf8 = Utf16ToUtf8(bytes.substr(2), true, d.lossless);
  } else if (IsValidUtf8(bytes)) {
    d.encoding = TextEncoding::Utf8;
    d.utf8 = std::string(bytes);
  } else {
    d.encoding = TextEncoding::SystemCodePage;
    d.utf8 = SystemCodePageToUtf8(bytes, &d.lossless);
  }
  return d;
}

TextEncoding EncodeText(std::string_view utf8, TextEncoding encoding, std::string& out) {
  out.clear();
  switch (encoding) {
    case TextEncoding::Utf8:
      out = std::string(utf8);
      return encoding;
    case TextEncoding::Utf8Bom:
      out = "\xEF\xBB\xBF" + std::string(utf8);
      return encoding;
    case TextEncoding::Utf16LE:
      out = "\xFF\xFE";
      Utf8ToUtf16(utf8, false, out);
      return encoding;
    case TextEncoding::Utf16BE:
      out = "\xFE\xFF";
      Utf8ToUtf16(utf8, true, out);
      return encoding;
    case TextEncoding::SystemCodePage: {
      std::string cp;
      // Non-ASCII code page bytes that happen to be valid UTF-8 would be
      // taken for UTF-8 on the next read.
      if (Utf8ToSystemCodePage(utf8, cp) && (cp == utf8 || !IsValidUtf8(cp))) {
        out = std::move(cp);
        return encoding;
      }
      out = "\xEF\xBB\xBF" + std::string(utf8);
      return TextEncoding::Utf8Bom;
    }
  }
  return encoding;
}

}  // namespace zavin::shell
