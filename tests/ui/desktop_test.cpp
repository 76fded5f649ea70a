// The desktop program offscreen: the tool window and the drawing window wired
// as `zavin` wires them, driven with the mouse and keyboard.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "capture/region_split.h"
#include "host/link.h"
#include "host/object_model.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/reset.h"
#include "platform/windows.h"
#include "ui/desktop_session.h"
#include "ui/main_window.h"

namespace zavin::ui {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
  static int argc = 1;
  static char name[] = "desktop_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing it down among the other statics at exit crashes.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
           QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, mods);
  QApplication::sendEvent(w, &e);
}

// A press at `from`, a move and the release at `to`.
void Drag(QWidget* w, QPoint from, QPoint to) {
  Mouse(w, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
  Mouse(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, (from + to) / 2);
  Mouse(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
  Mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to);
}

class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest() {
    App();
    platform::ResetPlatform();
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("zavin_desktop_" + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  ~DesktopTest() override {
    session_.reset();
    platform::ResetPlatform();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void Start(std::optional<fs::path> drawing = std::nullopt) {
    DesktopOptions o;
    o.executable = dir_ / "zavin";
    o.drawing = std::move(drawing);
    o.message_boxes = boxes_;
    o.quit = [this] { ++quits_; };
    session_ = std::make_unique<DesktopSession>(std::move(o));
    session_->Show();
    QApplication::processEvents();
  }

  DrawingWindow& drawing() { return session_->drawing_window(); }
  cad::Database& db() { return session_->host().database(); }
  shell::TForm1& form() { return session_->program().Form1(); }
  QWidget* canvas() { return drawing().canvas(); }
  host::Document document() { return host::Application(session_->host().Application()).ActiveDocument(); }

  // The 10 x 10 m lot as four lines, zoomed to.
  void SeedLot() {
    const std::vector<std::pair<double, double>> lot = {{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}};
    for (std::size_t i = 0; i < lot.size(); ++i) {
      const auto& [x1, y1] = lot[i];
      const auto& [x2, y2] = lot[(i + 1) % lot.size()];
      db().AddLine({x1, y1, 0}, {x2, y2, 0}, "0");
    }
    drawing().ZoomExtents();
  }

  // Runs `act` from inside the prompt each time one waits (the n-th call
  // gets n), then `run` (a click or a call that prompts). A prompt that
  // nobody answers is cancelled after a while, so a fault cannot hang.
  void WhilePrompting(const std::function<void(int)>& act, const std::function<void()>& run) {
    int prompts = 0;
    int idle = 0;
    bool was_waiting = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (!drawing().waiting()) {
        was_waiting = false;
        return;
      }
      if (was_waiting) {
        if (++idle > 200) drawing().CancelPrompt();
        return;
      }
      was_waiting = true;
      idle = 0;
      prompt_kinds_.push_back(drawing().prompt_kind());
      tool_enabled_while_waiting_.push_back(session_->tool_window().isEnabled());
      act(prompts++);
      // Answered: the next prompt that waits is a new one.
      was_waiting = drawing().waiting();
    });
    timer.start(0);
    run();
    timer.stop();
  }

  std::vector<const cad::Entity*> Texts() { return db().OfKind(cad::EntityKind::Text); }

  fs::path dir_;
  std::shared_ptr<platform::RecordingMessageBoxSink> boxes_ =
      std::make_shared<platform::RecordingMessageBoxSink>();
  int quits_ = 0;
  std::shared_ptr<platform::VirtualClock> clock_ = std::make_shared<platform::VirtualClock>();
  platform::ScopedClock scoped_clock_{clock_};
  std::unique_ptr<DesktopSession> session_;
  std::vector<std::optional<cad::PromptKind>> prompt_kinds_;
  std::vector<bool> tool_enabled_while_waiting_;
};

// Ink (a non-white pixel) within `radius` pixels of `at`.
bool InkNear(const QImage& image, QPoint at, int radius) {
  for (int y = at.y() - radius; y <= at.y() + radius; ++y)
    for (int x = at.x() - radius; x <= at.x() + radius; ++x)
      if (image.rect().contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return true;
  return false;
}

TEST_F(DesktopTest, AutoButtonTakesItsPointFromAClickAndTheWindowShowsTheAnnotations) {
  Start();
  // The host runs as the program the tool is set to, its prompts in the window.
  EXPECT_TRUE(host::HostRunning(form().Link.HostProgId));
  SeedLot();
  const QPoint click = drawing().CanvasPos(2500, 6000);
  auto* button = session_->tool_window().WidgetOf(form().Button10);
  ASSERT_NE(button, nullptr);
  const QImage before = canvas()->grab().toImage();

  WhilePrompting([&](int) { QTest::mouseClick(canvas(), Qt::LeftButton, {}, click); },
                 [&] { QTest::mouseClick(button, Qt::LeftButton); });

  ASSERT_EQ(prompt_kinds_.size(), 1u);
  EXPECT_EQ(prompt_kinds_[0], cad::PromptKind::Point);
  EXPECT_EQ(tool_enabled_while_waiting_, std::vector<bool>{false});
  EXPECT_TRUE(session_->tool_window().isEnabled());
  EXPECT_FALSE(drawing().waiting());
  EXPECT_TRUE(drawing().command_line()->toPlainText().contains(
      QString::fromUtf8(capture::kRegionPointPrompt.data(), capture::kRegionPointPrompt.size()).trimmed()));

  // The lot is split and annotated: a numbered marker and side labels.
  const auto circles = db().OfKind(cad::EntityKind::Circle);
  ASSERT_FALSE(circles.empty());
  EXPECT_GE(Texts().size(), 5u);
  const cad::Point3 marker = circles[0]->as<cad::CircleData>()->center;
  EXPECT_GT(marker.x, 0);
  EXPECT_LT(marker.x, 10000);

  // The window paints them: ink at the marker, where the bare lot was white.
  const QPoint at = drawing().CanvasPos(marker.x, marker.y);
  const int r = std::max(2, static_cast<int>(circles[0]->as<cad::CircleData>()->radius * drawing().view().scale));
  EXPECT_FALSE(InkNear(before, at, r + 2));
  EXPECT_TRUE(InkNear(canvas()->grab().toImage(), at, r + 2));
  EXPECT_TRUE(drawing().modified());
}

TEST_F(DesktopTest, EscapeOrClosingTheWindowCancelsThePromptWithoutChanges) {
  const struct {
    const char* name;
    std::function<void(DrawingWindow&)> cancel;
  } cases[] = {
      {"ESC", [](DrawingWindow& w) { QTest::keyClick(w.canvas(), Qt::Key_Escape); }},
      {"close", [](DrawingWindow& w) { w.close(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    session_.reset();
    platform::ResetPlatform();
    prompt_kinds_.clear();
    tool_enabled_while_waiting_.clear();
    Start();
    SeedLot();
    std::vector<std::int64_t> before;
    for (const auto& [id, e] : db().model_space()) before.push_back(id);
    auto* button = session_->tool_window().WidgetOf(form().Button10);
    WhilePrompting([&](int) { c.cancel(drawing()); }, [&] { QTest::mouseClick(button, Qt::LeftButton); });

    EXPECT_EQ(prompt_kinds_.size(), 1u);
    std::vector<std::int64_t> after;
    for (const auto& [id, e] : db().model_space()) after.push_back(id);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(session_->tool_window().isEnabled());
    EXPECT_TRUE(drawing().isVisible()) << "a close during a prompt only cancels it";
    EXPECT_EQ(quits_, 0);
  }
}

TEST_F(DesktopTest, WheelZoomKeepsTheWorldPointUnderTheCursorAndTheHostPicksAtThatScale) {
  Start();
  SeedLot();
  const QPoint at(canvas()->width() / 3, canvas()->height() / 4);
  const auto [wx, wy] = drawing().view().ToWorld(QPointF(at));
  const double scale = drawing().view().scale;
  for (int notches : {2, -3}) {
    SCOPED_TRACE(notches);
    QWheelEvent e(QPointF(at), QPointF(canvas()->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas(), &e);
    const auto [x, y] = drawing().view().ToWorld(QPointF(at));
    EXPECT_NEAR(x, wx, 1e-6 * 10000);
    EXPECT_NEAR(y, wy, 1e-6 * 10000);
  }
  EXPECT_NEAR(drawing().view().scale, scale / 1.2, scale * 1e-9);
  // The pick box follows the view: PICKBOX pixels at the window's scale.
  const double px = canvas()->height();
  EXPECT_NEAR(db().GetVar("VIEWSIZE").ToDouble(), px / drawing().view().scale, 1e-6);
  EXPECT_DOUBLE_EQ(db().view_height_px(), px);
  EXPECT_NEAR(db().PickAperture(), 3 / drawing().view().scale, 1e-9);

  // A middle-button drag pans by as much.
  const QPoint from(100, 100), to(160, 130);
  const auto [ax, ay] = drawing().view().ToWorld(QPointF(from));
  Mouse(canvas(), QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, from);
  Mouse(canvas(), QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, to);
  Mouse(canvas(), QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoButton, to);
  const auto [bx, by] = drawing().view().ToWorld(QPointF(to));
  EXPECT_NEAR(bx, ax, 1e-6);
  EXPECT_NEAR(by, ay, 1e-6);
}

TEST_F(DesktopTest, ADragSelectsByWindowOrCrossingAndEnterEndsTheSelection) {
  Start();
  SeedLot();
  const std::int64_t inside = db().AddLine({3000, 3000, 0}, {4000, 4000, 0}, "0");
  const std::int64_t across = db().AddLine({3500, 2000, 0}, {3500, 8000, 0}, "0");
  drawing().ZoomExtents();
  const struct {
    const char* name;
    cad::Point3 from, to;
    std::vector<std::int64_t> selected;
  } cases[] = {
      {"left to right: window", {2500, 2500, 0}, {4500, 4500, 0}, {inside}},
      {"right to left: crossing", {4500, 4500, 0}, {2500, 2500, 0}, {inside, across}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    prompt_kinds_.clear();
    const host::SelectionSet set = document().GetSelectionSets().Add("S" + std::to_string(n++));
    WhilePrompting(
        [&](int i) {
          if (i == 0) Drag(canvas(), drawing().CanvasPos(c.from.x, c.from.y), drawing().CanvasPos(c.to.x, c.to.y));
          else QTest::keyClick(canvas(), Qt::Key_Return);
        },
        [&] { set.SelectOnScreen(); });
    // The far corner of the drag answers the corner prompt without a wait.
    EXPECT_EQ(prompt_kinds_, (std::vector<std::optional<cad::PromptKind>>{cad::PromptKind::Select,
                                                                          cad::PromptKind::Select}));
    std::vector<std::int64_t> ids;
    for (std::int32_t i = 0; i < set.Count(); ++i) ids.push_back(set.Item(i).ObjectID());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, c.selected);
  }
}

TEST_F(DesktopTest, AClickPicksTheEntityUnderThePickBox) {
  Start();
  SeedLot();
  const std::int64_t line = db().AddLine({3000, 3000, 0}, {3000, 7000, 0}, "0");
  drawing().ZoomExtents();
  const QPoint on_line = drawing().CanvasPos(3000, 5000);
  struct Case {
    const char* name;
    QPoint at;
    bool picked;
  };
  const Case cases[] = {{"two pixels off the line", on_line + QPoint(2, 0), true},
                        {"eight pixels off", on_line + QPoint(8, 0), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompt_kinds_.clear();
    std::optional<std::int64_t> got;
    WhilePrompting([&](int) { QTest::mouseClick(canvas(), Qt::LeftButton, {}, c.at); },
                   [&] {
                     try {
                       got = document().GetUtility().GetEntity("Select object: ").entity.ObjectID();
                     } catch (const platform::HostError&) {
                     }
                   });
    EXPECT_EQ(prompt_kinds_, std::vector<std::optional<cad::PromptKind>>{cad::PromptKind::Entity});
    EXPECT_EQ(got.has_value(), c.picked);
    if (got) {
      EXPECT_EQ(*got, line);
    }
  }
}

TEST_F(DesktopTest, TheDrawingWindowFollowsTheHostWindowStateBothWays) {
  Start();
  const platform::Hwnd h = session_->host().hwnd();
  drawing().showMinimized();
  QApplication::processEvents();
  EXPECT_TRUE(platform::IsIconic(h));

  // The tool brings the host up: the window is restored and activated.
  EXPECT_TRUE(platform::OpenIcon(h));
  QApplication::processEvents();
  EXPECT_FALSE(drawing().isMinimized());
  EXPECT_TRUE(drawing().isActiveWindow());
  EXPECT_EQ(platform::GetForegroundWindow(), h);

  // The user goes to the tool window: the platform foreground follows.
  session_->tool_window().activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(platform::GetForegroundWindow(), form().Handle());
  // And the tool raises the host again.
  EXPECT_TRUE(platform::SetForegroundWindow(h));
  QApplication::processEvents();
  EXPECT_TRUE(drawing().isActiveWindow());

  platform::MinimizeWindow(h);
  EXPECT_TRUE(drawing().isMinimized());
}

TEST_F(DesktopTest, AnUnreadableDrawingOpensEmptyWithABox) {
  const fs::path bad = dir_ / "bad.dxf";
  std::ofstream(bad) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n";
  Start(bad);
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_EQ(boxes_->boxes()[0].owner, session_->host().hwnd());
  EXPECT_NE(boxes_->boxes()[0].text.find("bad.dxf"), std::string::npos);
  EXPECT_TRUE(db().model_space().empty());
  EXPECT_TRUE(drawing().opened_file().empty());
  EXPECT_TRUE(session_->tool_window().isVisible());
}

TEST_F(DesktopTest, SavingOntoTheOpenedDrawingNeedsTheUsersYes) {
  const fs::path file = dir_ / "lot.dxf";
  {
    cad::Database seed;
    seed.AddLine({0, 0, 0}, {100, 0, 0}, "0");
    cad::SaveDxf(seed, file);
  }
  Start(file);
  ASSERT_TRUE(boxes_->boxes().empty());
  ASSERT_EQ(db().model_space().size(), 1u);
  EXPECT_EQ(drawing().opened_file(), file);
  EXPECT_FALSE(drawing().modified());
  document().ModelSpace().AddLine({0, 0, 0}, {0, 100, 0});
  EXPECT_TRUE(drawing().modified());

  auto lines_in = [](const fs::path& f) {
    cad::Database d;
    cad::LoadDxf(f, d);
    return d.model_space().size();
  };
  boxes_->PushAnswer(platform::IDNO);
  EXPECT_FALSE(drawing().SaveTo(file));
  EXPECT_EQ(lines_in(file), 1u);
  boxes_->PushAnswer(platform::IDYES);
  EXPECT_TRUE(drawing().SaveTo(file));
  EXPECT_EQ(lines_in(file), 2u);
  ASSERT_EQ(boxes_->boxes().size(), 2u);
  EXPECT_NE(boxes_->boxes()[0].text.find("opened drawing"), std::string::npos);
  EXPECT_EQ(boxes_->boxes()[0].flags & 0xF, platform::MB_YESNO);
  EXPECT_FALSE(drawing().modified());

  // Closing a modified drawing offers to save; Cancel keeps it open.
  document().ModelSpace().AddLine({0, 0, 0}, {50, 50, 0});
  boxes_->PushAnswer(platform::IDCANCEL);
  drawing().close();
  EXPECT_TRUE(drawing().isVisible());
  EXPECT_EQ(quits_, 0);
  boxes_->PushAnswer(platform::IDNO);
  drawing().close();
  EXPECT_FALSE(drawing().isVisible());
  EXPECT_EQ(quits_, 1);
  EXPECT_EQ(lines_in(file), 2u) << "declined changes are not written";
}

TEST_F(DesktopTest, ShutdownUnregistersTheHost) {
  Start();
  const std::string prog_id = form().Link.HostProgId;
  ASSERT_TRUE(host::HostRunning(prog_id));
  session_->Shutdown();
  EXPECT_FALSE(host::HostRunning(prog_id));
}

}  // namespace
}  // namespace zavin::ui
