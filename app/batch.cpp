#include "app/batch.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "cad/embedded_host.h"
#include "platform/call_count.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/controls.h"
#include "shell/form1.h"
#include "shell/program.h"

namespace zavin::app {

namespace {

namespace fs = std::filesystem;
using cad::UserAnswer;

std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return std::string(s.substr(b, e - b + 1));
}

// Host texts carry line breaks of the command line; one output line each.
std::string OneLine(std::string_view s) {
  std::string t(s);
  for (char& c : t)
    if (c == '\n' || c == '\r') c = ' ';
  return Trim(t);
}

// Host prompts are answered from the queue the script filled for the running
// click; an empty queue answers ESC, as a user who walks away would.
class BatchInput : public cad::UserInput {
 public:
  explicit BatchInput(std::ostream& out) : out_(out) {}
  UserAnswer Next(const std::string& prompt) override {
    out_ << "prompt: " << OneLine(prompt) << '\n';
    if (answers_.empty()) {
      out_ << "note: no answer queued, answered by ESC\n";
      return {UserAnswer::Kind::Cancel};
    }
    UserAnswer a = answers_.front().answer;
    answers_.pop_front();
    return a;
  }

  struct Queued {
    UserAnswer answer;
    int line;
  };
  std::deque<Queued> answers_;

 private:
  std::ostream& out_;
};

class PrintingMessageBoxSink : public platform::MessageBoxSink {
 public:
  explicit PrintingMessageBoxSink(std::ostream& out) : out_(out) {}
  int Show(platform::Hwnd, const std::string& text, const std::string& caption,
           std::uint32_t flags) override {
    out_ << "message: " << OneLine(caption) << ": " << OneLine(text) << '\n';
    return platform::DefaultMessageBoxButton(flags);
  }

 private:
  std::ostream& out_;
};

// Every control a script can reach, by its form name.
std::vector<shell::Control*> ControlsOf(shell::TForm1& f) {
  return {&f.RadioGroup1, &f.SpeedButton4, &f.Edit16,      &f.UpDown4,      &f.Button4,
          &f.Button12,    &f.Button13,     &f.Button10,    &f.Button8,      &f.Button6,
          &f.Button3,     &f.CheckBox2,    &f.SpeedButton1, &f.SpeedButton2, &f.SpeedButton3,
          &f.Edit8,       &f.UpDown3,      &f.Edit7,       &f.UpDown2,      &f.RadioButton1,
          &f.RadioButton2, &f.RadioButton3, &f.Edit18,     &f.UpDown6,      &f.RadioButton4,
          &f.RadioButton5, &f.RadioButton6, &f.Edit4,      &f.UpDown1,      &f.RadioButton7,
          &f.RadioButton8, &f.RadioButton9, &f.Edit12,     &f.Edit15,       &f.Edit19,
          &f.Edit3,       &f.Edit5,        &f.Edit6,       &f.Edit9,        &f.Edit10,
          &f.Edit11,      &f.Edit20,       &f.CheckBox4,   &f.Button2,      &f.Edit13,
          &f.Button5,     &f.CheckBox3,    &f.Edit14,      &f.Button11,     &f.Button14,
          &f.Edit21,      &f.Edit22,       &f.Edit1,       &f.Edit2,        &f.CheckBox1,
          &f.Edit17,      &f.UpDown5,      &f.Button1,     &f.Button9,      &f.Button7,
          &f.Button15,    &f.Edit23,       &f.Edit24,      &f.Edit25,       &f.Edit26,
          &f.UpDown7,     &f.RadioGroup2,  &f.Edit27,      &f.CheckBox5,    &f.Edit28};
}


std::optional<double> Number(std::string_view s) {
  double v = 0;
  const char* first = s.data();
  if (!s.empty() && s[0] == '+') ++first;
  auto [p, ec] = std::from_chars(first, s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || first == p) return std::nullopt;
  return v;
}

struct Statement {
  int line = 0;
  std::string verb;
  std::string control;
  std::string rest;  // everything after the control, trimmed
  std::vector<std::string> args;
};

class Runner {
 public:
  Runner(const BatchOptions& options, std::ostream& out) : options_(options), out_(out) {}

