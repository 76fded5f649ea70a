#include "ui/main_window.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>

#include "ui/fonts.h"
#include "ui/place.h"

namespace zavin::ui {
namespace {

QGroupBox* Group(QWidget* parent, const char* title, int x, int y, int w, int h) {
  return Place(parent, x, y, w, h, new QGroupBox(QString::fromUtf8(title)));
}

QLabel* StaticLabel(QWidget* parent, const char* text, int x, int y, int w, int h = 16) {
  return Place(parent, x, y, w, h, new QLabel(QString::fromUtf8(text)));
}

// A small drawn picture standing in for the form's icons.
QLabel* Picture(QWidget* parent, int x, int y, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 90, 160), 2));
  p.setBrush(QColor(220, 235, 250));
  const QPointF tri[3] = {{size * 0.1, size * 0.9}, {size * 0.9, size * 0.9}, {size * 0.35, size * 0.12}};
  p.drawPolygon(tri, 3);
  p.end();
  auto* l = Place(parent, x, y, size, size, new QLabel);
  l->setPixmap(pm);
  return l;
}

}  // namespace

MainWindowView::MainWindowView(shell::TForm1& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      form_(form),
      binder_(std::make_unique<Binder>(form.Changes())) {
  setFont(MainWindowFont());
  setFixedSize(form.Window.ClientWidth(), form.Window.ClientHeight());
  binder_->Window(form.Window, this);

  tabs_ = Place(this, 0, 0, form.Window.ClientWidth(), 263, new QTabWidget);
  tabs_->setFocusPolicy(Qt::NoFocus);
  // All four tabs side by side in the window's width (the original wraps
  // tabs onto several rows, which Qt's tab bar cannot).
  tabs_->setUsesScrollButtons(false);
  tabs_->setElideMode(Qt::ElideNone);
  tabs_->tabBar()->setExpanding(true);
  tabs_->tabBar()->setFont(MainWindowFont(11));
  tabs_->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 1px; min-width: 0px; }"));
  tabs_->addTab(BuildMainTab(), QString());
  tabs_->addTab(BuildSettings1Tab(), QString());
  tabs_->addTab(BuildSettings2Tab(), QString());
  tabs_->addTab(BuildToolsTab(), QString());
  tabs_->addTab(BuildCoordinateTab(), QString());
  binder_->Tabs(form.PageControl1, tabs_);

  form.OnFocusRequest = [this](const shell::Control& c) {
    if (QWidget* w = binder_->WidgetOf(c)) w->setFocus(Qt::OtherFocusReason);
  };
  move(form.Window.Left(), form.Window.Top());
}

MainWindowView::~MainWindowView() { form_.OnFocusRequest = {}; }

void MainWindowView::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (!isMinimized()) form_.Window.SetPosition(x(), y());
}

void MainWindowView::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange) form_.Window.SetMinimized(isMinimized());
}

QWidget* MainWindowView::BuildMainTab() {
  shell::TForm1& f = form_;
  auto* page = new QWidget;

  auto* method = Group(page, "", 3, 0, 116, 38);
  auto* r0 = Place(method, 6, 16, 54, 18, new QRadioButton);
  auto* r1 = Place(method, 62, 16, 50, 18, new QRadioButton);
  binder_->RadioGroup(f.RadioGroup1, method, {r0, r1});
  Picture(page, 124, 2, 20);
  binder_->Button(f.SpeedButton4, Place(page, 146, 6, 30, 26, new QToolButton));
  for (shell::TButton* b : {&f.SpeedButton1, &f.SpeedButton2, &f.SpeedButton3}) {
    binder_->Button(*b, Place(page, 124, 24, 20, 20, new QToolButton));
  }

  auto* no = Group(page, "No.", 3, 40, 173, 44);
  auto* edit16 = Place(no, 8, 15, 58, 24, new QLineEdit);
  edit16->setFont(MainWindowFont(16, true));
  binder_->Edit(f.Edit16, edit16);
  binder_->UpDown(f.UpDown4, Place(no, 66, 15, 16, 24, new UpDownWidget(nullptr)));
  binder_->Button(f.Button4, Place(no, 100, 14, 64, 26, new QPushButton));

  auto* batch = Group(page, "一括処理", 3, 86, 173, 46);
  binder_->Button(f.Button12, Place(batch, 6, 16, 52, 24, new QPushButton));
  binder_->Button(f.Button13, Place(batch, 60, 16, 52, 24, new QPushButton));
  binder_->Button(f.Button10, Place(batch, 114, 16, 52, 24, new QPushButton));

  auto* single = Group(page, "個別処理", 3, 134, 173, 46);
  binder_->Button(f.Button8, Place(single, 6, 16, 78, 24, new QPushButton));
  binder_->Button(f.Button6, Place(single, 88, 16, 78, 24, new QPushButton));

  auto* table = Group(page, "求積表", 3, 182, 173, 50);
  binder_->Button(f.Button3, Place(table, 5, 18, 40, 26, new QPushButton));
  binder_->Button(f.Button15, Place(table, 46, 18, 60, 26, new QPushButton));
  binder_->CheckBox(f.CheckBox2, Place(table, 109, 22, 62, 18, new QCheckBox));
  return page;
}

