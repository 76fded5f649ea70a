// The command line: text read input by input with its LISP forms, and the
// interpreter that runs commands from it and asks the user once it runs out.

#include "cad/commands/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Every input the text gives and the error that stopped it, if any.
struct Read {
  std::vector<std::string> inputs;
  std::string error;
};
Read ReadAll(std::string_view text) {
  CommandText t(text);
  Read r;
  try {
    while (auto s = t.Next()) r.inputs.push_back(*s);
  } catch (const CommandTextError& e) {
    r.error = e.what();
  }
  return r;
}

TEST(CommandTextTest, ReadsTheTextAsTyped) {
  struct Case {
    const char* text;
    std::vector<std::string> inputs;
  } cases[] = {
      {"_-BOUNDARY A O P \r1.0000,2.0000\r\r", {"_-BOUNDARY", "A", "O", "P", "", "1.0000,2.0000", ""}},
      {"MOVE\rPRE\r\r1.000,2.000,0.000\r", {"MOVE", "PRE", "", "1.000,2.000,0.000"}},
      {"_LEADER\r1,1 3,4\r\r\rN\r", {"_LEADER", "1,1", "3,4", "", "", "N"}},
      // Quoted input keeps its blanks; the quotes go.
      {"_-INSERT\r\"*/tmp/a dir/ZAVIN_3.dxf\"\r0.0,0.0 1.0 0.0\r",
       {"_-INSERT", "*/tmp/a dir/ZAVIN_3.dxf", "0.0,0.0", "1.0", "0.0"}},
      {"LINE\n1,1\r\n2,2\r\n", {"LINE", "1,1", "2,2"}},  // LF and CR LF are one Enter each
      {"(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r",
       {"_-INSERT", "Zavin_3", "S", "1", "R", "0"}},
      {"(command \"MOVE\" \"P\" \"\" '(1 2.5 0) -3)\r", {"MOVE", "P", "", "1,2.5,0", "-3"}},
      {"(COMMAND \"a\\\"b\" \"c\\\\d\")", {"a\"b", "c\\d"}},
      {"(princ)\r", {}},
      {"(command \"X\") 5\r", {"X", "5"}},  // the blank submits the expression
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Read r = ReadAll(c.text);
    EXPECT_EQ(r.inputs, c.inputs);
    EXPECT_EQ(r.error, "");
  }
}

