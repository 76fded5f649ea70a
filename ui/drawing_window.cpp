#include "ui/drawing_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "platform/file_io.h"
#include "platform/message_filter.h"
#include "platform/message_queue.h"

namespace zavin::ui {

namespace {

namespace fs = std::filesystem;
using cad::PromptKind;
using cad::UserAnswer;

constexpr const char kCaption[] = "Embedded CAD";
// A left press that moves further than this is a drag, not a click.
constexpr int kDragPixels = 4;
// Zoom of one wheel notch.
constexpr double kWheelStep = 1.2;
constexpr double kMinScale = 1e-9, kMaxScale = 1e9;

UserAnswer CancelAnswer() { return {UserAnswer::Kind::Cancel}; }

fs::path PathOf(const QString& s) { return fs::path(QFile::encodeName(s).toStdString()); }
QString Text(const fs::path& p) { return QFile::decodeName(QByteArray::fromStdString(p.string())); }

// What the tool's message filter lets its window do while the host keeps the
// call waiting on the user: kPendingWait without a filter or outside a call.
std::uint32_t FilterAnswer() {
  const platform::OutgoingCall* call = platform::OutgoingCall::Current();
  const std::shared_ptr<platform::IMessageFilter> filter = platform::CurrentMessageFilter();
  if (!call || !filter) return platform::kPendingWait;
  try {
    return filter->MessagePending(call->callee(), call->ElapsedTicks(),
                                  platform::kPendingTypeTopLevel);
  } catch (...) {
    return platform::kPendingWait;
  }
}

}  // namespace

// The host's prompts, answered in the window. The host holds it; a window
// destroyed while a prompt waits leaves a Cancel behind.
class DrawingInput : public cad::UserInput, public std::enable_shared_from_this<DrawingInput> {
 public:
  explicit DrawingInput(DrawingWindow* window) : window_(window) {}

  UserAnswer Next(const std::string& prompt) override { return Next(prompt, PromptKind::Point); }
  UserAnswer Next(const std::string& prompt, PromptKind kind) override;

  // A prompt waits for the user: asked and not yet answered.
  bool waiting() const { return loop_ != nullptr && !answered_; }
  std::optional<PromptKind> kind() const { return waiting() ? kind_ : std::nullopt; }
  // The first answer counts; the loop ends when control is back in it.
  void Answer(const UserAnswer& a) {
    if (!waiting()) return;
    answer_ = a;
    answered_ = true;
    loop_->quit();
  }
  void Detach() {
    window_ = nullptr;
    Answer(CancelAnswer());
  }
  // The release point of a selection drag: the opposite corner for the
  // Corner prompt that follows its pick.
  void SetCorner(std::pair<double, double> p) { corner_ = p; }

