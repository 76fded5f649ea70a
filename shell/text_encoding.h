#pragma once

// Text encodings of the tool's files. Inside the program every text is UTF-8.
// The system code page of the tool's users is Shift-JIS (code page 932).

#include <string>
#include <string_view>

namespace zavin::shell {

enum class TextEncoding {
  Utf8,            // UTF-8 without a byte-order mark
  Utf8Bom,         // UTF-8 with EF BB BF
  Utf16LE,         // with FF FE
  Utf16BE,         // with FE FF
  SystemCodePage,  // code page 932, no mark
};

bool IsValidUtf8(std::string_view bytes);

// Code page 932 to UTF-8; a byte that is not a valid sequence becomes U+FFFD.
// `lossless` (optional) is cleared when that happened.
std::string SystemCodePageToUtf8(std::string_view bytes, bool* lossless = nullptr);
// UTF-8 to code page 932; false when some character has no code in it.
bool Utf8ToSystemCodePage(std::string_view utf8, std::string& out);

struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::Utf8;
  bool lossless = true;  // false when some bytes could not be decoded
};

// A byte-order mark selects UTF-8 or UTF-16 (the mark is dropped); without
// one the bytes are UTF-8 when they are valid UTF-8, else code page 932.
DecodedText DecodeText(std::string_view bytes);

// Encodes with the mark of `encoding`. Returns the encoding actually used:
// text that code page 932 cannot hold, or whose code page 932 bytes would be
// read back as UTF-8, is written as UTF-8 with a mark so that nothing is lost.
TextEncoding EncodeText(std::string_view utf8, TextEncoding encoding, std::string& out);

}  // namespace zavin::shell
