#include "shell/command_area_table.h"

#include <optional>
#include <string>
#include <vector>

#include "table/commands.h"

namespace zavin::shell {

namespace {

void Button3Click(TForm1& form) {
  form.Frame.Run(table::AreaTableFrameSteps(),
                 [&](const host::Document& document, host::CommandContext& context) {
                   // The settings are read before the first prompt: one that is
                   // not a number ends the command before the user picks.
                   table::AreaTableCommandParams params;
                   params.table = ReadAreaTableParams(form);
                   params.all = form.CheckBox2.Checked();
                   params.owner = form.Handle();
                   table::AreaTableCommand(document, context, params);
                 });
}

void Button4Click(TForm1& form) {
  form.UpDown4.SetPosition(1);
  std::optional<int> next;
  form.Frame.Run(table::HighestNumberFrameSteps(),
                 [&](const host::Document& document, host::CommandContext&) {
                   next = table::HighestNumberCommand(document);
                 });
  if (next) form.UpDown4.SetPosition(*next);
}

}  // namespace

table::AreaTableParams ReadAreaTableParams(const TForm1& form) {
  table::AreaTableParams p;
  p.method = AreaMethodOf(form);
  p.scale = FieldNumber(form.Edit8);
  p.textHeight = FieldNumber(form.Edit9);
  p.rowHeight = FieldNumber(form.Edit10);
  std::vector<std::string> pieces;
  table::SplitCommaList(
      p.method == annotate::AreaMethod::BaseHeight ? form.Edit20.Text() : form.Edit11.Text(), pieces);
  for (const std::string& piece : pieces) p.widths.push_back(FieldNumber(piece));
  p.layer = form.Edit12.Text();
  p.length = {form.Settings.LengthDigits, form.Settings.LengthRounding};
  p.area = {form.Settings.AreaDigits, form.Settings.AreaRounding};
  p.total = {form.Settings.TotalDigits, form.Settings.TotalRounding};
  return p;
}

void InstallAreaTableCommands(TForm1& form, CommandState& /*state*/) {
  form.Commands.Button3Click = [](TForm1& f, TButton&) { Button3Click(f); };
  form.Commands.Button4Click = [](TForm1& f, TButton&) { Button4Click(f); };
}

}  // namespace zavin::shell
