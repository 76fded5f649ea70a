#include "cad/commands/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "cad/core/host_core.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

// Invalid answers from the user before a prompt gives up: the text is finite,
// the user-input source need not be.
constexpr int kMaxUserRejections = 100;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsEnter(char c) { return c == '\r' || c == '\n'; }

// One parsed LISP form: an atom (symbol or number as typed), a string, or a
// list; `quoted` marks a form written after a quote mark.
struct Form {
  enum class Kind { Atom, String, List } kind = Kind::Atom;
  std::string text;
  std::vector<Form> items;
  bool quoted = false;
};

class LispReader {
 public:
  LispReader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}
  std::size_t pos() const { return pos_; }

  Form Read() {
    SkipBlanks();
    if (pos_ >= text_.size()) Unclosed();
    const char c = text_[pos_];
    if (c == '\'') {
      ++pos_;
      Form f = Read();
      f.quoted = true;
      return f;
    }
    if (c == '(') return ReadList();
    if (c == '"') return ReadString();
    if (c == ')') throw CommandTextError("LISP: unexpected \")\".");
    Form f;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && !IsEnter(text_[pos_]) &&
           text_[pos_] != '(' && text_[pos_] != ')' && text_[pos_] != '"' && text_[pos_] != '\'')
      f.text += text_[pos_++];
    return f;
  }

 private:
  [[noreturn]] static void Unclosed() {
    throw CommandTextError("LISP: the expression is not closed (missing \")\").");
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && (IsBlank(text_[pos_]) || IsEnter(text_[pos_]))) ++pos_;
  }
  Form ReadList() {
    Form f;
    f.kind = Form::Kind::List;
    ++pos_;
    for (;;) {
      SkipBlanks();
      if (pos_ >= text_.size()) Unclosed();
      if (text_[pos_] == ')') {
        ++pos_;
        return f;
      }
      f.items.push_back(Read());
    }
  }
  Form ReadString() {
    Form f;
    f.kind = Form::Kind::String;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (c == '\\' && pos_ < text_.size()) {
        c = text_[pos_++];
        if (c == 'n') c = '\n';
        else if (c == 'r') c = '\r';
        else if (c == 't') c = '\t';
        else if (c == 'e') c = '\x1b';
      }
      f.text += c;
    }
    if (pos_ >= text_.size()) Unclosed();
    ++pos_;
    return f;
  }

  std::string_view text_;
  std::size_t pos_;
};

std::string Shown(const Form& f) {
  switch (f.kind) {
    case Form::Kind::Atom: return f.text;
    case Form::Kind::String: return "\"" + f.text + "\"";
    case Form::Kind::List: break;
  }
  std::string s = "(";
  for (std::size_t i = 0; i < f.items.size(); ++i) {
    if (i) s += ' ';
    s += Shown(f.items[i]);
  }
  return s + ")";
}

// An argument of (command ...) as the input it stands for.
std::string CommandArgument(const Form& f) {
  if (f.kind == Form::Kind::String) return f.text;
  if (f.kind == Form::Kind::Atom && ParseReal(f.text)) return f.text;
  if (f.kind == Form::Kind::List && f.quoted && (f.items.size() == 2 || f.items.size() == 3)) {
    std::string point;
    for (const Form& item : f.items) {
      if (item.kind != Form::Kind::Atom || !ParseReal(item.text)) break;
      point += (point.empty() ? "" : ",") + item.text;
    }
    if (std::count(point.begin(), point.end(), ',') + 1 == static_cast<long>(f.items.size()))
      return point;
  }
  if (f.kind == Form::Kind::List && !f.quoted)
    throw CommandTextError("LISP: nested expression " + Shown(f) + " is not evaluated.");
  throw CommandTextError("LISP: bad argument " + Shown(f) + " to command.");
}

