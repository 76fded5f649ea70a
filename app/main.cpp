// The desktop program: the tool window beside the CAD host. `zavin batch ...`
// runs a script instead, without a display (see app/batch.h).

#include <QApplication>
#include <QGuiApplication>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/batch.h"

#include "host/command_frame.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/program.h"
#include "ui/drawing_view.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/target_cad_dialog.h"

int main(int argc, char** argv) {
  // Before any Qt object: a batch run needs neither a display nor widgets. Its
  // --render picture gets a GUI application on the offscreen platform, made
  // only once the drawing is saved.
  if (argc > 1 && std::string(argv[1]) == "batch") {
    auto render = [argv0 = argv[0]](const zavin::cad::Database& db, const std::filesystem::path& png) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      int qt_argc = 1;
      char* qt_argv[] = {argv0, nullptr};
      QGuiApplication gui(qt_argc, qt_argv);
      zavin::ui::WriteDrawingPicture(db, png, {1600, 1200});
    };
    return zavin::app::BatchMain(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr,
                                 render);
  }

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
  zavin::shell::CommandState commands;
  zavin::shell::InstallCommands(program.Form1(), commands);

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
