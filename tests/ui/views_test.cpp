#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "shell/program.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/target_cad_dialog.h"

namespace zavin::ui {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing it down among the other statics at exit crashes.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The program beside a fresh executable path, with both views.
class ViewsFixture : public ::testing::Test {
 protected:
  ViewsFixture() {
    App();
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("zavin_ui_" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    shell::ProgramOptions o;
    o.executable = dir_ / "zavin";
    o.screens = std::make_shared<QtScreens>();
    program_ = std::make_unique<shell::TZavinProgram>(o);
    program_->Start();
    main_ = std::make_unique<MainWindowView>(program_->Form1());
    dialog_ = std::make_unique<TargetCADDialogView>(program_->TargetCADForm(), main_.get());
  }
  ~ViewsFixture() override {
    dialog_.reset();
    main_.reset();
    program_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  shell::TForm1& form() { return program_->Form1(); }
  template <typename W>
  W* Widget(const shell::Control& c) {
    auto* w = qobject_cast<W*>(main_->WidgetOf(c));
    EXPECT_NE(w, nullptr) << c.Name();
    return w;
  }

  std::filesystem::path dir_;
  std::unique_ptr<shell::TZavinProgram> program_;
  std::unique_ptr<MainWindowView> main_;
  std::unique_ptr<TargetCADDialogView> dialog_;
};

// Saves the window to <build>/tests/ui/renders/<name>.png; true when the
// picture is not one flat colour.
bool Render(QWidget& w, const QString& name) {
  QDir().mkpath(QStringLiteral(ZAVIN_UI_RENDER_DIR));
  const QImage image = w.grab().toImage();
  EXPECT_TRUE(image.save(QStringLiteral(ZAVIN_UI_RENDER_DIR) + "/" + name + ".png"));
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != first) return true;
    }
  }
  return false;
}

TEST_F(ViewsFixture, RendersEveryTabAndTheDialogAtTheirClientSizes) {
  main_->show();
  ASSERT_EQ(main_->tabs()->count(), 5);
  const char* captions[] = {" ｻﾞﾋﾞﾝ ", " 設定1", " 設定2", " ﾂｰﾙ", " 座標"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    form().PageControl1.SetActivePageIndex(i);
    EXPECT_EQ(main_->tabs()->currentIndex(), i);
    EXPECT_EQ(main_->tabs()->tabText(i).toStdString(), captions[i]);
    // Every tab is reachable: its whole caption lies inside the window.
    const QRect tab = main_->tabs()->tabBar()->tabRect(i);
    EXPECT_LE(tab.right(), main_->width()) << tab.right();
    EXPECT_GE(tab.width(), main_->tabs()->tabBar()->fontMetrics().horizontalAdvance(main_->tabs()->tabText(i)));
    EXPECT_EQ(main_->size(), QSize(185, 266));
    EXPECT_TRUE(Render(*main_, QStringLiteral("tab%1").arg(i)));
  }
  EXPECT_EQ(main_->windowTitle().toStdString(), "■ [ BricsCAD ]");
  EXPECT_TRUE(main_->windowFlags() & Qt::WindowStaysOnTopHint);

  form().Window.SetCaption("unchanged by the dialog test");
  program_->TargetCADForm().Edit1.SetText("ZWCAD 2024");
  program_->TargetCADForm().Edit2.SetText("ZWCAD.Application");
  program_->TargetCADForm().SpeedButton1.Click();
  program_->TargetCADForm().Edit1.SetText("BricsCAD");
  program_->TargetCADForm().Edit2.SetText("BricscadApp.AcadApplication");
  program_->TargetCADForm().SpeedButton1.Click();
  dialog_->show();  // runs FormShow: the current host's entry is selected
  EXPECT_EQ(dialog_->size(), QSize(315, 307));
  EXPECT_EQ(dialog_->windowTitle().toStdString(), "ターゲット CAD");
  EXPECT_EQ(program_->TargetCADForm().Edit1.Text(), "ZWCAD 2024");
  EXPECT_TRUE(Render(*dialog_, QStringLiteral("target_cad")));
  dialog_->hide();
}

TEST_F(ViewsFixture, UsesTheNamedFontOrTheJapaneseSubstitute) {
  const QString family = QFontInfo(main_->font()).family();
  EXPECT_TRUE(family == QStringLiteral("ＭＳ Ｐゴシック") || family == QStringLiteral("MS PGothic") ||
              family == QString::fromLatin1(kJapaneseSubstitute))
      << family.toStdString();
  EXPECT_EQ(QFontInfo(main_->font()).pixelSize(), 12);
}

