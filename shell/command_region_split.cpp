#include "shell/command_region_split.h"

#include "capture/region_split.h"

namespace zavin::shell {

namespace {

void Button10Click(TForm1& form, TButton& sender) {
  const bool annotate = &sender != &form.Button12;
  form.Frame.Run(capture::RegionSplitFrameSteps(),
                 [&](const host::Document& document, host::CommandContext& context) {
                   // Every field is read before the pick: one that is not a
                   // number ends the command before anything is drawn.
                   capture::RegionSplitParams params;
                   params.settings = ReadAnnotationSettings(form);
                   params.method = AreaMethodOf(form);
                   params.number = form.UpDown4.Position();
                   params.annotate = annotate;
                   params.owner = form.Handle();
                   params.numbered = [&form](int next) { form.UpDown4.SetPosition(next); };
                   capture::RegionSplitCommand(document, context, params);
                 });
}

}  // namespace

void InstallRegionSplitCommand(TForm1& form, CommandState& /*state*/) {
  form.Commands.Button10Click = [](TForm1& f, TButton& sender) { Button10Click(f, sender); };
}

}  // namespace zavin::shell
