#include "shell/program.h"

#include "shell/host_list_file.h"
#include "shell/settings_file.h"

namespace zavin::shell {

TZavinProgram::TZavinProgram(ProgramOptions options) : executable_(std::move(options.executable)) {
  TForm1Environment env;
  if (!executable_.empty()) env.settings_file = SettingsPathFor(executable_);
  env.screens = std::move(options.screens);
  env.register_message_filter = std::move(options.register_message_filter);
  env.revoke_message_filter = std::move(options.revoke_message_filter);
  env.show_target_cad = [this] {
    if (target_cad_) target_cad_->FormShow();
  };
  form1_ = std::make_unique<TForm1>(std::move(env));
}

TZavinProgram::~TZavinProgram() { Shutdown(); }

void TZavinProgram::Start() {
  form1_->FormCreate();
  if (!target_cad_) target_cad_ = std::make_unique<TTargetCADForm>(*form1_, HostListPathFor(executable_));
}

void TZavinProgram::Shutdown() { form1_->FormDestroy(); }

}  // namespace zavin::shell
