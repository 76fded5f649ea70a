// The desktop program: the tool window beside the CAD host. `zavin batch ...`
// runs a script instead, without a display (see app/batch.h), and
// `zavin sima-import|sima-export ...` move SIMA files in and out of a drawing
// (see app/sima_cli.h).

#include <QApplication>
#include <QFile>
#include <QGuiApplication>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/sima_cli.h"

#include "ui/drawing_view.h"
#include "ui/desktop_session.h"

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

  if (argc > 1 && std::string(argv[1]) == "sima-import")
    return zavin::app::SimaImportMain(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
  if (argc > 1 && std::string(argv[1]) == "sima-export")
    return zavin::app::SimaExportMain(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);

  // zavin [DRAWING.dxf]: the drawing window and the tool window on top of it.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zavin"));
  const QStringList args = QApplication::arguments();
  if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
    std::cerr << "usage: zavin [DRAWING.dxf]\n       zavin batch [--drawing IN.dxf] --script FILE --out OUT.dxf ...\n"
                 "       zavin sima-import IN.sim [--drawing IN.dxf] --out OUT.dxf ...\n"
                 "       zavin sima-export --drawing IN.dxf --point X,Y --out OUT.sim ...\n";
    return 2;
  }

  zavin::ui::DesktopOptions options;
  options.executable = QFile::encodeName(QApplication::applicationFilePath()).toStdString();
  if (args.size() == 2) options.drawing = std::filesystem::path(QFile::encodeName(args[1]).toStdString());
  // The session quits when either window is closed for good.
  QApplication::setQuitOnLastWindowClosed(false);
  zavin::ui::DesktopSession session(std::move(options));
  session.Show();
  const int rc = QApplication::exec();
  session.Shutdown();
  return rc;
}