std::string UpperNoUnderscore(std::string_view s) {
  if (!s.empty() && s.front() == '_') s.remove_prefix(1);
  return platform::UpperAscii(s);
}

}  // namespace

// ---------------------------------------------------------------------------
// Text

std::optional<std::string> CommandText::Next() {
  for (;;) {
    if (!fed_.empty()) {
      std::string s = std::move(fed_.front());
      fed_.pop_front();
      return s;
    }
    if (pos_ >= text_.size()) return std::nullopt;
    if (text_[pos_] != '(') break;
    Evaluate();
  }
  std::string s;
  bool quoted = false;
  while (pos_ < text_.size()) {
    const char c = text_[pos_++];
    if (IsEnter(c)) {
      if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;  // CR LF is one Enter
      return s;
    }
    if (c == ' ' && !quoted) return s;
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    s += c;
  }
  return s;
}

void CommandText::Drop() {
  pos_ = text_.size();
  fed_.clear();
}

void CommandText::Evaluate() {
  LispReader reader(text_, pos_);
  Form form;
  try {
    form = reader.Read();
  } catch (const CommandTextError&) {
    Drop();
    throw;
  }
  pos_ = reader.pos();
  // The Enter or blank that submits the expression.
  if (pos_ < text_.size() && (IsBlank(text_[pos_]) || IsEnter(text_[pos_]))) {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
  }
  const std::string head = form.items.empty() || form.items[0].kind != Form::Kind::Atom
                               ? std::string()
                               : platform::UpperAscii(form.items[0].text);
  std::vector<std::string> args;
  try {
    if (head == "COMMAND") {
      for (std::size_t i = 1; i < form.items.size(); ++i) args.push_back(CommandArgument(form.items[i]));
    } else if (head == "PRINC" || head == "PRIN1" || head == "PRINT" || head == "TERPRI") {
      // Printing the quiet result: nothing to feed.
    } else if (head.empty()) {
      throw CommandTextError("LISP: bad function in " + Shown(form) + ".");
    } else {
      throw CommandTextError("LISP: unknown function \"" + head + "\".");
    }
  } catch (const CommandTextError&) {
    Drop();
    throw;
  }
  fed_.insert(fed_.end(), args.begin(), args.end());
}

std::string CommandKey(std::string_view name) {
  std::size_t i = 0;
  while (i < name.size() && (name[i] == '_' || name[i] == '-' || name[i] == '.')) ++i;
  return platform::UpperAscii(name.substr(i));
}

std::optional<double> ParseReal(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.front() == '+') return std::nullopt;
  double v = 0;
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<Point3> ParsePoint(std::string_view s) {
  double parts[3] = {0, 0, 0};
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    const std::size_t comma = s.find(',', start);
    const auto v = ParseReal(s.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (!v || count == 3) return std::nullopt;
    parts[count++] = *v;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (count < 2) return std::nullopt;  // one number is no point
  return Point3{parts[0], parts[1], parts[2]};
}

std::string FormatPoint(const Point3& p) {
  std::string s;
  for (double v : {p.x, p.y, p.z}) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v);
    if (!s.empty()) s += ',';
    s.append(buf, r.ptr);
  }
  return s;
}

Point3 LastPoint(const Database& db) {
  const platform::Variant v = db.GetVar("LASTPOINT");
  const auto& a = v.array();
  Point3 p;
  if (a.items.size() > 2) p = {a.items[0].ToDouble(), a.items[1].ToDouble(), a.items[2].ToDouble()};
  return p;
}

bool MatchesKeyword(std::string_view input, std::string_view keyword) {
  const std::string in = UpperNoUnderscore(input);
  std::size_t capitals = 0;
  while (capitals < keyword.size() && !std::islower(static_cast<unsigned char>(keyword[capitals])))
    ++capitals;
  const std::string word = platform::UpperAscii(keyword);
  return in.size() >= std::max<std::size_t>(capitals, 1) && word.starts_with(in);
}

