// Code-page conversions through MultiByteToWideChar and WideCharToMultiByte
// (the Windows backend).

#include "platform/text_encoding.h"

#include <windows.h>

#include <string>

namespace zavin::platform {
namespace {

// UTF-16 to UTF-8; the input is whole characters.
void AppendWideAsUtf8(const std::wstring& wide, std::string& out) {
  if (wide.empty()) return;
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data() + at, n,
                      nullptr, nullptr);
}

// `bytes` in `code_page` as UTF-16; false when some byte sequence is not a
// character of the code page.
bool ToWide(std::string_view bytes, UINT code_page, std::wstring& wide) {
  wide.clear();
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n) == n;
}

}  // namespace

std::optional<std::size_t> CodePageToUtf8(std::string_view bytes, unsigned code_page, std::string& out) {
  CPINFO info;
  if (code_page == CP_UTF8 || !IsValidCodePage(code_page) || !GetCPInfo(code_page, &info))
    return std::nullopt;
  std::wstring wide;
  if (ToWide(bytes, code_page, wide)) {
    AppendWideAsUtf8(wide, out);
    return bytes.size();
  }
  // Some byte starts no character: convert character by character up to it.
  // The code pages here have characters of one byte or of a lead byte and a
  // trail byte.
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto lead = static_cast<BYTE>(bytes[done]);
    const std::size_t len = info.MaxCharSize > 1 && IsDBCSLeadByteEx(code_page, lead) ? 2 : 1;
    if (done + len > bytes.size() || !ToWide(bytes.substr(done, len), code_page, wide)) break;
    AppendWideAsUtf8(wide, out);
    done += len;
  }
  return done;
}

bool Utf8ToCodePage(std::string_view utf8, unsigned code_page, std::string& out) {
  out.clear();
  if (!IsValidUtf8(utf8) || code_page == CP_UTF8 || !IsValidCodePage(code_page)) return false;
  std::wstring wide;
  if (!ToWide(utf8, CP_UTF8, wide)) return false;
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  // No best-fit mapping and no default character: a character the code page
  // lacks is a failure, not a silent "?".
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                    nullptr, &used_default);
  if (n <= 0 || used_default) return false;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr,
                      &used_default);
  return !used_default;
}

}  // namespace zavin::platform
