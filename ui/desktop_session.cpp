#include "ui/desktop_session.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "cad/dxf/dxf_file.h"
#include "platform/windows.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/target_cad_dialog.h"

namespace zavin::ui {

namespace {

constexpr const char kCaption[] = "Embedded CAD";

// Closing the tool window ends the program, after the drawing was offered
// for saving; while a prompt waits it cancels the prompt instead.
class ToolCloseWatch : public QObject {
 public:
  ToolCloseWatch(DrawingWindow& drawing, std::function<void()> quit)
      : drawing_(drawing), quit_(std::move(quit)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::Close) return QObject::eventFilter(watched, e);
    if (drawing_.waiting()) {
      drawing_.CancelPrompt();
      e->ignore();
      return true;
    }
    if (!drawing_.ConfirmClose()) {
      e->ignore();
      return true;
    }
    quit_();
    return false;
  }

 private:
  DrawingWindow& drawing_;
  std::function<void()> quit_;
};

}  // namespace

DesktopSession::DesktopSession(DesktopOptions options) : options_(std::move(options)) {
  if (!options_.quit) options_.quit = [] { QCoreApplication::quit(); };
  host_ = cad::EmbeddedHost::Create();
  filter_ = host::TMessageFilter::Create();

  shell::ProgramOptions program_options;
  program_options.executable = options_.executable;
  program_options.screens = options_.screens ? options_.screens : std::make_shared<QtScreens>();
  program_options.register_message_filter = [f = filter_] { f->RegisterFilter(); };
  program_options.revoke_message_filter = [f = filter_] { f->RevokeFilter(); };
  program_ = std::make_unique<shell::TZavinProgram>(std::move(program_options));
  program_->Start();
  shell::TForm1& form = program_->Form1();
  shell::InstallCommands(form, commands_);

  tool_ = std::make_unique<MainWindowView>(form);
  dialog_ = std::make_unique<TargetCADDialogView>(program_->TargetCADForm(), tool_.get());
  // The host answers to whichever program the tool is set to.
  form.Environment().show_target_cad = [this] {
    dialog_->exec();
    host_->RegisterRunning(program_->Form1().Link.HostProgId);
  };
  drawing_ = std::make_unique<DrawingWindow>(host_);
  drawing_->SetToolWindow(tool_.get(), form.Handle());
  drawing_->on_closed = [this] { options_.quit(); };
  close_watch_ = std::make_unique<ToolCloseWatch>(*drawing_, [this] { options_.quit(); });
  tool_->installEventFilter(close_watch_.get());

  std::shared_ptr<platform::MessageBoxSink> boxes = options_.message_boxes;
  if (!boxes) {
    auto qt = std::make_shared<QtMessageBoxSink>();
    qt->SetOwner(form.Handle(), tool_.get());
    qt->SetOwner(host_->hwnd(), drawing_.get());
    boxes = qt;
  }
  previous_boxes_ = platform::SetMessageBoxSink(boxes);

  host_->RegisterRunning(form.Link.HostProgId);
  if (options_.drawing) OpenDrawing(*options_.drawing);
}

DesktopSession::~DesktopSession() {
  Shutdown();
  if (tool_ && close_watch_) tool_->removeEventFilter(close_watch_.get());
}

void DesktopSession::OpenDrawing(const std::filesystem::path& file) {
  try {
    const cad::DxfLoadReport report = cad::LoadDxf(file, host_->database());
    drawing_->SetOpenedFile(file);
    if (!report.Warning().empty()) host_->Echo(file.filename().string() + ": " + report.Warning());
  } catch (const std::exception& e) {
    // The load checks the whole file first: the drawing stays empty.
    platform::MessageBoxW(host_->hwnd(),
                          "Cannot open the drawing " + file.string() + ".\n" + e.what() +
                              "\nAn empty drawing is open instead.",
                          kCaption, platform::MB_OK | platform::MB_ICONERROR);
  }
}

void DesktopSession::Show() {
  QRect avail(0, 0, 1920, 1080);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) avail = screen->availableGeometry();
  drawing_->resize(std::min(1100, avail.width() * 3 / 4), std::min(800, avail.height() * 4 / 5));
  drawing_->move(avail.topLeft() + QPoint(16, 16));
  drawing_->show();
  // The tool window stays on top of the drawing, as on its own desktop.
  tool_->show();
  tool_->raise();
  tool_->activateWindow();
}

void DesktopSession::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  program_->Shutdown();
  host_->Unregister();
  platform::SetMessageBoxSink(previous_boxes_);
}

}  // namespace zavin::ui