// ---------------------------------------------------------------------------
// Input of a running command

Database& CommandInput::database() { return core_.db; }

void CommandInput::Echo(const std::string& line) { core_.Echo(line); }

void CommandInput::Cancel() { throw CommandCancelled{}; }

std::optional<std::string> CommandInput::FromText(const std::string& prompt) {
  std::optional<std::string> s = text_.Next();
  if (s) Echo(prompt + *s);
  return s;
}

UserAnswer CommandInput::AskUser(const std::string& prompt, PromptKind kind) {
  const UserAnswer a = core_.Ask(prompt, kind);
  if (a.kind == UserAnswer::Kind::Cancel) Cancel();
  return a;
}

void CommandInput::Rejected(const std::string& message, bool from_user) {
  Echo(message);
  if (from_user && ++user_rejections_ > kMaxUserRejections) Cancel();
}

std::optional<Point3> CommandInput::ReadPoint(std::string_view s) const {
  if (s.empty() || s.front() != '@') return ParsePoint(s);
  const Point3 last = LastPoint(core_.db);
  if (s.size() == 1) return last;
  const std::optional<Point3> d = ParsePoint(s.substr(1));
  if (!d) return std::nullopt;
  return Point3{last.x + d->x, last.y + d->y, last.z + d->z};
}

std::string CommandInput::NextToken(const std::string& prompt, PromptKind kind) {
  if (std::optional<std::string> s = FromText(prompt)) return *s;
  const UserAnswer a = AskUser(prompt, kind);
  if (a.kind == UserAnswer::Kind::Empty) return {};
  return FormatPoint({a.x, a.y, a.z});
}

std::vector<std::string> CommandInput::RestOfText() {
  std::vector<std::string> out;
  while (std::optional<std::string> s = text_.Next()) out.push_back(std::move(*s));
  return out;
}

CommandInput::PointAnswer CommandInput::NextPoint(const std::string& prompt,
                                                  std::initializer_list<std::string_view> keywords) {
  using Kind = PointAnswer::Kind;
  for (;;) {
    std::optional<Point3> p;
    if (std::optional<std::string> s = FromText(prompt)) {
      if (s->empty()) return {Kind::Enter, {}, {}};
      for (std::string_view k : keywords)
        if (MatchesKeyword(*s, k)) return {Kind::Keyword, {}, std::string(k)};
      p = ReadPoint(*s);
      if (!p) {
        Rejected(keywords.size() ? "Point or option keyword required." : "Invalid point.", false);
        continue;
      }
    } else {
      const UserAnswer a = AskUser(prompt, PromptKind::Point);
      if (a.kind == UserAnswer::Kind::Empty) return {Kind::Enter, {}, {}};
      p = Point3{a.x, a.y, a.z};
    }
    core_.db.SetPointVar("LASTPOINT", *p);
    return {Kind::Point, *p, {}};
  }
}

std::string CommandInput::NextKeyword(const std::string& prompt,
                                      std::initializer_list<std::string_view> keywords,
                                      std::string_view fallback) {
  for (;;) {
    std::optional<std::string> s = FromText(prompt);
    const bool from_user = !s;
    if (from_user) {
      const UserAnswer a = AskUser(prompt, PromptKind::Point);
      s = a.kind == UserAnswer::Kind::Empty ? std::string() : FormatPoint({a.x, a.y, a.z});
    }
    if (s->empty() && !fallback.empty()) return std::string(fallback);
    for (std::string_view k : keywords)
      if (!s->empty() && MatchesKeyword(*s, k)) return std::string(k);
    Rejected("Invalid option keyword.", from_user);
  }
}

