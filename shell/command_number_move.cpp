#include "shell/command_number_move.h"

#include "tools/number_move.h"

namespace zavin::shell {

host::FrameSteps NumberMoveSteps() { return host::FrameSteps().EndPendingConstruction(); }

host::CommandBody NumberMoveBody(TForm1& form) {
  return [&form](const host::Document& document, host::CommandContext& context) {
    tools::NumberMoveOptions options;
    options.leader = form.CheckBox3.Checked();
    if (options.leader) options.arrowSize = FieldNumber(form.Edit14);
    tools::MoveNumberMarker(document, context.link(), options);
  };
}

void Button5Click(TForm1& form) { form.Frame.Run(NumberMoveSteps(), NumberMoveBody(form)); }

void InstallNumberMoveCommand(TForm1& form, CommandState& /*state*/) {
  form.Commands.Button5Click = [](TForm1& f, TButton&) { Button5Click(f); };
}

}  // namespace zavin::shell
