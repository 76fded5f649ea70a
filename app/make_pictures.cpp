// The README's pictures: `zavin-pictures [DIR]` writes DIR/annotated_drawing.png
// (the main job's annotated lot) and DIR/tool_window.png (the tool window),
// on the offscreen platform. DIR defaults to docs/images of the source tree.

#include <QApplication>
#include <QImage>
#include <QString>

#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "app/batch.h"
#include "shell/command_support.h"
#include "shell/program.h"
#include "ui/drawing_view.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"

namespace fs = std::filesystem;

namespace {

// A fresh scratch directory: the program's settings lie beside its executable.
fs::path Scratch() {
  std::random_device rd;
  fs::path dir = fs::temp_directory_path() / ("zavin_pictures_" + std::to_string(rd()));
  fs::create_directories(dir);
  return dir;
}

void AnnotatedDrawing(const fs::path& scratch, const fs::path& png) {
  const fs::path examples = fs::path(ZAVIN_SOURCE_DIR) / "examples";
  zavin::app::BatchOptions o;
  o.drawing = examples / "l_shaped_lot.dxf";
  o.script = examples / "l_shaped_lot.zvs";
  o.out = scratch / "l_shaped_lot_annotated.dxf";
  o.render = png;
  o.renderer = [](const zavin::cad::Database& db, const fs::path& p) {
    zavin::ui::WriteDrawingPicture(db, p, {1600, 1200});
  };
  std::ostringstream log;
  zavin::app::RunBatch(o, log);
}

void ToolWindow(const fs::path& scratch, const fs::path& png) {
  zavin::shell::ProgramOptions options;
  options.executable = scratch / "zavin";
  options.screens = std::make_shared<zavin::ui::QtScreens>();
  zavin::shell::TZavinProgram program(std::move(options));
  program.Start();
  zavin::shell::CommandState commands;
  zavin::shell::InstallCommands(program.Form1(), commands);
  {
    zavin::ui::MainWindowView window(program.Form1());
    window.show();
    QApplication::processEvents();
    if (!window.grab().toImage().save(QString::fromStdString(png.string()), "PNG"))
      throw std::runtime_error(png.string() + ": cannot be written");
  }
  program.Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path(ZAVIN_SOURCE_DIR) / "docs" / "images";
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");  // the small tool window at twice its pixels
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  const fs::path scratch = Scratch();
  int rc = 0;
  try {
    fs::create_directories(dir);
    AnnotatedDrawing(scratch, dir / "annotated_drawing.png");
    ToolWindow(scratch, dir / "tool_window.png");
    std::cout << "pictures: " << (dir / "annotated_drawing.png").string() << ", "
              << (dir / "tool_window.png").string() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "zavin-pictures: " << e.what() << '\n';
    rc = 1;
  }
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return rc;
}
