#include "shell/command_length_label.h"

#include "tools/length_label.h"

namespace zavin::shell {

annotate::LabelStyle ReadLengthLabelStyle(const TForm1& form) {
  annotate::LabelStyle style;
  style.height = FieldNumber(form.Edit3);
  style.scale = FieldNumber(form.Edit8);
  style.length = {form.Settings.LengthDigits, form.Settings.LengthRounding};
  style.layer = form.Edit12.Text();
  return style;
}

host::FrameSteps LengthLabelSteps() {
  return host::FrameSteps().EndPendingConstruction().Snap(host::SnapGuard::RestoreRemembered);
}

host::CommandBody LengthLabelBody(TForm1& form, CommandState& state) {
  return [&form, &state](const host::Document& document, host::CommandContext&) {
    // Read before the pick: a field that is no number ends the command
    // before the user is asked for anything.
    const annotate::LabelStyle style = ReadLengthLabelStyle(form);
    tools::LabelPickedSegment(document, style, state.Created);
  };
}

void Button11Click(TForm1& form, CommandState& state) {
  form.Frame.Run(LengthLabelSteps(), LengthLabelBody(form, state));
}

void InstallLengthLabelCommand(TForm1& form, CommandState& state) {
  form.Commands.Button11Click = [&state](TForm1& f, TButton&) { Button11Click(f, state); };
}

}  // namespace zavin::shell
