#pragma once

// The desktop program's wiring: the tool window beside the embedded host and
// its drawing window.

#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "cad/embedded_host.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "shell/command_support.h"
#include "shell/program.h"
#include "shell/screen.h"
#include "ui/drawing_window.h"

namespace zavin::ui {

class MainWindowView;
class TargetCADDialogView;

struct DesktopOptions {
  // The running executable: the settings file and the host list lie beside it.
  std::filesystem::path executable;
  // Opened at start; a file that cannot be read leaves an empty drawing and a box.
  std::optional<std::filesystem::path> drawing;
  // nullptr: the screens of the running desktop.
  std::shared_ptr<const shell::ScreenGeometry> screens;
  // nullptr: Qt boxes over the two windows.
  std::shared_ptr<platform::MessageBoxSink> message_boxes;
  // Closing either window ends the program; nullptr: QCoreApplication::quit.
  std::function<void()> quit;
};

// The desktop program: the tool window and the embedded host with its
// drawing window. The host runs as the program identifier the tool is set
// to (again after each change in the target CAD dialog).
class DesktopSession {
 public:
  explicit DesktopSession(DesktopOptions options);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // The drawing window, and the tool window on top beside it.
  void Show();
  // Settings saved, filter revoked, host unregistered, boxes restored. Once.
  void Shutdown();

  cad::EmbeddedHost& host() { return *host_; }
  shell::TZavinProgram& program() { return *program_; }
  MainWindowView& tool_window() { return *tool_; }
  DrawingWindow& drawing_window() { return *drawing_; }

 private:
  void OpenDrawing(const std::filesystem::path& file);

  DesktopOptions options_;
  std::shared_ptr<cad::EmbeddedHost> host_;
  std::shared_ptr<platform::MessageBoxSink> previous_boxes_;
  std::shared_ptr<host::TMessageFilter> filter_;
  shell::CommandState commands_;
  std::unique_ptr<shell::TZavinProgram> program_;
  std::unique_ptr<MainWindowView> tool_;
  std::unique_ptr<TargetCADDialogView> dialog_;
  std::unique_ptr<DrawingWindow> drawing_;
  std::unique_ptr<QObject> close_watch_;
  bool shut_down_ = false;
};

}  // namespace zavin::ui