QWidget* MainWindowView::BuildSettings1Tab() {
  shell::TForm1& f = form_;
  auto* page = new QWidget;

  auto* scale = Group(page, "尺度", 3, 0, 84, 42);
  binder_->Edit(f.Edit8, Place(scale, 6, 16, 54, 20, new QLineEdit));
  binder_->UpDown(f.UpDown3, Place(scale, 60, 16, 16, 20, new UpDownWidget(nullptr)));

  struct Digits {
    const char* title;
    shell::TEdit* edit;
    shell::TUpDown* updown;
    shell::TRadioButton* r[3];
  } digits[] = {
      {"長さ", &f.Edit7, &f.UpDown2, {&f.RadioButton1, &f.RadioButton2, &f.RadioButton3}},
      {"面積", &f.Edit18, &f.UpDown6, {&f.RadioButton4, &f.RadioButton5, &f.RadioButton6}},
      {"最終", &f.Edit4, &f.UpDown1, {&f.RadioButton7, &f.RadioButton8, &f.RadioButton9}},
  };
  int x = 3;
  for (const Digits& d : digits) {
    auto* g = Group(page, d.title, x, 44, 57, 92);
    binder_->Edit(*d.edit, Place(g, 5, 15, 30, 20, new QLineEdit));
    binder_->UpDown(*d.updown, Place(g, 35, 15, 16, 20, new UpDownWidget(nullptr)));
    for (int i = 0; i < 3; ++i) binder_->Radio(*d.r[i], Place(g, 4, 38 + 17 * i, 51, 17, new QRadioButton));
    x += 58;
  }

  auto* layers = Group(page, "画層", 3, 138, 173, 94);
  const struct {
    const char* label;
    shell::TEdit* edit;
  } rows[] = {{"文字", &f.Edit12}, {"辺の線分", &f.Edit15}, {"高さ線分", &f.Edit19}};
  int y = 16;
  for (const auto& r : rows) {
    StaticLabel(layers, r.label, 6, y + 2, 56);
    binder_->Edit(*r.edit, Place(layers, 64, y, 102, 20, new QLineEdit));
    y += 25;
  }
  return page;
}

QWidget* MainWindowView::BuildSettings2Tab() {
  shell::TForm1& f = form_;
  auto* page = new QWidget;

  auto* sides = Group(page, "辺、高さ", 3, 0, 173, 86);
  const struct {
    const char* label;
    shell::TEdit* edit;
  } side_rows[] = {{"文字高", &f.Edit3}, {"番号字高", &f.Edit5}, {"番号半径", &f.Edit6}};
  int y = 15;
  for (const auto& r : side_rows) {
    StaticLabel(sides, r.label, 6, y + 2, 60);
    binder_->Edit(*r.edit, Place(sides, 70, y, 70, 20, new QLineEdit));
    y += 23;
  }

  auto* table = Group(page, "求積表", 3, 88, 173, 100);
  StaticLabel(table, "文字高", 6, 17, 40);
  binder_->Edit(f.Edit9, Place(table, 46, 15, 36, 20, new QLineEdit));
  StaticLabel(table, "行高", 90, 17, 28);
  binder_->Edit(f.Edit10, Place(table, 120, 15, 46, 20, new QLineEdit));
  binder_->Label(f.Label10, Place(table, 6, 44, 30, 16, new QLabel));
  binder_->Edit(f.Edit11, Place(table, 36, 42, 130, 20, new QLineEdit));
  binder_->Label(f.Label19, Place(table, 6, 70, 30, 16, new QLabel));
  binder_->Edit(f.Edit20, Place(table, 36, 68, 130, 20, new QLineEdit));

  auto* text = Group(page, "作成文字", 3, 190, 173, 42);
  binder_->CheckBox(f.CheckBox4, Place(text, 6, 17, 162, 18, new QCheckBox));
  return page;
}