  void Run() {
    if (options_.render && !options_.renderer)
      throw BatchError("--render: this executable draws no pictures; use zavin batch");
    const std::vector<Statement> script = ReadScript();

    auto host = cad::EmbeddedHost::Create();
    if (options_.drawing) {
      const cad::DxfLoadReport report = cad::LoadDxf(*options_.drawing, host->database());
      if (!report.Warning().empty()) out_ << "warning: " << options_.drawing->string() << ": " << report.Warning() << '\n';
    }
    auto input = std::make_shared<BatchInput>(out_);
    host->SetUserInput(input);

    // The embedded host answers at once; waits of the command frame pass on
    // a clock of their own instead of taking real time.
    platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
    auto previous_sink = platform::SetMessageBoxSink(std::make_shared<PrintingMessageBoxSink>(out_));
    struct Restore {
      std::function<void()> f;
      ~Restore() { f(); }
    } restore{[&] {
      platform::SetMessageBoxSink(previous_sink);
      host->Unregister();
    }};

    shell::TZavinProgram program(shell::ProgramOptions{});
    shell::TForm1& form = program.Form1();
    if (options_.settings) {
      std::ifstream probe(*options_.settings);
      if (!probe) throw BatchError(options_.settings->string() + ": cannot read the settings file");
      form.Environment().settings_file = *options_.settings;
    }
    // Loaded as at start-up, never written back, also when start-up fails.
    try {
      program.Start();
    } catch (...) {
      form.Environment().settings_file.clear();
      throw;
    }
    form.Environment().settings_file.clear();
    if (options_.host_progid) form.Link.HostProgId = *options_.host_progid;
    host->RegisterRunning(form.Link.HostProgId);
    shell::CommandState state;
    shell::InstallCommands(form, state);

    std::size_t host_prompts = 0;
    for (std::size_t i = 0; i < script.size(); ++i) {
      const Statement& s = script[i];
      if (s.verb != "click") {
        if (IsAnswer(s.verb)) Fail(s.line, "answer \"" + s.verb + "\" without a click before it");
        Apply(form, s);
        continue;
      }
      input->answers_.clear();
      while (i + 1 < script.size() && IsAnswer(script[i + 1].verb)) Queue(*input, script[++i]);
      const std::size_t entities = host->database().model_space().size();
      platform::CallCounter calls;
      Click(form, s);
      if (host->database().model_space().size() == entities)
        out_ << "note: the click of line " << s.line << " left the drawing unchanged\n";
      for (; host_prompts < host->prompts().size(); ++host_prompts)
        out_ << "prompt: " << OneLine(host->prompts()[host_prompts]) << '\n';
      if (options_.stats) PrintStats(s, calls);
      if (!input->answers_.empty())
        Fail(input->answers_.front().line, "answer left unused when the click of line " +
                                               std::to_string(s.line) + " ended");
    }

    program.Shutdown();
    SaveDrawing(host->database());
    out_ << "saved: " << options_.out.string() << '\n';
    if (options_.render) WritePicture(host->database(), *options_.render);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw BatchError(options_.script.string() + ":" + std::to_string(line) + ": " + what);
  }

  // The host calls the click made, in total and by member.
  void PrintStats(const Statement& s, const platform::CallCounter& calls) const {
    out_ << "stats: " << (s.rest.empty() ? s.control : s.control + " " + s.rest) << ' '
         << calls.total() << " calls\n";
    for (const auto& [member, n] : calls.by_member()) out_ << "stats:   " << member << ' ' << n << '\n';
  }

  void WritePicture(const cad::Database& db, const fs::path& png) const {
    try {
      options_.renderer(db, png);
    } catch (const std::exception& e) {
      throw BatchError(png.string() + ": cannot write the picture (the drawing is saved): " + e.what());
    }
    out_ << "picture: " << png.string() << '\n';
  }

  static bool IsAnswer(const std::string& verb) {
    return verb == "point" || verb == "pick" || verb == "select" || verb == "cancel" || verb == "enter";
  }

  std::vector<Statement> ReadScript() const {
    std::ifstream in(options_.script, std::ios::binary);
    if (!in) throw BatchError(options_.script.string() + ": cannot read the script");
    std::vector<Statement> out;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      if (line == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
      if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
      text = Trim(text);
      if (text.empty()) continue;
      Statement s;
      s.line = line;
      std::istringstream words(text);
      words >> s.verb;
      for (std::string w; words >> w;) s.args.push_back(w);
      if (!s.args.empty()) {
        s.control = s.args[0];
        const auto at = text.find(s.control, s.verb.size());
        s.rest = Trim(text.substr(at + s.control.size()));
      }
      static const char* kVerbs[] = {"set", "updown", "check", "radio", "click",
                                     "point", "pick", "select", "cancel", "enter"};
      if (std::find(std::begin(kVerbs), std::end(kVerbs), s.verb) == std::end(kVerbs))
        Fail(line, "unknown statement \"" + s.verb + "\"");
      out.push_back(std::move(s));
    }
    if (in.bad()) throw BatchError(options_.script.string() + ": cannot read the script");
    return out;
  }

