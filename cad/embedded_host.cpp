#include "cad/embedded_host.h"

#include <map>
#include <optional>

#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_line.h"
#include "cad/core/host_core.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"

namespace zavin::cad {

UserAnswer ScriptedInput::Next(const std::string& prompt) {
  prompts_.push_back(prompt);
  if (answers_.empty()) return {UserAnswer::Kind::Cancel};
  UserAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

namespace {

class Host final : public EmbeddedHost {
 public:
  Host() : core_(std::make_shared<HostCore>()) {
    core_->hwnd = platform::CreateWindow("Embedded CAD");
    // ESC in the host window cancels what the host is doing. The handler
    // holds the core, not the host, so a late key cannot reach a dead host.
    std::weak_ptr<HostCore> weak = core_;
    platform::SetKeyHandler(core_->hwnd, [weak](std::uint8_t vk, bool down) {
      if (auto core = weak.lock(); core && down && vk == platform::VK_ESCAPE) core->Escape();
    });
    core_->run_command = [this](const std::string& text) { Interpret(text); };
    app_ = MakeApplicationObject(core_);
  }
  ~Host() override {
    core_->run_command = nullptr;
    core_->on_line = nullptr;
    Unregister();
    platform::DestroyWindow(core_->hwnd);
  }

  platform::ObjectRef Application() override { return app_; }

  // The class id is derived from the program identifier, so registering the
  // same identifier again finds the same class.
  void RegisterRunning(const std::string& prog_id) override {
    Unregister();
    const platform::Clsid clsid{"{CAD-" + platform::UpperAscii(prog_id) + "}"};
    platform::RegisterProgId(prog_id, clsid);
    cookie_ = platform::RegisterActiveObject(app_, clsid);
  }
  // The program stays installed (its identifier registered); it just no
  // longer runs.
  void Unregister() override {
    if (cookie_ != 0) platform::RevokeActiveObject(cookie_);
    cookie_ = 0;
  }

  Database& database() override { return core_->db; }
  void SetUserInput(std::shared_ptr<UserInput> input) override { core_->input = std::move(input); }
  Faults& faults() override { return core_->faults; }
  std::int64_t call_count() const override { return core_->calls; }
  const std::vector<std::string>& sent_commands() const override { return core_->sent; }

  void DefineCommand(const std::string& name, CommandProc proc) override {
    commands_[CommandKey(name)] = std::move(proc);
  }
  void DefineCommand(const std::string& name, CommandHandler handler) override {
    DefineCommand(name, CommandProc([handler = std::move(handler)](CommandInput& in) {
                    handler(in.host(), in.RestOfText());
                  }));
  }
  void SetCommandInterpreter(CommandInterpreter interpreter) override {
    interpreter_ = std::move(interpreter);
  }
  void RunPendingCommands() override {
    while (!core_->pending.empty()) core_->RunNextCommand();
  }
  std::size_t pending_commands() const override { return core_->pending.size(); }

  UserAnswer Ask(const std::string& prompt, PromptKind kind) override {
    return core_->Ask(prompt, kind);
  }
  const std::vector<std::string>& command_line() const override { return core_->transcript; }
  void Echo(const std::string& line) override { core_->Echo(line); }
  void SetCommandLineListener(std::function<void(const std::string&)> listener) override {
    core_->on_line = std::move(listener);
  }
  void PressEscape() override { core_->Escape(); }
  int escape_count() const override { return core_->escapes; }

  std::int64_t hwnd() const override { return core_->hwnd; }
  const std::vector<std::string>& prompts() const override { return core_->prompts; }
  int regen_count() const override { return core_->regens; }
  const std::vector<std::int64_t>& previous_selection() const override {
    return core_->previous_selection;
  }

 private:
  void Interpret(const std::string& text) {
    if (interpreter_) {
      interpreter_(*this, text);
      return;
    }
    CommandText input(text);
    for (;;) {
      std::optional<std::string> name;
      try {
        name = input.Next();
      } catch (const CommandTextError& e) {
        core_->Echo(e.what());
        return;
      }
      if (!name) return;
      if (name->empty()) continue;  // Enter at the command prompt repeats nothing here
      core_->Echo("Command: " + *name);
      auto it = commands_.find(CommandKey(*name));
      if (it == commands_.end()) {
        core_->Echo("Unknown command \"" + platform::UpperAscii(*name) + "\"; nothing was run.");
        continue;
      }
      if (!RunCommand(it->second, input)) return;
    }
  }

  // Runs one command; false when it ended early, which drops the rest of the text.
  bool RunCommand(const CommandProc& proc, CommandText& text) {
    CommandInput in(*this, *core_, text);
    try {
      proc(in);
      return true;
    } catch (const CommandCancelled&) {
    } catch (const CommandTextError& e) {
      core_->Echo(e.what());
    } catch (const std::exception& e) {
      core_->Echo(std::string("Command failed: ") + e.what());
    }
    core_->Echo("*Cancel*");
    return false;
  }

  std::shared_ptr<HostCore> core_;
  platform::ObjectRef app_;
  std::uint32_t cookie_ = 0;
  std::map<std::string, CommandProc> commands_;
  CommandInterpreter interpreter_;
};

}  // namespace

std::shared_ptr<EmbeddedHost> EmbeddedHost::Create() {
  auto host = std::make_shared<Host>();
  DefineBuiltinCommands(*host);
  return host;
}

}  // namespace zavin::cad