QWidget* MainWindowView::BuildToolsTab() {
  shell::TForm1& f = form_;
  auto* page = new QWidget;

  // Button14, Edit21 and Edit22 lie below the visible part of this group.
  auto* tools = Group(page, "", 3, 0, 173, 84);
  binder_->Button(f.Button2, Place(tools, 5, 6, 64, 24, new QPushButton));
  StaticLabel(tools, "角度", 76, 10, 28);
  binder_->Edit(f.Edit13, Place(tools, 106, 8, 60, 20, new QLineEdit));
  binder_->Button(f.Button5, Place(tools, 5, 32, 64, 24, new QPushButton));
  binder_->CheckBox(f.CheckBox3, Place(tools, 74, 36, 46, 18, new QCheckBox));
  binder_->Edit(f.Edit14, Place(tools, 122, 34, 44, 20, new QLineEdit));
  binder_->Button(f.Button11, Place(tools, 5, 58, 64, 24, new QPushButton));
  binder_->Button(f.Button14, Place(tools, 5, 96, 64, 24, new QPushButton));
  binder_->Edit(f.Edit21, Place(tools, 76, 98, 26, 20, new QLineEdit));
  StaticLabel(tools, "を", 104, 100, 12);
  binder_->Edit(f.Edit22, Place(tools, 118, 98, 26, 20, new QLineEdit));
  StaticLabel(tools, "に", 146, 100, 12);

  auto* base = Group(page, "基準線から三角形を作成", 3, 86, 173, 98);
  StaticLabel(base, "a辺", 5, 19, 22);
  auto* a = Place(base, 27, 16, 54, 22, new QLineEdit);
  StaticLabel(base, "b辺", 88, 19, 22);
  auto* b = Place(base, 110, 16, 56, 22, new QLineEdit);
  for (QLineEdit* e : {a, b}) e->setFont(MainWindowFont(13, true));
  binder_->Edit(f.Edit1, a);
  binder_->Edit(f.Edit2, b);
  binder_->CheckBox(f.CheckBox1, Place(base, 5, 44, 84, 18, new QCheckBox));
  StaticLabel(base, "X", 96, 45, 10);
  binder_->Edit(f.Edit17, Place(base, 107, 42, 44, 20, new QLineEdit));
  binder_->UpDown(f.UpDown5, Place(base, 151, 42, 16, 20, new UpDownWidget(nullptr)));
  binder_->Button(f.Button1, Place(base, 5, 68, 52, 24, new QPushButton));
  binder_->Button(f.Button9, Place(base, 60, 68, 56, 24, new QPushButton));
  binder_->Button(f.Button7, Place(base, 119, 68, 48, 24, new QPushButton));

  auto* about = Group(page, "", 3, 186, 173, 46);
  Picture(about, 8, 10, 28);
  StaticLabel(about, "Zavin2023", 44, 8, 120);
  StaticLabel(about, "Build 2023.8.6", 44, 25, 120);
  return page;
}

QWidget* MainWindowView::BuildCoordinateTab() {
  shell::TForm1& f = form_;
  auto* page = new QWidget;

  auto* names = Group(page, "点名", 3, 0, 173, 66);
  StaticLabel(names, "画層", 6, 17, 30);
  binder_->Edit(f.Edit23, Place(names, 38, 15, 128, 20, new QLineEdit));
  StaticLabel(names, "接頭", 6, 42, 30);
  binder_->Edit(f.Edit24, Place(names, 38, 40, 40, 20, new QLineEdit));
  StaticLabel(names, "開始", 86, 42, 28);
  binder_->Edit(f.Edit25, Place(names, 116, 40, 50, 20, new QLineEdit));

  auto* table = Group(page, "座標求積表", 3, 68, 173, 92);
  StaticLabel(table, "桁数", 6, 17, 30);
  binder_->Edit(f.Edit26, Place(table, 38, 15, 28, 20, new QLineEdit));
  binder_->UpDown(f.UpDown7, Place(table, 66, 15, 16, 20, new UpDownWidget(nullptr)));
  binder_->CheckBox(f.CheckBox5, Place(table, 96, 16, 70, 18, new QCheckBox));
  StaticLabel(table, "幅", 6, 42, 30);
  binder_->Edit(f.Edit27, Place(table, 38, 40, 128, 20, new QLineEdit));
  StaticLabel(table, "辺長", 6, 67, 30);
  binder_->Edit(f.Edit28, Place(table, 38, 65, 128, 20, new QLineEdit));

  auto* land = Group(page, "", 3, 162, 173, 50);
  std::vector<QRadioButton*> items;
  for (int i = 0; i < 4; ++i)
    items.push_back(Place(land, 6 + (i % 2) * 82, 14 + (i / 2) * 17, 78, 17, new QRadioButton));
  binder_->RadioGroup(f.RadioGroup2, land, items);

  auto* unit = Place(page, 5, 214, 171, 26, new QLabel);
  unit->setWordWrap(true);
  unit->setFont(MainWindowFont(10));
  binder_->Label(f.Label20, unit);
  return page;
}

}  // namespace zavin::ui
