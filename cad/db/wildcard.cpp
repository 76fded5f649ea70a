#include "cad/db/wildcard.h"

#include <string>
#include <vector>

namespace zavin::cad {

namespace {

std::u32string Decode(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c;
    bool ok = extra > 0 && i + extra < s.size();
    if (ok) {
      cp = c & (0x3F >> extra);
      for (std::size_t k = 1; k <= extra && ok; ++k) {
        const auto n = static_cast<unsigned char>(s[i + k]);
        ok = (n & 0xC0) == 0x80;
        cp = (cp << 6) | (n & 0x3F);
      }
    }
    // Malformed sequences pass through byte by byte.
    if (!ok) {
      out.push_back(c);
      ++i;
    } else {
      out.push_back(cp);
      i += extra + 1;
    }
  }
  return out;
}

char32_t Fold(char32_t c, bool ignore_case) {
  return ignore_case && c >= U'a' && c <= U'z' ? c - 32 : c;
}
bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsLetter(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c >= 0x80; }

struct Token {
  enum Kind { Literal, Any, Star, Digit, Letter, NonAlnum, Class } kind = Literal;
  char32_t ch = 0;
  std::vector<std::pair<char32_t, char32_t>> ranges;  // Class
  bool negated = false;                               // Class
};

// Parses a class starting after '['; returns false (nothing consumed) when
// it has no closing ']'.
bool ParseClass(const std::u32string& p, std::size_t& i, Token& t) {
  std::size_t j = i;
  t = Token{};
  t.kind = Token::Class;
  if (j < p.size() && p[j] == U'~' && j + 1 < p.size() && p[j + 1] != U']') {
    t.negated = true;
    ++j;
  }
  bool first = true;
  while (j < p.size() && (p[j] != U']' || first)) {
    first = false;
    char32_t lo = p[j];
    if (lo == U'`' && j + 1 < p.size()) lo = p[++j];
    ++j;
    char32_t hi = lo;
    if (j + 1 < p.size() && p[j] == U'-' && p[j + 1] != U']') {
      hi = p[j + 1];
      if (hi == U'`' && j + 2 < p.size()) {
        hi = p[j + 2];
        ++j;
      }
      j += 2;
    }
    t.ranges.push_back({lo, hi});
  }
  if (j >= p.size()) return false;
  i = j + 1;
  return true;
}

std::vector<Token> Tokenize(const std::u32string& p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size();) {
    const char32_t c = p[i++];
    Token t;
    switch (c) {
      case U'*':
        if (!out.empty() && out.back().kind == Token::Star) continue;
        t.kind = Token::Star;
        break;
      case U'?': t.kind = Token::Any; break;
      case U'#': t.kind = Token::Digit; break;
      case U'@': t.kind = Token::Letter; break;
      case U'.': t.kind = Token::NonAlnum; break;
      case U'`':
        t.ch = i < p.size() ? p[i++] : U'`';
        break;
      case U'[':
        if (!ParseClass(p, i, t)) {
          t = Token{};
          t.ch = U'[';
        }
        break;
      default: t.ch = c; break;
    }
    out.push_back(std::move(t));
  }
  return out;
}

bool TokenMatches(const Token& t, char32_t c, bool ignore_case) {
  switch (t.kind) {
    case Token::Literal: return Fold(t.ch, ignore_case) == Fold(c, ignore_case);
    case Token::Any: return true;
    case Token::Digit: return IsDigit(c);
    case Token::Letter: return IsLetter(c);
    case Token::NonAlnum: return !IsDigit(c) && !IsLetter(c);
    case Token::Class: {
      bool in = false;
      for (auto [lo, hi] : t.ranges) {
        const char32_t f = Fold(c, ignore_case);
        if ((c >= lo && c <= hi) || (f >= Fold(lo, ignore_case) && f <= Fold(hi, ignore_case)))
          in = true;
      }
      return in != t.negated;
    }
    case Token::Star: return true;
  }
  return false;
}

// Dynamic programming over tokens and characters, so patterns with many
// stars stay linear in each dimension.
bool MatchTokens(const std::vector<Token>& toks, const std::u32string& s, bool ignore_case) {
  std::vector<char> row(s.size() + 1, 0), next(s.size() + 1, 0);
  row[0] = 1;
  for (const Token& t : toks) {
    std::fill(next.begin(), next.end(), 0);
    if (t.kind == Token::Star) {
      char any = 0;
      for (std::size_t j = 0; j <= s.size(); ++j) {
        any = any || row[j];
        next[j] = any;
      }
    } else {
      for (std::size_t j = 0; j < s.size(); ++j)
        if (row[j] && TokenMatches(t, s[j], ignore_case)) next[j + 1] = 1;
    }
    row.swap(next);
  }
  return row[s.size()] != 0;
}

// Splits at commas that are neither escaped nor inside a class.
std::vector<std::u32string> Alternatives(const std::u32string& p) {
  std::vector<std::u32string> out(1);
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == U'`' && i + 1 < p.size()) {
      out.back() += c;
      out.back() += p[++i];
    } else if (c == U'[') {
      std::size_t close = p.find(U']', i + 2);
      if (close == std::u32string::npos) {
        out.back() += c;
      } else {
        out.back() += p.substr(i, close - i + 1);
        i = close;
      }
    } else if (c == U',') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text, bool ignore_case) {
  const std::u32string s = Decode(text);
  for (const auto& alt : Alternatives(Decode(pattern))) {
    const bool negated = !alt.empty() && alt[0] == U'~';
    const bool hit = MatchTokens(Tokenize(negated ? alt.substr(1) : alt), s, ignore_case);
    if (hit != negated) return true;
  }
  return false;
}

}  // namespace zavin::cad
