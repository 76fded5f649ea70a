#include "cad/embedded_host.h"

#include <utility>

#include "cad/automation/host_object.h"
#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_table.h"
#include "cad/core/host_core.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"

namespace zavin::cad {

EmbeddedHost::EmbeddedHost()
    : core_(std::make_shared<HostCore>()), commands_(std::make_unique<CommandTable>()) {
  core_->hwnd = platform::CreateWindow("Embedded CAD");
  // ESC in the host window cancels what the host is doing. The handler
  // holds the core, not the host, so a late key cannot reach a dead host.
  std::weak_ptr<HostCore> weak = core_;
  platform::SetKeyHandler(core_->hwnd, [weak](std::uint8_t vk, bool down) {
    if (auto core = weak.lock(); core && down && vk == platform::VK_ESCAPE) core->Escape();
  });
  core_->run_command = [this](const std::string& text) { commands_->Run(*core_, text); };
  app_ = MakeApplicationObject(core_);
  DefineBuiltinCommands(*commands_);
}

EmbeddedHost::~EmbeddedHost() {
  core_->run_command = nullptr;
  core_->on_line = nullptr;
  Unregister();
  platform::DestroyWindow(core_->hwnd);
}

std::shared_ptr<EmbeddedHost> EmbeddedHost::Create() {
  return std::shared_ptr<EmbeddedHost>(new EmbeddedHost());
}

// The class id is derived from the program identifier, so registering the
// same identifier again finds the same class.
void EmbeddedHost::RegisterRunning(const std::string& prog_id) {
  Unregister();
  const platform::Clsid clsid{"{CAD-" + platform::UpperAscii(prog_id) + "}"};
  platform::RegisterProgId(prog_id, clsid);
  cookie_ = platform::RegisterActiveObject(app_, clsid);
}

void EmbeddedHost::Unregister() {
  if (cookie_ != 0) platform::RevokeActiveObject(cookie_);
  cookie_ = 0;
}

Database& EmbeddedHost::database() { return core_->db; }

void EmbeddedHost::SetUserInput(std::shared_ptr<UserInput> input) { core_->input = std::move(input); }

std::int64_t EmbeddedHost::call_count() const { return core_->calls; }

const std::vector<std::string>& EmbeddedHost::sent_commands() const { return core_->sent; }

void EmbeddedHost::DefineCommand(const std::string& name, CommandProc proc) {
  commands_->Define(name, std::move(proc));
}

void EmbeddedHost::RunPendingCommands() {
  while (!core_->pending.empty()) core_->RunNextCommand();
}

const std::vector<std::string>& EmbeddedHost::command_line() const { return core_->transcript; }

void EmbeddedHost::Echo(const std::string& line) { core_->Echo(line); }

void EmbeddedHost::SetCommandLineListener(std::function<void(const std::string&)> listener) {
  core_->on_line = std::move(listener);
}

void EmbeddedHost::PressEscape() { core_->Escape(); }

std::int64_t EmbeddedHost::hwnd() const { return core_->hwnd; }

const std::vector<std::string>& EmbeddedHost::prompts() const { return core_->prompts; }

}  // namespace zavin::cad