 private:
  QPointer<DrawingWindow> window_;
  QEventLoop* loop_ = nullptr;
  std::optional<PromptKind> kind_;
  UserAnswer answer_;
  bool answered_ = false;
  std::optional<std::pair<double, double>> corner_;
};

UserAnswer DrawingInput::Next(const std::string& prompt, PromptKind kind) {
  // The host may drop its input while we wait.
  const std::shared_ptr<DrawingInput> keep = shared_from_this();
  const std::optional<std::pair<double, double>> corner = std::exchange(corner_, std::nullopt);
  if (kind == PromptKind::Corner && corner)
    return {UserAnswer::Kind::Point, corner->first, corner->second};
  // One prompt at a time; no window, no user.
  if (!window_ || loop_) return CancelAnswer();

  const std::uint32_t pending = FilterAnswer();
  if (pending == platform::kPendingCancelCall) return CancelAnswer();
  // The tool window takes no input meanwhile, unless its filter lets its
  // messages run; restored on every way out.
  struct ToolBlock {
    QPointer<QWidget> tool;
    bool disabled = false;
    ~ToolBlock() {
      if (tool && disabled) tool->setEnabled(true);
    }
  } block;
  if (pending != platform::kPendingProcess && window_->tool_window_ &&
      window_->tool_window_->isEnabled()) {
    block.tool = window_->tool_window_;
    block.tool->setEnabled(false);
    block.disabled = true;
  }

  QEventLoop loop;
  struct LoopScope {
    DrawingInput& in;
    ~LoopScope() {
      in.loop_ = nullptr;
      in.kind_.reset();
    }
  } scope{*this};
  loop_ = &loop;
  kind_ = kind;
  answer_ = CancelAnswer();
  answered_ = false;
  window_->ShowPrompt(prompt, kind);
  // Ends with an answer, the window's end, or the application's quit.
  loop.exec();
  const UserAnswer answer = answer_;
  loop_ = nullptr;
  kind_.reset();
  if (window_) window_->ShowPrompt("", std::nullopt);
  return answer;
}

// The drawing itself: paint, mouse and wheel.
class DrawingCanvas : public QWidget {
 public:
  explicit DrawingCanvas(DrawingWindow& w) : QWidget(&w), w_(w) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    PaintDrawing(p, w_.host_->database(), w_.view_);
    w_.painted_stamp_ = w_.ChangeStamp();
    const std::optional<PromptKind> kind = w_.prompt_kind();
    if (!kind || !underMouse()) return;
    p.setRenderHint(QPainter::Antialiasing, false);
    // Selection window: left to right solid (window), right to left dashed (crossing).
    std::optional<QPointF> from;
    if (dragging_ && press_) from = QPointF(*press_);
    if (*kind == PromptKind::Corner && w_.band_from_)
      from = w_.view_.ToScreen(w_.band_from_->first, w_.band_from_->second);
    if (from) {
      const bool crossing = cursor_.x() < from->x();
      QPen pen(crossing ? QColor(0, 140, 0) : QColor(0, 70, 200), 1,
               crossing ? Qt::DashLine : Qt::SolidLine);
      p.setPen(pen);
      p.setBrush(crossing ? QColor(0, 160, 0, 40) : QColor(0, 90, 220, 40));
      p.drawRect(QRectF(*from, QPointF(cursor_)).normalized());
      return;
    }
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::NoBrush);
    if (*kind == PromptKind::Point || *kind == PromptKind::Corner) {
      p.drawLine(QPointF(cursor_.x(), 0), QPointF(cursor_.x(), height()));
      p.drawLine(QPointF(0, cursor_.y()), QPointF(width(), cursor_.y()));
    } else {
      // The pick box, as large as the host takes it.
      const double half =
          std::clamp(w_.host_->database().PickAperture() * w_.view_.scale, 2.0, 50.0);
      p.drawRect(QRectF(cursor_.x() - half, cursor_.y() - half, 2 * half, 2 * half));
    }
  }

  void resizeEvent(QResizeEvent*) override { w_.CanvasResized(size()); }

  void mousePressEvent(QMouseEvent* e) override {
    const QPoint pos = e->position().toPoint();
    cursor_ = pos;
    if (e->button() == Qt::MiddleButton ||
        (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ControlModifier))) {
      pan_from_ = pos;
      setCursor(Qt::ClosedHandCursor);
      return;
    }
    if (e->button() == Qt::LeftButton) {
      press_ = pos;
      dragging_ = false;
    }
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint pos = e->position().toPoint();
    cursor_ = pos;
    if (pan_from_) {
      w_.PanBy(QPointF(pos - *pan_from_));
      pan_from_ = pos;
      return;
    }
    if (press_ && w_.prompt_kind() == PromptKind::Select &&
        (pos - *press_).manhattanLength() > kDragPixels)
      dragging_ = true;
    if (w_.waiting()) update();
  }

  void mouseReleaseEvent(QMouseEvent* e) override {
    const QPoint pos = e->position().toPoint();
    cursor_ = pos;
    if (pan_from_ && (e->button() == Qt::MiddleButton || e->button() == Qt::LeftButton)) {
      pan_from_.reset();
      w_.UpdateCursor();
      return;
    }
    if (e->button() == Qt::RightButton) {
      if (w_.waiting()) w_.Answer({UserAnswer::Kind::Empty});
      return;
    }
    if (e->button() != Qt::LeftButton || !press_) return;
    const QPoint at = *press_;
    const bool drag = std::exchange(dragging_, false);
    press_.reset();
    const std::optional<PromptKind> kind = w_.prompt_kind();
    if (!kind) return;
    const auto [x, y] = w_.view_.ToWorld(QPointF(at));
    switch (*kind) {
      case PromptKind::Point:
      case PromptKind::Corner:
        w_.Answer({UserAnswer::Kind::Point, x, y});
        break;
      case PromptKind::Entity:
        w_.Answer({UserAnswer::Kind::Entity, x, y, 0, 0});
        break;
      case PromptKind::Select:
        // A pick on empty space opens a window; a drag gives its far corner too.
        if (drag) w_.input_->SetCorner(w_.view_.ToWorld(QPointF(pos)));
        w_.band_from_ = std::make_pair(x, y);
        w_.Answer({UserAnswer::Kind::Entity, x, y, 0, 0});
        break;
    }
  }

  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::MiddleButton) w_.ZoomExtents();
    else QWidget::mouseDoubleClickEvent(e);
  }

  void wheelEvent(QWheelEvent* e) override {
    const double notches = e->angleDelta().y() / 120.0;
    if (notches == 0) return;
    w_.ZoomAbout(e->position(), std::pow(kWheelStep, notches));
  }

  void keyPressEvent(QKeyEvent* e) override {
    if (!w_.HandleKey(e->key())) QWidget::keyPressEvent(e);
  }

  void leaveEvent(QEvent*) override { update(); }

 private:
  DrawingWindow& w_;
  std::optional<QPoint> press_;
  bool dragging_ = false;
  std::optional<QPoint> pan_from_;
  QPoint cursor_;
};

