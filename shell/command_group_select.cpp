#include "shell/command_group_select.h"

#include "capture/group_select.h"

namespace zavin::shell {

namespace {

void Button13Click(TForm1& form) {
  capture::GroupProgress progress;
  form.Frame.Run(capture::GroupSelectFrameSteps(),
                 [&](const host::Document& document, host::CommandContext& context) {
                   // Every field is read before the selection: one that is not
                   // a number ends the command before the user selects.
                   capture::GroupSelectParams params;
                   params.settings = ReadAnnotationSettings(form);
                   params.method = AreaMethodOf(form);
                   params.number = form.UpDown4.Position();
                   params.owner = form.Handle();
                   capture::GroupSelectCommand(document, context, params, progress);
                 });
  // Also after a host error: the triangles numbered so far keep their numbers.
  if (progress.annotated > 0) form.UpDown4.SetPosition(progress.next_number);
}

}  // namespace

void InstallGroupSelectCommand(TForm1& form, CommandState&) {
  form.Commands.Button13Click = [](TForm1& f, TButton&) { Button13Click(f); };
}

}  // namespace zavin::shell