  std::pair<double, double> XY(const Statement& s, const std::string& text) const {
    const auto comma = text.find(',');
    std::optional<double> x, y;
    if (comma != std::string::npos) {
      x = Number(std::string_view(text).substr(0, comma));
      y = Number(std::string_view(text).substr(comma + 1));
    }
    if (!x || !y) Fail(s.line, "malformed point \"" + text + "\", expected X,Y");
    return {*x, *y};
  }

  void Queue(BatchInput& input, const Statement& s) const {
    auto push = [&](UserAnswer a) { input.answers_.push_back({a, s.line}); };
    const std::size_t want = s.verb == "select" ? 2 : s.verb == "cancel" || s.verb == "enter" ? 0 : 1;
    if (s.args.size() != want)
      Fail(s.line, "\"" + s.verb + "\" takes " + std::to_string(want) + " argument(s)");
    if (s.verb == "point") {
      const auto [x, y] = XY(s, s.args[0]);
      push({UserAnswer::Kind::Point, x, y, 0, 0});
    } else if (s.verb == "pick") {
      const auto [x, y] = XY(s, s.args[0]);
      push({UserAnswer::Kind::Entity, x, y, 0, 0});
    } else if (s.verb == "select") {
      auto a = XY(s, s.args[0]), b = XY(s, s.args[1]);
      // A window drawn right to left is a crossing window.
      if (a.first < b.first) std::swap(a, b);
      push({UserAnswer::Kind::Point, a.first, a.second, 0, 0});
      push({UserAnswer::Kind::Point, b.first, b.second, 0, 0});
      push({UserAnswer::Kind::Empty});
    } else if (s.verb == "enter") {
      push({UserAnswer::Kind::Empty});
    } else {
      push({UserAnswer::Kind::Cancel});
    }
  }

  template <class T>
  T& Find(shell::TForm1& form, const Statement& s, const char* what) const {
    if (s.control.empty()) Fail(s.line, "\"" + s.verb + "\" needs a control");
    for (shell::Control* c : ControlsOf(form))
      if (c->Name() == s.control) {
        if (auto* typed = dynamic_cast<T*>(c)) return *typed;
        Fail(s.line, s.control + " is not " + what);
      }
    Fail(s.line, "unknown control \"" + s.control + "\"");
  }

  void Apply(shell::TForm1& form, const Statement& s) const {
    if (s.verb == "set") {
      Find<shell::TEdit>(form, s, "an edit field").SetText(s.rest);
    } else if (s.verb == "updown") {
      auto& u = Find<shell::TUpDown>(form, s, "an up-down control");
      const std::optional<double> n = s.args.size() == 2 ? Number(s.args[1]) : std::nullopt;
      if (!n || *n != static_cast<int>(*n)) Fail(s.line, "updown takes a whole number");
      const int target = static_cast<int>(*n);
      if (target < u.Min() || target > u.Max())
        Fail(s.line, s.control + " goes from " + std::to_string(u.Min()) + " to " + std::to_string(u.Max()));
      // Arrow clicks, as the user changes it; each runs the control's handler.
      for (int guard = u.Max() - u.Min() + 1; u.Position() != target && guard > 0; --guard)
        u.Click(u.Position() < target ? shell::UpDownButton::Up : shell::UpDownButton::Down);
      if (u.Position() != target) Fail(s.line, s.control + " does not move to " + s.args[1]);
    } else if (s.verb == "check") {
      auto& c = Find<shell::TCheckBox>(form, s, "a check box");
      if (s.args.size() != 2 || (s.args[1] != "on" && s.args[1] != "off"))
        Fail(s.line, "check takes on or off");
      c.SetChecked(s.args[1] == "on");
    } else if (s.verb == "radio") {
      for (shell::Control* c : ControlsOf(form))
        if (c->Name() == s.control)
          if (auto* b = dynamic_cast<shell::TRadioButton*>(c)) {
            if (s.args.size() != 1) Fail(s.line, "a radio button takes no item");
            b->Click();
            return;
          }
      auto& g = Find<shell::TRadioGroup>(form, s, "a radio button or group");
      if (s.rest.empty()) Fail(s.line, "radio " + s.control + " needs an item");
      const auto& items = g.Items();
      int index = -1;
      for (std::size_t k = 0; k < items.size(); ++k)
        if (items[k] == s.rest) index = static_cast<int>(k);
      if (const auto n = Number(s.rest); index < 0 && n && *n == static_cast<int>(*n)) index = static_cast<int>(*n);
      if (index < 0 || index >= static_cast<int>(items.size()))
        Fail(s.line, "no item \"" + s.rest + "\" in " + s.control);
      g.SetItemIndex(index);
    }
  }

