#include "shell/command_support.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "geometry/rounding.h"
#include "shell/command_area_table.h"
#include "shell/command_base_line.h"
#include "shell/command_coordinate_table.h"
#include "shell/command_group_select.h"
#include "shell/command_length_label.h"
#include "shell/command_region_split.h"
#include "shell/command_text_rotation.h"
#include "shell/command_two_side.h"

namespace zavin::shell {

double FieldNumber(std::string_view text) {
  const std::size_t b = text.find_first_not_of(" \t");
  const std::size_t e = text.find_last_not_of(" \t");
  if (b == std::string_view::npos) throw std::invalid_argument("empty number field");
  const std::optional<double> value = geometry::ParseWrittenNumber(text.substr(b, e - b + 1));
  if (!value || !std::isfinite(*value))
    throw std::invalid_argument("not a number: " + std::string(text));
  return *value;
}

double FieldNumber(const TEdit& edit) { return FieldNumber(edit.Text()); }

annotate::AnnotationSettings ReadAnnotationSettings(const TForm1& form) {
  annotate::AnnotationSettings s;
  s.labelHeight = FieldNumber(form.Edit3);
  s.scale = FieldNumber(form.Edit8);
  s.length = {form.Settings.LengthDigits, form.Settings.LengthRounding};
  s.numberHeight = FieldNumber(form.Edit5);
  s.markerRadius = FieldNumber(form.Edit6);
  s.textLayer = form.Edit12.Text();
  s.sideLayer = form.Edit15.Text();
  s.heightLayer = form.Edit19.Text();
  s.hostProgId = form.Link.HostProgId;
  return s;
}

annotate::AreaMethod AreaMethodOf(const TForm1& form) {
  return form.RadioGroup1.ItemIndex() == 1 ? annotate::AreaMethod::BaseHeight
                                           : annotate::AreaMethod::ThreeSide;
}

void InstallCommands(TForm1& form, CommandState& state) {
  // F2: a command that starts ends the pending base-line construction.
  form.OnEndPendingConstruction = [&state] { state.Created.Reset(); };
  InstallTwoSideCommand(form, state);
  InstallBaseLineCommands(form, state);
  InstallTextRotationCommand(form, state);
  InstallNumberMoveCommand(form, state);
  InstallLengthLabelCommand(form, state);
  InstallRegionSplitCommand(form, state);
  InstallGroupSelectCommand(form, state);
  InstallAreaTableCommands(form, state);
  InstallCoordinateTableCommand(form, state);
  const CommandHandler frame_only = [](TForm1& f, TButton&) {
    f.Frame.Run(host::FrameSteps(), [](const host::Document&, host::CommandContext&) {});
  };
  auto& c = form.Commands;
  for (CommandHandler* slot : {&c.Button1Click, &c.Button2Click, &c.Button3Click, &c.Button4Click,
                               &c.Button5Click, &c.Button8Click, &c.Button9Click, &c.Button10Click,
                               &c.Button11Click, &c.Button13Click, &c.Button15Click}) {
    if (!*slot) *slot = frame_only;
  }
}

}  // namespace zavin::shell
