#pragma once

// Text encodings. Inside the program every text is UTF-8; files and drawings
// may hold UTF-16 or a Windows code page, most often the system code page of
// the tool's users, Shift-JIS (code page 932).
//
// The code-page conversions are the platform backend (text_encoding_iconv.cpp
// on Linux); everything else here is portable.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zavin::platform {

inline constexpr unsigned kSystemCodePage = 932;

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of `cp`; a surrogate or a value above U+10FFFF
// appends U+FFFD.
void AppendUtf8(char32_t cp, std::string& out);

// ---- Backend ---------------------------------------------------------------

// Appends `bytes`, read in Windows code page `code_page`, to `out` as UTF-8.
// Returns how many bytes were converted: bytes.size() when all were, fewer
// when the byte at that offset starts no character of the code page (`out`
// then holds the text before it). Nothing when the platform does not know
// the code page.
std::optional<std::size_t> CodePageToUtf8(std::string_view bytes, unsigned code_page, std::string& out);

// `utf8` in Windows code page `code_page`, replacing `out`. False when the
// text is not valid UTF-8, some character has no code in the code page, or
// the platform does not know the code page.
bool Utf8ToCodePage(std::string_view utf8, unsigned code_page, std::string& out);

// ---- Portable --------------------------------------------------------------

// Like CodePageToUtf8, but a byte that starts no character becomes U+FFFD
// and the conversion goes on. `lossless` (optional) is cleared when that
// happened or the code page is unknown.
std::string CodePageToUtf8Replacing(std::string_view bytes, unsigned code_page, bool* lossless = nullptr);

enum class TextEncoding {
  Utf8,            // UTF-8 without a byte-order mark
  Utf8Bom,         // UTF-8 with EF BB BF
  Utf16LE,         // with FF FE
  Utf16BE,         // with FE FF
  SystemCodePage,  // code page 932, no mark
};

struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::Utf8;
  // False when the text is not exactly what the bytes hold: some bytes could
  // not be decoded, or the file mixes UTF-8 and code page lines. Writing such
  // a text back would change bytes the tool never meant to touch.
  bool lossless = true;
};

// The detection rule of the tool's text files (settings, host list): a
// byte-order mark selects UTF-8 or UTF-16 (the mark is dropped); without one
// the bytes are UTF-8 when they are valid UTF-8, else code page 932. A file
// without a mark whose lines are partly non-ASCII UTF-8 and partly not UTF-8
// is decoded line by line, each line in its own encoding, and is not
// lossless.
DecodedText DecodeText(std::string_view bytes);

// Encodes with the mark of `encoding`. Returns the encoding actually used:
// text that code page 932 cannot hold, or whose code page 932 bytes would be
// read back as UTF-8, is written as UTF-8 with a mark so that nothing is lost.
TextEncoding EncodeText(std::string_view utf8, TextEncoding encoding, std::string& out);

}  // namespace zavin::platform
