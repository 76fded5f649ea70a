#include "shell/command_text_rotation.h"

#include "platform/message_box.h"
#include "tools/text_rotation.h"

namespace zavin::shell {

host::FrameSteps TextRotationSteps() {
  return host::FrameSteps().EndPendingConstruction().Snap(host::SnapGuard::RestoreRemembered);
}

host::CommandBody TextRotationBody(TForm1& form) {
  return [&form](const host::Document& document, host::CommandContext& context) {
    const double degrees = FieldNumber(form.Edit13);
    if (tools::RotatePickedText(document, degrees) == tools::TextRotationResult::NotAText) {
      platform::MessageBoxW(form.Handle(), kNotATextMessage, kTextRotationCaption, platform::MB_OK);
      host::BringHostToFront(context.link());
    }
  };
}

void Button2Click(TForm1& form) { form.Frame.Run(TextRotationSteps(), TextRotationBody(form)); }

void InstallTextRotationCommand(TForm1& form, CommandState& /*state*/) {
  form.Commands.Button2Click = [](TForm1& f, TButton&) { Button2Click(f); };
}

}  // namespace zavin::shell
