#include "shell/command_base_line.h"

#include <memory>
#include <string>

#include "annotate/driver.h"
#include "capture/two_side.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "tools/base_line.h"

namespace zavin::shell {

namespace {

inline constexpr char kCannotFormText[] = "三角が作成できません．";
inline constexpr char kCannotFormCaption[] = "IJcad_Zavin";

// Everything the two commands read from the window, read before the first
// prompt so that a field that is not a number ends the command before the
// user is asked anything and before a single entity is drawn.
tools::BaseLineParams ReadParams(const TForm1& form, bool with_sides) {
  tools::BaseLineParams p;
  p.settings = ReadAnnotationSettings(form);
  p.method = AreaMethodOf(form);
  p.number = form.UpDown4.Position();
  if (with_sides) {
    const double k = FieldNumber(form.Edit17);
    p.a = FieldNumber(form.Edit1) * k;
    p.b = FieldNumber(form.Edit2) * k;
  }
  return p;
}

// Writes back what a run got to, also when a host error ended it.
void ApplyProgress(TForm1& form, const tools::BaseLineProgress& progress) {
  if (progress.pending) form.Button9.SetEnabled(true);
  if (progress.next_number) form.UpDown4.SetPosition(*progress.next_number);
}

void Button1Click(TForm1& form, CommandState& state, tools::BaseLineState& construction) {
  tools::BaseLineProgress progress;
  // No F2: this command starts the construction others end; no F6 either.
  form.Frame.Run(host::FrameSteps(), [&](const host::Document& document, host::CommandContext& context) {
    const tools::BaseLineParams params = ReadParams(form, true);
    if (!annotate::NumberFits(params.number)) {
      progress.end = tools::BaseLineEnd::NumberExhausted;
      return;
    }
    tools::BaseLineConstruction(document, context, params, construction, state.Created, progress);
  });
  ApplyProgress(form, progress);
  if (progress.end == tools::BaseLineEnd::CannotForm ||
      progress.end == tools::BaseLineEnd::NumberExhausted) {
    const std::string text = progress.end == tools::BaseLineEnd::CannotForm
                                 ? std::string(kCannotFormText)
                                 : std::string(capture::kNumberExhaustedText);
    platform::MessageBoxW(form.Handle(), text, kCannotFormCaption, platform::MB_OK);
    host::BringHostToFront(form.Link);
  }
}

void Button9Click(TForm1& form, CommandState& state, tools::BaseLineState& construction) {
  tools::BaseLineProgress progress;
  form.Frame.Run(host::FrameSteps(), [&](const host::Document& document, host::CommandContext& context) {
    const tools::BaseLineParams params = ReadParams(form, false);
    tools::SwapSides(document, context, params, construction, state.Created, progress);
  });
  ApplyProgress(form, progress);
}

}  // namespace

void InstallBaseLineCommands(TForm1& form, CommandState& state) {
  auto construction = std::make_shared<tools::BaseLineState>();
  form.Commands.Button1Click = [&state, construction](TForm1& f, TButton&) {
    Button1Click(f, state, *construction);
  };
  form.Commands.Button9Click = [&state, construction](TForm1& f, TButton&) {
    Button9Click(f, state, *construction);
  };
}

}  // namespace zavin::shell