TEST(CommandTextTest, LispItCannotEvaluateIsAnErrorAndDropsTheRest) {
  struct Case {
    const char* text;
    std::vector<std::string> inputs;  // read before the error
    const char* error;
  } cases[] = {
      {"MOVE\r(getpoint)\r2,2\r", {"MOVE"}, "unknown function \"GETPOINT\""},
      {"(command \"X\" (getvar \"LASTPOINT\"))\rY\r", {}, "nested expression"},
      {"(command \"X\" pause)\r", {}, "bad argument pause"},
      {"(command \"unclosed", {}, "not closed"},
      {"(command \"X\"\r", {}, "not closed"},
      {"(\"X\")", {}, "bad function"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Read r = ReadAll(c.text);
    EXPECT_EQ(r.inputs, c.inputs);
    EXPECT_THAT(r.error, HasSubstr(c.error));
  }
}

TEST(CommandTextTest, PointsNumbersAndKeywords) {
  EXPECT_EQ(ParsePoint("1.5,-2"), (Point3{1.5, -2, 0}));
  EXPECT_EQ(ParsePoint("+1,2,3e2"), (Point3{1, 2, 300}));
  for (const char* bad : {"", "1", "1,", ",1", "1,2,3,4", "a,b", "1,,2", "1 ,2", "inf,0", "1,2x"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParsePoint(bad));
  }
  EXPECT_EQ(ParsePoint(FormatPoint({0.1, -1e-7, 12345.678})), (Point3{0.1, -1e-7, 12345.678}));

  EXPECT_TRUE(MatchesKeyword("s", "Scale"));
  EXPECT_TRUE(MatchesKeyword("SCALE", "Scale"));
  EXPECT_TRUE(MatchesKeyword("_R", "Rotate"));
  EXPECT_TRUE(MatchesKeyword("st", "STraight"));
  EXPECT_FALSE(MatchesKeyword("s", "STraight"));
  EXPECT_FALSE(MatchesKeyword("Scales", "Scale"));
  EXPECT_FALSE(MatchesKeyword("", "Scale"));
  EXPECT_EQ(CommandKey("_-insert"), "INSERT");
  EXPECT_EQ(CommandKey("._move"), "MOVE");
}

// The interpreter through SendCommand, with fake commands on the new input.
class CommandLineTest : public CadTest {
 protected:
  const std::vector<std::string>& Line() const { return host_->command_line(); }
};

TEST_F(CommandLineTest, PromptsTakeTheTextThenAskTheUserWithTheirKind) {
  struct KindInput : ScriptedInput {
    using ScriptedInput::Next;
    UserAnswer Next(const std::string& prompt, PromptKind kind) override {
      kinds.push_back(kind);
      return ScriptedInput::Next(prompt);
    }
    std::vector<PromptKind> kinds;
  };
  auto input = std::make_shared<KindInput>();
  host_->SetUserInput(input);
  const std::int64_t line = db().AddLine({0, 0, 0}, {10, 0, 0});
  input->PushEntity(line);
  input->PushEnter();
  input->PushPoint(7, 8);
  input->PushCancel();
  input->PushPoint(9, 9);
  std::vector<std::int64_t> picked;
  std::vector<Point3> points;
  host_->DefineCommand("PTS", [&](CommandInput& in) {
    picked = in.NextSelection();
    for (int i = 0; i < 3; ++i) points.push_back(in.NextPoint("Point: ").point);
  });
  Send("PTS\r");  // nothing but the name: all from the user
  Send("(command \"PTS\" \"L\" \"\" \"1,2\" \"@1,1\")\r");
  EXPECT_EQ(picked, std::vector<std::int64_t>{line});
  EXPECT_THAT(input->kinds, ElementsAre(PromptKind::Select, PromptKind::Select, PromptKind::Point,
                                        PromptKind::Point, PromptKind::Point));
  ASSERT_EQ(points.size(), 4u) << "the first run's second point was cancelled";
  EXPECT_EQ(points[0], (Point3{7, 8, 0}));
  EXPECT_EQ(points[1], (Point3{1, 2, 0}));
  EXPECT_EQ(points[2], (Point3{2, 3, 0})) << "@ is relative to the last point";
  EXPECT_EQ(points[3], (Point3{9, 9, 0})) << "the text ran out: the user answers";
  EXPECT_THAT(Line(), Contains("Point: 1,2"));
  EXPECT_THAT(Line(), Contains("*Cancel*"));
}

TEST_F(CommandLineTest, MalformedPointsAreReportedAndAskedAgain) {
  std::optional<Point3> got;
  host_->DefineCommand("PT", [&](CommandInput& in) { got = in.NextPoint("Point: ").point; });
  input_->PushPoint(5, 6);
  Send("PT\rfoo\r1;2\r");
  EXPECT_EQ(got, (Point3{5, 6, 0}));
  EXPECT_EQ(std::count(Line().begin(), Line().end(), "Invalid point."), 2);
  EXPECT_EQ(LastPoint(db()), (Point3{5, 6, 0}));
}

TEST_F(CommandLineTest, UnknownTextIsReportedNotAccepted) {
  int runs = 0;
  host_->DefineCommand("OK", [&](CommandInput&) { ++runs; });
  Send("FOO\rOK\r");
  EXPECT_THAT(Line(), Contains(HasSubstr("Unknown command \"FOO\"")));
  EXPECT_EQ(runs, 1) << "the line goes on after an unknown name";

  Send("(foo 1)\rOK\r");
  EXPECT_THAT(Line(), Contains(HasSubstr("unknown function \"FOO\"")));
  EXPECT_EQ(runs, 1) << "a LISP error drops the rest of the text";
}

TEST_F(CommandLineTest, EscapeMidCommandCancelsItAndDropsTheRest) {
  struct EscapingInput : UserInput {
    explicit EscapingInput(EmbeddedHost& h) : host(h) {}
    UserAnswer Next(const std::string&) override {
      host.PressEscape();
      return {UserAnswer::Kind::Point, 1, 2};
    }
    EmbeddedHost& host;
  };
  int after_prompt = 0, later = 0;
  host_->DefineCommand("ASK", [&](CommandInput& in) {
    in.NextPoint("First: ");
    in.NextPoint("Second: ");
    ++after_prompt;
  });
  host_->DefineCommand("LATER", [&](CommandInput&) { ++later; });
  host_->SetUserInput(std::make_shared<EscapingInput>(*host_));
  Call(Doc(), "SendCommand", {Variant("(command \"ASK\" \"1,1\")(princ)\r")});
  Call(Doc(), "SendCommand", {Variant("LATER\r")});
  host_->RunPendingCommands();
  EXPECT_EQ(after_prompt, 0);
  EXPECT_EQ(later, 0) << "the queued text is dropped";
  EXPECT_EQ(Line().back(), "*Cancel*");
  EXPECT_EQ(LastPoint(db()), (Point3{1, 1, 0}));
}

TEST_F(CommandLineTest, TheRestOfTheTextIsTakenWithoutAskingTheUser) {
  std::vector<std::string> seen;
  host_->DefineCommand("OLD", [&](CommandInput& in) { seen = in.RestOfText(); });
  Send("OLD A \"b c\"\r(command \"D\")\r");
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "b c", "D"}));
  EXPECT_TRUE(input_->prompts().empty());
}

}  // namespace
}  // namespace zavin::cad::testing
