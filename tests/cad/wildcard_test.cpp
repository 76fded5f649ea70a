#include "cad/wildcard.h"

#include <gtest/gtest.h>

#include "cad/command_line.h"

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

TEST(CommandLineTest, SplitsTextIntoInputs) {
  struct Case {
    const char* text;
    std::vector<std::string> inputs;
  } cases[] = {
      {"_-BOUNDARY A O P \r1.0000,2.0000\r\r", {"_-BOUNDARY", "A", "O", "P", "", "1.0000,2.0000", ""}},
      {"MOVE\rPRE\r\r1.000,2.000,0.000\r", {"MOVE", "PRE", "", "1.000,2.000,0.000"}},
      {"_LEADER\r1,1 3,4\r\r\rN\r", {"_LEADER", "1,1", "3,4", "", "", "N"}},
      {"(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r",
       {"_-INSERT", "Zavin_3", "S", "1", "R", "0"}},
      {"(princ)\r", {}},
      {"(command \"unclosed", {"unclosed"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CommandInputs(c.text), c.inputs);
  }
  EXPECT_EQ(CommandKey("_-insert"), "INSERT");
  EXPECT_EQ(CommandKey("._move"), "MOVE");
}

}  // namespace
}  // namespace zavin::cad