// ---------------------------------------------------------------------------
// DrawingWindow

DrawingWindow::DrawingWindow(std::shared_ptr<cad::EmbeddedHost> host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(std::move(host)),
      input_(std::make_shared<DrawingInput>(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* menu = new QMenuBar(this);
  layout->setMenuBar(menu);
  auto action = [this](QMenu* m, const QString& text, QKeySequence keys, auto f) {
    QAction* a = m->addAction(text);
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, f);
    return a;
  };
  QMenu* file = menu->addMenu(QStringLiteral("&File"));
  action(file, QStringLiteral("&Save"), QKeySequence::Save, [this] { Save(); });
  action(file, QStringLiteral("Save &As..."), QKeySequence::SaveAs, [this] { SaveAs(); });
  file->addSeparator();
  action(file, QStringLiteral("&Close"), QKeySequence::Close, [this] { close(); });
  QMenu* view = menu->addMenu(QStringLiteral("&View"));
  action(view, QStringLiteral("Zoom &Extents"), QKeySequence(Qt::Key_Home), [this] { ZoomExtents(); });
  action(view, QStringLiteral("Zoom &In"), QKeySequence::ZoomIn,
         [this] { ZoomAbout(QPointF(canvas_->width() / 2.0, canvas_->height() / 2.0), kWheelStep); });
  action(view, QStringLiteral("Zoom &Out"), QKeySequence::ZoomOut, [this] {
    ZoomAbout(QPointF(canvas_->width() / 2.0, canvas_->height() / 2.0), 1 / kWheelStep);
  });

  canvas_ = new DrawingCanvas(*this);
  layout->addWidget(canvas_, 1);

  command_line_ = new QPlainTextEdit(this);
  command_line_->setReadOnly(true);
  command_line_->setFocusPolicy(Qt::NoFocus);
  command_line_->setMaximumBlockCount(5000);
  command_line_->setFixedHeight(command_line_->fontMetrics().lineSpacing() * 5 + 8);
  layout->addWidget(command_line_);
  status_ = new QLabel(this);
  status_->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(status_);

  for (const std::string& line : host_->command_line()) AppendCommandLine(line);
  host_->SetUserInput(input_);
  QPointer<DrawingWindow> self(this);
  host_->SetCommandLineListener([self](const std::string& line) {
    if (self) self->AppendCommandLine(line);
  });
  platform::SetWindowStateObserver(host_->hwnd(), [self](const platform::WindowState& s) {
    if (self) self->FollowPlatformState(s);
  });

  // Commands of the tool change the drawing between events; a cheap look
  // after each burst of them repaints.
  auto* timer = new QTimer(this);
  timer->setInterval(100);
  connect(timer, &QTimer::timeout, this, [this] { Refresh(); });
  timer->start();

  ShowPrompt("", std::nullopt);
  saved_stamp_ = ChangeStamp();
  UpdateTitle();
  resize(1000, 720);
}

DrawingWindow::~DrawingWindow() {
  input_->Detach();
  host_->SetUserInput(nullptr);
  host_->SetCommandLineListener(nullptr);
  platform::SetWindowStateObserver(host_->hwnd(), nullptr);
}

QWidget* DrawingWindow::canvas() const { return canvas_; }
bool DrawingWindow::waiting() const { return input_->waiting(); }
std::optional<cad::PromptKind> DrawingWindow::prompt_kind() const { return input_->kind(); }

void DrawingWindow::SetToolWindow(QWidget* window, platform::Hwnd handle) {
  tool_window_ = window;
  tool_handle_ = handle;
}

// --- view

void DrawingWindow::ZoomExtents() {
  view_ = ViewTransform::Extents(host_->database(), canvas_->size());
  fitted_ = true;
  ViewChanged();
}

void DrawingWindow::ZoomAbout(QPointF at, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const auto [wx, wy] = view_.ToWorld(at);
  view_.scale = std::clamp(view_.scale * factor, kMinScale, kMaxScale);
  const auto [nx, ny] = view_.ToWorld(at);
  view_.center_x += wx - nx;
  view_.center_y += wy - ny;
  ViewChanged();
}

void DrawingWindow::PanBy(QPointF pixels) {
  const auto [ax, ay] = view_.ToWorld(QPointF(0, 0));
  const auto [bx, by] = view_.ToWorld(pixels);
  view_.center_x -= bx - ax;
  view_.center_y -= by - ay;
  ViewChanged();
}

QPoint DrawingWindow::CanvasPos(double x, double y) const { return view_.ToScreen(x, y).toPoint(); }

void DrawingWindow::CanvasResized(QSize size) {
  view_.size = size;
  if (!fitted_ && size.width() > 0 && size.height() > 0) {
    ZoomExtents();
    return;
  }
  ViewChanged();
}

// The host picks with the window's view: VIEWSIZE drawing units over
// view_height_px pixels.
void DrawingWindow::ViewChanged() {
  const int px = view_.size.height();
  if (px > 0 && view_.scale > 0 && std::isfinite(view_.scale) && std::isfinite(view_.center_x) &&
      std::isfinite(view_.center_y)) {
    cad::Database& db = host_->database();
    db.SetVar("VIEWSIZE", platform::Variant(px / view_.scale));
    db.SetPointVar("VIEWCTR", {view_.center_x, view_.center_y, 0});
    db.set_view_height_px(px);
  }
  canvas_->update();
}

std::int64_t DrawingWindow::ChangeStamp() const {
  return host_->call_count() + static_cast<std::int64_t>(host_->sent_commands().size()) +
         static_cast<std::int64_t>(host_->database().model_space().size());
}

void DrawingWindow::Refresh() {
  const std::int64_t stamp = ChangeStamp();
  if (stamp != painted_stamp_) canvas_->update();
  if (isWindowModified() != modified()) UpdateTitle();
}

// --- prompts

void DrawingWindow::Answer(const cad::UserAnswer& a) {
  if (a.kind != UserAnswer::Kind::Entity) band_from_.reset();
  input_->Answer(a);
  canvas_->update();
}

void DrawingWindow::CancelPrompt() { Answer(CancelAnswer()); }

bool DrawingWindow::HandleKey(int key) {
  switch (key) {
    case Qt::Key_Escape:
      // As in a real host: ESC ends the prompt, or drops queued command text.
      if (waiting()) CancelPrompt();
      else host_->PressEscape();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (!waiting()) return false;
      Answer({UserAnswer::Kind::Empty});
      return true;
    default:
      return false;
  }
}

void DrawingWindow::ShowPrompt(const std::string& prompt, std::optional<cad::PromptKind> kind) {
  if (!kind) {
    status_->setText(QStringLiteral("Command:"));
  } else {
    static const char* const kDefault[] = {"Specify point: ", "Select object: ", "Select objects: ",
                                           "Specify opposite corner: "};
    const std::string& text =
        prompt.empty() ? std::string(kDefault[static_cast<int>(*kind)]) : prompt;
    status_->setText(QString::fromStdString(text).trimmed());
    if (*kind != PromptKind::Corner) band_from_.reset();
    // The user has to see the drawing to answer.
    if (isMinimized()) showNormal();
    else if (!isVisible()) show();
    raise();
    activateWindow();
    canvas_->setFocus(Qt::OtherFocusReason);
  }
  UpdateCursor();
  canvas_->update();
}

void DrawingWindow::UpdateCursor() {
  canvas_->setCursor(prompt_kind() ? Qt::CrossCursor : Qt::ArrowCursor);
}

void DrawingWindow::AppendCommandLine(const std::string& line) {
  command_line_->appendPlainText(QString::fromStdString(line));
  Refresh();
}

void DrawingWindow::FollowPlatformState(const platform::WindowState& s) {
  if (following_) return;
  following_ = true;
  if (s.minimized) {
    if (isVisible() && !isMinimized()) showMinimized();
  } else {
    if (isMinimized()) showNormal();
    if (s.foreground) {
      if (!isVisible()) show();
      raise();
      activateWindow();
    }
  }
  following_ = false;
}

void DrawingWindow::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (following_) return;
  const platform::Hwnd h = host_->hwnd();
  const platform::WindowState s = platform::GetWindowState(h);
  if (e->type() == QEvent::WindowStateChange) {
    if (isMinimized()) {
      if (!s.minimized) platform::MinimizeWindow(h);
    } else if (s.minimized) {
      platform::UserActivateWindow(h);
    }
  } else if (e->type() == QEvent::ActivationChange) {
    if (isActiveWindow()) {
      if (!s.foreground) platform::UserActivateWindow(h);
    } else if (s.foreground && tool_window_ && QApplication::activeWindow() == tool_window_) {
      platform::UserActivateWindow(tool_handle_);
    }
  }
}