double CommandInput::NextReal(const std::string& prompt, std::optional<double> fallback) {
  for (;;) {
    std::optional<std::string> s = FromText(prompt);
    const bool from_user = !s;
    if (from_user) {
      const UserAnswer a = AskUser(prompt, PromptKind::Point);
      if (a.kind != UserAnswer::Kind::Empty) {
        Rejected("Requires numeric value.", true);
        continue;
      }
      s = std::string();
    }
    if (s->empty() && fallback) return *fallback;
    if (const std::optional<double> v = ParseReal(*s)) return *v;
    Rejected("Requires numeric value.", from_user);
  }
}

std::vector<std::int64_t> CommandInput::Window(Point3 a, Point3 b, bool crossing) const {
  const Rect r = Rect::FromCorners({a.x, a.y}, {b.x, b.y});
  return crossing ? core_.SelectCrossing(r, {}) : core_.SelectWindow(r, {});
}

std::vector<std::int64_t> CommandInput::NextSelection(const std::string& prompt) {
  std::vector<std::int64_t> found;
  const Database& db = core_.db;
  auto add = [&](const std::vector<std::int64_t>& ids) {
    int n = 0, duplicates = 0;
    for (std::int64_t id : ids) {
      if (!db.Find(id) || db.OwnerOf(id) != kModelSpace) continue;
      ++n;
      if (std::find(found.begin(), found.end(), id) != found.end()) ++duplicates;
      else found.push_back(id);
    }
    Echo(std::to_string(n) + " found" +
         (duplicates ? " (" + std::to_string(duplicates) + " duplicate)" : std::string()));
  };
  // The opposite corner of a window, from the text or the user; nullopt on Enter.
  auto corner = [&](const std::string& corner_prompt) -> std::optional<Point3> {
    for (;;) {
      if (std::optional<std::string> s = FromText(corner_prompt)) {
        if (s->empty()) return std::nullopt;
        if (std::optional<Point3> p = ReadPoint(*s)) return p;
        Rejected("Invalid point.", false);
        continue;
      }
      const UserAnswer a = AskUser(corner_prompt, PromptKind::Corner);
      if (a.kind == UserAnswer::Kind::Empty) return std::nullopt;
      return Point3{a.x, a.y, a.z};
    }
  };
  auto pick = [&](Point3 p) {
    if (std::optional<std::int64_t> hit = core_.PickAt({p.x, p.y}, {})) {
      add({*hit});
    } else if (std::optional<Point3> q = corner("Specify opposite corner: ")) {
      add(Window(p, *q, q->x < p.x));
    }
  };
  for (;;) {
    if (std::optional<std::string> s = FromText(prompt)) {
      const std::string word = platform::UpperAscii(*s);
      if (word.empty()) break;
      if (word == "ALL") {
        std::vector<std::int64_t> all;
        for (const auto& [id, e] : db.model_space()) all.push_back(id);
        add(all);
      } else if (MatchesKeyword(word, "Previous")) {
        add(core_.previous_selection);
      } else if (MatchesKeyword(word, "Last")) {
        const Entity* last = db.LastEntity();
        add(last ? std::vector<std::int64_t>{last->id} : std::vector<std::int64_t>{});
      } else if (MatchesKeyword(word, "Window") || MatchesKeyword(word, "Crossing")) {
        const bool crossing = word.front() == 'C';
        if (std::optional<Point3> a = corner("Specify first corner: "))
          if (std::optional<Point3> b = corner("Specify opposite corner: ")) add(Window(*a, *b, crossing));
      } else if (std::optional<Point3> p = ReadPoint(*s)) {
        pick(*p);
      } else {
        Rejected("*Invalid selection*", false);
      }
      continue;
    }
    const UserAnswer a = AskUser(prompt, PromptKind::Select);
    if (a.kind == UserAnswer::Kind::Empty) break;
    if (a.kind == UserAnswer::Kind::Entity && a.entity_id != 0) {
      add({a.entity_id});
    } else {
      pick({a.x, a.y, a.z});
    }
  }
  if (!found.empty()) core_.previous_selection = found;
  return found;
}

}  // namespace zavin::cad
