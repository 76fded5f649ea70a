#pragma once

// The process's C and C++ locales switched to de_DE.UTF-8, whose decimal
// sign is a comma, for the scope. scripts/setup.sh installs the locale; a
// test that claims independence of the locale fails without it rather than
// pass without trying.

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace zavin::tests {

inline constexpr char kCommaLocale[] = "de_DE.UTF-8";

class ScopedCommaLocale {
 public:
  ScopedCommaLocale() : saved_c_(std::setlocale(LC_ALL, nullptr)), saved_cpp_(std::locale()) {
    try {
      std::locale::global(std::locale(kCommaLocale));  // sets the C locale too
      active_ = true;
    } catch (const std::runtime_error&) {
      ADD_FAILURE() << "locale " << kCommaLocale << " is missing: run scripts/setup.sh";
    }
  }
  ~ScopedCommaLocale() {
    std::locale::global(saved_cpp_);
    std::setlocale(LC_ALL, saved_c_.c_str());
  }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string saved_c_;
  std::locale saved_cpp_;
  bool active_ = false;
};

}  // namespace zavin::tests
