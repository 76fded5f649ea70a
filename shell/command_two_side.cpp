#include "shell/command_two_side.h"

#include "capture/two_side.h"

namespace zavin::shell {

namespace {

void Button8Click(TForm1& form, CommandState& state) {
  capture::TwoSideOutcome outcome;
  form.Frame.Run(capture::TwoSideFrameSteps(),
                 [&](const host::Document& document, host::CommandContext& context) {
                   // Every field is read before the first prompt: one that is
                   // not a number ends the command before anything is drawn.
                   capture::TwoSideParams params;
                   params.settings = ReadAnnotationSettings(form);
                   params.method = AreaMethodOf(form);
                   params.number = form.UpDown4.Position();
                   params.owner = form.Handle();
                   outcome = capture::TwoSideCommand(document, context, params, state.Created);
                 });
  if (outcome.end == capture::TwoSideEnd::Annotated) form.UpDown4.SetPosition(outcome.next_number);
}

}  // namespace

void InstallTwoSideCommand(TForm1& form, CommandState& state) {
  form.Commands.Button8Click = [&state](TForm1& f, TButton&) { Button8Click(f, state); };
}

}  // namespace zavin::shell