void DrawingWindow::keyPressEvent(QKeyEvent* e) {
  if (!HandleKey(e->key())) QWidget::keyPressEvent(e);
}

void DrawingWindow::closeEvent(QCloseEvent* e) {
  // Closing while the host asks cancels the prompt, as ESC does.
  if (waiting()) {
    CancelPrompt();
    e->ignore();
    return;
  }
  if (!ConfirmClose()) {
    e->ignore();
    return;
  }
  e->accept();
  if (on_closed) on_closed();
}

// --- file

void DrawingWindow::SetOpenedFile(const std::filesystem::path& file) {
  opened_ = file;
  save_path_.clear();
  saved_stamp_ = ChangeStamp();
  fitted_ = false;
  if (canvas_->width() > 0 && canvas_->height() > 0) ZoomExtents();
  UpdateTitle();
}

bool DrawingWindow::modified() const { return ChangeStamp() != saved_stamp_; }

void DrawingWindow::UpdateTitle() {
  const QString name = opened_.empty() && save_path_.empty()
                           ? QStringLiteral("Drawing1.dxf")
                           : Text((save_path_.empty() ? opened_ : save_path_).filename());
  setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, QString::fromUtf8(kCaption)));
  setWindowModified(modified());
}

bool DrawingWindow::SaveTo(const std::filesystem::path& file) {
  const platform::Hwnd owner = host_->hwnd();
  const bool onto_opened = platform::SameFile(file, opened_);
  std::error_code ec;
  // A file this window saved before was the user's choice already.
  if (fs::exists(file, ec) && !platform::SameFile(file, save_path_)) {
    const std::string question =
        onto_opened ? "Overwrite the opened drawing " + file.string() + "?"
                    : file.string() + " already exists.\nReplace it?";
    if (platform::MessageBoxW(owner, question, kCaption,
                              platform::MB_YESNO | platform::MB_ICONQUESTION |
                                  platform::MB_DEFBUTTON2) != platform::IDYES)
      return false;
  }
  try {
    cad::SaveDxf(host_->database(), file, {opened_, onto_opened});
  } catch (const std::exception& e) {
    platform::MessageBoxW(owner, std::string("The drawing was not saved.\n") + e.what(), kCaption,
                          platform::MB_OK | platform::MB_ICONERROR);
    return false;
  }
  save_path_ = file;
  saved_stamp_ = ChangeStamp();
  UpdateTitle();
  return true;
}

bool DrawingWindow::Save() { return save_path_.empty() ? SaveAs() : SaveTo(save_path_); }

bool DrawingWindow::SaveAs() {
  const fs::path start = !save_path_.empty() ? save_path_ : opened_;
  const QString chosen = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Drawing As"), start.empty() ? QString() : Text(start),
      QStringLiteral("Drawings (*.dxf)"), nullptr, QFileDialog::DontConfirmOverwrite);
  if (chosen.isEmpty()) return false;
  fs::path file = PathOf(chosen);
  if (!file.has_extension()) file += ".dxf";
  return SaveTo(file);
}

bool DrawingWindow::ConfirmClose() {
  if (!modified()) return true;
  switch (platform::MessageBoxW(host_->hwnd(), "Save the changes to the drawing?", kCaption,
                                platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION)) {
    case platform::IDYES:
      return Save();
    case platform::IDNO:
      return true;
    default:
      return false;
  }
}

}  // namespace zavin::ui
