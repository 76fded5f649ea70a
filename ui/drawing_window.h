#pragma once

// The embedded host's own window: model space drawn to scale, pan and zoom,
// the command line, and the host's prompts answered with mouse and keyboard.

#include <QPlainTextEdit>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "cad/embedded_host.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "ui/drawing_view.h"

namespace zavin::ui {

class DrawingCanvas;
class DrawingInput;

class DrawingWindow : public QWidget {
 public:
  // Becomes the host's user input and command-line listener, and follows the
  // state of its platform window, until destroyed.
  explicit DrawingWindow(std::shared_ptr<cad::EmbeddedHost> host, QWidget* parent = nullptr);
  ~DrawingWindow() override;

  cad::EmbeddedHost& host() { return *host_; }

  // --- view
  const ViewTransform& view() const { return view_; }
  void ZoomExtents();
  // Scales by `factor` keeping the world point under `at` (canvas pixels) in place.
  void ZoomAbout(QPointF at, double factor);
  void PanBy(QPointF pixels);
  // Where a world point shows on the canvas.
  QPoint CanvasPos(double x, double y) const;
  QWidget* canvas() const;
  // Repaints when the drawing changed since the last paint; cheap when not.
  void Refresh();

  // --- prompts
  // True while a prompt of the host waits for the user.
  bool waiting() const;
  std::optional<cad::PromptKind> prompt_kind() const;
  QString prompt_text() const { return status_->text(); }
  QPlainTextEdit* command_line() const { return command_line_; }
  // ESC: the waiting prompt answers Cancel.
  void CancelPrompt();
  // The tool window: it takes no input while a prompt waits (unless the
  // message filter lets messages run during the call), and when it takes the
  // activation from this window the platform foreground moves to `handle`.
  void SetToolWindow(QWidget* window, platform::Hwnd handle);

  // --- file
  // The file the drawing was opened from (empty for a new drawing).
  void SetOpenedFile(const std::filesystem::path& file);
  const std::filesystem::path& opened_file() const { return opened_; }
  // True when the host may have changed the drawing since it was opened or saved.
  bool modified() const;
  // Saves to `file`. Replacing an existing file, the opened drawing above all,
  // needs the user's yes in a box. False when declined or failed (a box says why).
  bool SaveTo(const std::filesystem::path& file);
  // To the file of the last save, or one the user picks.
  bool Save();
  bool SaveAs();
  // Offers to save a modified drawing: false when the user keeps it open.
  bool ConfirmClose();
  // Runs after the window was closed for good (not while a prompt waits).
  std::function<void()> on_closed;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  friend class DrawingCanvas;
  friend class DrawingInput;

  void Answer(const cad::UserAnswer& a);
  // A key of the user: ESC, Enter. True when used.
  bool HandleKey(int key);
  // The prompt in the status line and the cursor; no kind: no prompt waits.
  void ShowPrompt(const std::string& prompt, std::optional<cad::PromptKind> kind);
  void UpdateCursor();
  void AppendCommandLine(const std::string& line);
  void FollowPlatformState(const platform::WindowState& s);
  void ViewChanged();
  void CanvasResized(QSize size);
  std::int64_t ChangeStamp() const;
  void UpdateTitle();

  std::shared_ptr<cad::EmbeddedHost> host_;
  std::shared_ptr<DrawingInput> input_;
  DrawingCanvas* canvas_ = nullptr;
  QPlainTextEdit* command_line_ = nullptr;
  QLabel* status_ = nullptr;
  ViewTransform view_;
  bool fitted_ = false;
  bool following_ = false;
  // The first corner of a selection window, while its opposite corner is asked.
  std::optional<std::pair<double, double>> band_from_;
  std::int64_t painted_stamp_ = -1;
  std::int64_t saved_stamp_ = 0;
  QPointer<QWidget> tool_window_;
  platform::Hwnd tool_handle_ = platform::kNoWindow;
  std::filesystem::path opened_;
  std::filesystem::path save_path_;
};

}  // namespace zavin::ui
