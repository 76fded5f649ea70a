// Code-page conversions through iconv (the Linux backend).

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/text_encoding.h"

namespace zavin::platform {
namespace {

// One iconv conversion descriptor for the scope of a call.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Appends the conversion of `in` to `out`; stops at an invalid or
  // unconvertible sequence. Returns the number of bytes of `in` consumed.
  std::size_t Convert(std::string_view in, std::string& out) {
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[1024];
    while (left > 0) {
      char* dst = buf;
      std::size_t room = sizeof buf;
      const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    return in.size() - left;
  }

 private:
  iconv_t cd_;
};

std::string IconvName(unsigned code_page) { return "CP" + std::to_string(code_page); }

}  // namespace

std::optional<std::size_t> CodePageToUtf8(std::string_view bytes, unsigned code_page, std::string& out) {
  Iconv cd("UTF-8", IconvName(code_page));
  if (!cd.ok()) return std::nullopt;
  return cd.Convert(bytes, out);
}

bool Utf8ToCodePage(std::string_view utf8, unsigned code_page, std::string& out) {
  out.clear();
  if (!IsValidUtf8(utf8)) return false;
  Iconv cd(IconvName(code_page), "UTF-8");
  if (!cd.ok()) return false;
  return cd.Convert(utf8, out) == utf8.size();
}

}  // namespace zavin::platform
