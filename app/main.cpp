// The desktop program: the tool window beside the CAD host.

#include <QApplication>

#include <memory>

#include "host/command_frame.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "shell/program.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/target_cad_dialog.h"

namespace {

using zavin::shell::CommandHandler;
using zavin::shell::TButton;
using zavin::shell::TForm1;

// A command whose module has not been filled in yet still runs the frame,
// so without a host it ends at F1 like every other command.
void FillEmptyCommandSlots(TForm1& form) {
  const CommandHandler frame_only = [](TForm1& f, TButton&) {
    f.Frame.Run(zavin::host::FrameSteps(), [](const zavin::host::Document&, zavin::host::CommandContext&) {});
  };
  auto& c = form.Commands;
  for (CommandHandler* slot : {&c.Button1Click, &c.Button2Click, &c.Button3Click, &c.Button4Click, &c.Button5Click,
                               &c.Button8Click, &c.Button9Click, &c.Button10Click, &c.Button11Click,
                               &c.Button13Click}) {
    if (!*slot) *slot = frame_only;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zavin"));

  auto filter = zavin::host::TMessageFilter::Create();
  zavin::shell::ProgramOptions options;
  options.executable = QApplication::applicationFilePath().toStdString();
  options.screens = std::make_shared<zavin::ui::QtScreens>();
  options.register_message_filter = [filter] { filter->RegisterFilter(); };
  options.revoke_message_filter = [filter] { filter->RevokeFilter(); };

  zavin::shell::TZavinProgram program(std::move(options));
  program.Start();
  FillEmptyCommandSlots(program.Form1());

  zavin::ui::MainWindowView window(program.Form1());
  zavin::ui::TargetCADDialogView dialog(program.TargetCADForm(), &window);
  program.Form1().Environment().show_target_cad = [&dialog] { dialog.exec(); };

  auto sink = std::make_shared<zavin::ui::QtMessageBoxSink>();
  sink->SetOwner(program.Form1().Handle(), &window);
  zavin::platform::SetMessageBoxSink(sink);

  window.show();
  const int rc = QApplication::exec();
  program.Shutdown();
  zavin::platform::SetMessageBoxSink(nullptr);
  return rc;
}
