#pragma once

// The embedded host's command line: the sent text read token by token as if
// typed, and the input a running command reads its prompts' answers from.

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cad/core/user_input.h"
#include "cad/db/database.h"

namespace zavin::cad {

class HostCore;

// Text the host cannot interpret (a LISP form it does not know, unbalanced
// parentheses); the message is the line the command line shows.
class CommandTextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by a prompt the user cancelled (ESC); the running command ends and
// the rest of the text is dropped.
struct CommandCancelled {};

// Reads command-line text one input at a time. Enter (CR or LF) ends an
// input, and so does a blank outside double quotes; the quotes themselves are
// left out ("\"*C:\\a b.dxf\"" gives *C:\a b.dxf). An Enter right after
// another terminator gives an empty input (a bare Enter): "MOVE\rPRE\r\r"
// gives MOVE, PRE, "". A "(" that starts an input opens a LISP expression,
// evaluated when reached: (command "A" 1 "0,0" '(1 2)) feeds A, 1, 0,0 and 1,2
// (strings unquoted, numbers as typed, quoted number lists as points);
// (princ) feeds nothing. The Enter or blank that submits an expression is not
// an input of its own. Other forms raise CommandTextError.
class CommandText {
 public:
  explicit CommandText(std::string_view text) : text_(text) {}
  // The next input, nullopt once the text is used up.
  std::optional<std::string> Next();
  // Forgets what is left.
  void Drop();

 private:
  void Evaluate();  // the expression at pos_

  std::string text_;
  std::size_t pos_ = 0;
  std::deque<std::string> fed_;  // arguments of an evaluated (command ...)
};

// The command name without the "_" (untranslated), "-" (no dialog) and "."
// (built-in) prefixes, upper-cased: "_-BOUNDARY" gives "BOUNDARY".
std::string CommandKey(std::string_view name);

// "x,y" or "x,y,z" (z 0 when left out); nullopt for anything else.
std::optional<Point3> ParsePoint(std::string_view s);
// A finite number in plain or exponent form, one leading "+" allowed.
std::optional<double> ParseReal(std::string_view s);
// "x,y,z" in the shortest form that reads back the same.
std::string FormatPoint(const Point3& p);
// LASTPOINT, read through a held copy of the variable's value.
Point3 LastPoint(const Database& db);

// Whether `input` names `keyword`: any letter case, at least the keyword's
// leading capitals ("STraight" takes ST, STR, ...; "Scale" takes S, SC, ...).
bool MatchesKeyword(std::string_view input, std::string_view keyword);

// What a running command reads its answers from: the rest of the sent text,
// input by input, and once that is used up the user (HostCore::Ask with
// the prompt's kind). Answers taken from the text are echoed after their
// prompt; Ask echoes the prompts it asks. Input that does not answer a prompt
// is reported and the prompt asked again. A cancelled prompt raises
// CommandCancelled.
class CommandInput {
 public:
  CommandInput(HostCore& core, CommandText& text) : core_(core), text_(text) {}

  Database& database();
  void Echo(const std::string& line);

  // The raw answer: the next input of the text, else the user's (a point as
  // FormatPoint gives it, Enter as "").
  std::string NextToken(const std::string& prompt, PromptKind kind = PromptKind::Point);
  // The inputs left in the text, taken without asking the user.
  std::vector<std::string> RestOfText();

  struct PointAnswer {
    enum class Kind { Point, Keyword, Enter } kind = Kind::Enter;
    Point3 point;
    std::string keyword;  // the keyword as listed
  };
  // A point ("x,y[,z]", "@dx,dy[,dz]" from LASTPOINT, or a pick), one of
  // `keywords`, or Enter. A point answer becomes LASTPOINT.
  PointAnswer NextPoint(const std::string& prompt,
                        std::initializer_list<std::string_view> keywords = {});
  // One of `keywords`; Enter gives `fallback`, or asks again without one.
  std::string NextKeyword(const std::string& prompt, std::initializer_list<std::string_view> keywords,
                          std::string_view fallback = {});
  // A number; Enter gives `fallback`, or asks again without one.
  double NextReal(const std::string& prompt, std::optional<double> fallback = std::nullopt);
  // Objects until Enter: "P" (previous), "L" (last), "ALL", "W"/"C" and two
  // corners, a point that picks (or opens a window from empty space); from
  // the user, picks and windows as SelectOnScreen takes them. Only model-space
  // entities, each once; a non-empty result becomes the previous selection.
  std::vector<std::int64_t> NextSelection(const std::string& prompt = "Select objects: ");

  [[noreturn]] void Cancel();

 private:
  // The next input of the text echoed after `prompt`, or nullopt with the
  // user's answer in `asked`.
  std::optional<std::string> FromText(const std::string& prompt);
  UserAnswer AskUser(const std::string& prompt, PromptKind kind);
  // Counts an answer that did not fit; too many from the user cancel.
  void Rejected(const std::string& message, bool from_user);
  std::optional<Point3> ReadPoint(std::string_view s) const;
  std::vector<std::int64_t> Window(Point3 a, Point3 b, bool crossing) const;

  HostCore& core_;
  CommandText& text_;
  int user_rejections_ = 0;
};

}  // namespace zavin::cad
