#include "cad/db/wildcard.h"

#include <gtest/gtest.h>

namespace zavin::cad {
namespace {

TEST(WildcardTest, MatchesTheHostPatternLanguage) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*LINE", "LINE", true},
      {"*LINE", "LWPOLYLINE", true},
      {"*LINE", "POLYLINE", true},
      {"*LINE", "TEXT", false},
      {"*line", "LWPOLYLINE", true},  // filters ignore letter case
      {"TEXT,CIRCLE", "CIRCLE", true},
      {"TEXT,CIRCLE", "TEXT", true},
      {"TEXT,CIRCLE", "MTEXT", false},
      {"TEXT", "TEXT2", false},
      {"?EXT", "TEXT", true},
      {"?EXT", "MTEXT", false},
      {"L#", "L7", true},
      {"L#", "LA", false},
      {"@@", "H_", false},
      {"H.TEXT", "H_TEXT", true},
      {"H.TEXT", "HXTEXT", false},
      {"~TEXT", "CIRCLE", true},
      {"~TEXT", "TEXT", false},
      {"~*LINE", "LWPOLYLINE", false},
      {"[LT]*", "TEXT", true},
      {"[LT]*", "CIRCLE", false},
      {"[~LT]*", "CIRCLE", true},
      {"[A-C]IRCLE", "CIRCLE", true},
      {"[A-B]IRCLE", "CIRCLE", false},
      {"A`*B", "A*B", true},
      {"A`*B", "AxB", false},
      {"A`,B", "A,B", true},
      {"", "", true},
      {"", "X", false},
      {"*", "", true},
      {"**", "ANY", true},
      {"[ab", "[ab", true},  // an unclosed class is literal
      {"*[", "x[", true},
      {"`", "`", true},
      {"H_###", "H_123", true},
      {"*面積", "合計面積", true},  // characters, not bytes
      {"?積", "面積", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " vs " + c.text);
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match);
  }
}

TEST(WildcardTest, ManyStarsStayFast) {
  std::string pattern(200, '*');
  pattern += "B";
  EXPECT_FALSE(WildcardMatch(pattern, std::string(5000, 'A')));
  EXPECT_TRUE(WildcardMatch(pattern, std::string(5000, 'A') + "B"));
}

}  // namespace
}  // namespace zavin::cad
