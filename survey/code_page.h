#pragma once

// Shift_JIS (code page 932) and UTF-8 for the SIMA files.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zavin::survey {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view bytes);

// Code page 932 to UTF-8; nothing when some bytes are not code page 932,
// `bad` then being the offset of the first of them.
std::optional<std::string> ShiftJisToUtf8(std::string_view bytes, std::size_t& bad);

// UTF-8 to code page 932; nothing when some character has no code there.
std::optional<std::string> Utf8ToShiftJis(std::string_view utf8);

}  // namespace zavin::survey