TEST_F(ViewsFixture, WidgetsDriveTheModelAndFollowIt) {
  main_->show();
  auto* edit20 = Widget<QLineEdit>(form().Edit20);
  auto* method = Widget<QWidget>(form().RadioGroup1);
  ASSERT_TRUE(edit20 && method);
  EXPECT_FALSE(edit20->isEnabled());
  QList<QRadioButton*> items = method->findChildren<QRadioButton*>();
  ASSERT_EQ(items.size(), 2);
  items[1]->click();
  EXPECT_EQ(form().RadioGroup1.ItemIndex(), 1);
  EXPECT_EQ(main_->tabs()->tabText(0).toStdString(), " 三斜");
  EXPECT_TRUE(edit20->isEnabled());

  auto* arrow = Widget<QCheckBox>(form().CheckBox3);
  auto* arrow_size = Widget<QLineEdit>(form().Edit14);
  arrow->click();
  EXPECT_FALSE(form().CheckBox3.Checked());
  EXPECT_FALSE(arrow_size->isEnabled());

  auto* rb1 = Widget<QRadioButton>(form().RadioButton1);
  rb1->click();
  rb1->click();  // a checked radio button stays checked
  EXPECT_TRUE(rb1->isChecked());
  EXPECT_FALSE(Widget<QRadioButton>(form().RadioButton2)->isChecked());
  EXPECT_EQ(form().Settings.LengthRounding, geometry::RoundingMode::Truncate);

  auto* multiplier = Widget<QLineEdit>(form().Edit17);
  multiplier->clear();
  QTest::keyClicks(multiplier, "500");
  EXPECT_EQ(form().Edit17.Text(), "500");

  auto* side_a = Widget<QLineEdit>(form().Edit1);
  QTest::keyClick(side_a, Qt::Key_Return);
  EXPECT_EQ(form().ActiveControl(), &form().Edit2);
  EXPECT_EQ(side_a->text().toStdString(), "8.0");

  auto* swap = Widget<QPushButton>(form().Button9);
  EXPECT_FALSE(swap->isEnabled());
  form().Button9.SetEnabled(true);  // as a finished base-line construction does
  EXPECT_TRUE(swap->isEnabled());
  form().UpDown4.SetPosition(12);  // as the annotation driver does
  EXPECT_EQ(Widget<QLineEdit>(form().Edit16)->text().toStdString(), "12");
  EXPECT_FALSE(Widget<QWidget>(form().SpeedButton1)->isVisibleTo(main_.get()));
}

TEST_F(ViewsFixture, DialogOkSetsTheHostAndTheCaption) {
  shell::TTargetCADForm& t = program_->TargetCADForm();
  t.Edit1.SetText("ＧＣＡＤ");
  t.Edit2.SetText("Gcad.Application");
  t.SpeedButton1.Click();
  dialog_->show();
  auto* list = qobject_cast<QListWidget*>(dialog_->WidgetOf(t.ListBox1));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 1);
  t.Edit1.SetText("");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(qobject_cast<QLineEdit*>(dialog_->WidgetOf(t.Edit1))->text().toStdString(), "ＧＣＡＤ");
  qobject_cast<QPushButton*>(dialog_->WidgetOf(t.Button1))->click();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(main_->windowTitle().toStdString(), "■ [ ＧＣＡＤ ]");
  EXPECT_EQ(form().Link.HostProgId, "Gcad.Application");
}

TEST_F(ViewsFixture, MessageBoxSinkShowsTextAndReturnsThePressedButton) {
  QtMessageBoxSink sink;
  sink.SetOwner(form().Handle(), main_.get());
  QString seen_text, seen_title;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen_text = box->text();
    seen_title = box->windowTitle();
    EXPECT_EQ(box->parentWidget(), main_.get());
    box->defaultButton()->click();
  });
  const int pressed = sink.Show(form().Handle(), "三角が作成できません．", "IJcad_Zavin", platform::MB_OK);
  EXPECT_EQ(pressed, platform::IDOK);
  EXPECT_EQ(seen_text.toStdString(), "三角が作成できません．");
  EXPECT_EQ(seen_title.toStdString(), "IJcad_Zavin");
}

}  // namespace
}  // namespace zavin::ui
