#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdint>

namespace zavin::platform {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

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

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Bytes without a mark that are not valid UTF-8: code page 932, unless some
// non-ASCII lines are valid UTF-8 (a UTF-8 file with a line another program
// wrote in the code page, or the other way round). Such a file is decoded
// line by line and takes the encoding most of its non-ASCII lines have.
void DecodeWithoutMark(std::string_view bytes, DecodedText& d) {
  std::size_t utf8_lines = 0, other_lines = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
    const std::string_view line = bytes.substr(start, end - start);
    if (!IsValidUtf8(line))
      ++other_lines;
    else if (!IsAscii(line))
      ++utf8_lines;
    start = end;
  }
  if (utf8_lines == 0) {
    d.encoding = TextEncoding::SystemCodePage;
    d.utf8 = CodePageToUtf8Replacing(bytes, kSystemCodePage, &d.lossless);
    return;
  }
  d.encoding = utf8_lines >= other_lines ? TextEncoding::Utf8 : TextEncoding::SystemCodePage;
  d.lossless = false;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
    const std::string_view line = bytes.substr(start, end - start);
    if (IsValidUtf8(line))
      d.utf8 += line;
    else
      d.utf8 += CodePageToUtf8Replacing(line, kSystemCodePage);
    start = end;
  }
}

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

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    out += kReplacement;
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

std::string CodePageToUtf8Replacing(std::string_view bytes, unsigned code_page, bool* lossless) {
  std::string out;
  while (!bytes.empty()) {
    const std::optional<std::size_t> done = CodePageToUtf8(bytes, code_page, out);
    if (!done) {
      if (lossless) *lossless = false;
      return out;
    }
    if (*done >= bytes.size()) break;
    // Skip the one byte that starts no character.
    out += kReplacement;
    if (lossless) *lossless = false;
    bytes.remove_prefix(*done + 1);
  }
  return out;
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
    DecodeWithoutMark(bytes, d);
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
      if (Utf8ToCodePage(utf8, kSystemCodePage, cp) && (cp == utf8 || !IsValidUtf8(cp))) {
        out = std::move(cp);
        return encoding;
      }
      out = "\xEF\xBB\xBF" + std::string(utf8);
      return TextEncoding::Utf8Bom;
    }
  }
  return encoding;
}

}  // namespace zavin::platform