  void Click(shell::TForm1& form, const Statement& s) const {
    if (s.args.empty()) Fail(s.line, "click needs a control");
    const std::string& name = s.rest.empty() ? s.control : s.control + " " + s.rest;
    shell::Control* target = nullptr;
    for (shell::Control* c : ControlsOf(form))
      if (c->Name() == name) target = c;
    if (!target)
      for (shell::Control* c : ControlsOf(form))
        if (auto* b = dynamic_cast<shell::TButton*>(c); b && b->Caption() == name) target = c;
    if (!target) Fail(s.line, "unknown control \"" + name + "\"");
    if (!target->Enabled() || !target->Visible()) Fail(s.line, name + " is disabled");
    try {
      if (auto* b = dynamic_cast<shell::TButton*>(target)) b->Click();
      else if (auto* c = dynamic_cast<shell::TCheckBox*>(target)) c->Click();
      else if (auto* r = dynamic_cast<shell::TRadioButton*>(target)) r->Click();
      else Fail(s.line, name + " cannot be clicked");
    } catch (const BatchError&) {
      throw;
    } catch (const std::exception& e) {
      Fail(s.line, name + " failed: " + e.what());
    }
  }

  // Through a temporary file of a name no other file has, renamed over the
  // output only once it is complete.
  void SaveDrawing(const cad::Database& db) const {
    const std::optional<fs::path> temp = platform::CreateSiblingTempFile(options_.out);
    if (!temp) throw BatchError(options_.out.string() + ": cannot write beside it");
    try {
      cad::SaveDxf(db, *temp, {options_.drawing.value_or(fs::path()), false});
    } catch (...) {
      std::error_code ignored;
      fs::remove(*temp, ignored);
      throw;
    }
    if (!platform::RenameOver(*temp, options_.out)) throw BatchError(options_.out.string() + ": cannot write the file");
  }

  const BatchOptions& options_;
  std::ostream& out_;
};

// No output may replace an input, nor the picture the drawing.
void CheckOutputs(const BatchOptions& o) {
  const auto refuse_inputs = [&o](const std::string& flag, const fs::path& output) {
    const std::pair<const char*, std::optional<fs::path>> inputs[] = {
        {"--script", o.script}, {"--drawing", o.drawing}, {"--settings", o.settings}};
    for (const auto& [input, path] : inputs)
      if (path && platform::SameFile(output, *path))
        throw BatchError(flag + " must name another file than " + input);
  };
  refuse_inputs("--out", o.out);
  if (o.render) {
    refuse_inputs("--render", *o.render);
    if (platform::SameFile(*o.render, o.out)) throw BatchError("--render must name another file than --out");
  }
}

}  // namespace

BatchOptions ParseBatchArgs(const std::vector<std::string>& args) {
  BatchOptions o;
  bool have_script = false, have_out = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw BatchError(a + " needs a value");
      return args[++i];
    };
    if (a == "--drawing") o.drawing = value();
    else if (a == "--script") o.script = value(), have_script = true;
    else if (a == "--out") o.out = value(), have_out = true;
    else if (a == "--settings") o.settings = value();
    else if (a == "--host-progid") o.host_progid = value();
    else if (a == "--render") o.render = value();
    else if (a == "--stats") o.stats = true;
    else throw BatchError("unknown argument \"" + a + "\"");
  }
  if (!have_script || !have_out) throw BatchError("--script and --out are required");
  if (o.out.empty()) throw BatchError("--out needs a file name");
  if (o.render && o.render->empty()) throw BatchError("--render needs a file name");
  CheckOutputs(o);
  return o;
}

void RunBatch(const BatchOptions& options, std::ostream& out) {
  CheckOutputs(options);
  Runner(options, out).Run();
}

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              DrawingRenderer renderer) {
  BatchOptions options;
  try {
    options = ParseBatchArgs(args);
    if (options.render && !renderer)
      throw BatchError("--render is not available here (no renderer); run zavin batch for pictures");
    options.renderer = std::move(renderer);
  } catch (const BatchError& e) {
    err << "zavin batch: " << e.what() << "\n"
        << "usage: zavin batch [--drawing IN.dxf] --script FILE --out OUT.dxf"
           " [--settings FILE.ini] [--host-progid ID] [--render OUT.png] [--stats]\n";
    return 2;
  }
  try {
    RunBatch(options, out);
    return 0;
  } catch (const std::exception& e) {
    out.flush();
    err << "zavin batch: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace zavin::app
