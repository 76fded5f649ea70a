#include "ui/binding.h"

#include <QEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zavin::ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Hands typed characters to the model's key press handler; a swallowed key
// never reaches the edit.
class KeyPressFilter : public QObject {
 public:
  KeyPressFilter(shell::TEdit& model, QObject* parent) : QObject(parent), model_(model) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    char32_t ch = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      ch = U'\r';
    } else if (!key->text().isEmpty()) {
      ch = key->text().toUcs4().value(0);
    }
    if (ch == 0) return false;
    return !model_.KeyPress(ch);
  }

 private:
  shell::TEdit& model_;
};

}  // namespace

UpDownWidget::UpDownWidget(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
}

void UpDownWidget::resizeEvent(QResizeEvent*) {
  const int h = height() / 2;
  up_->setGeometry(0, 0, width(), h);
  down_->setGeometry(0, h, width(), height() - h);
}

Binder::Binder(shell::ChangeHub& hub) : hub_(hub) {
  hub_.SetListener([this](const shell::Control& c) {
    auto it = refresh_.find(&c);
    if (it == refresh_.end()) return;
    for (auto& f : it->second) f();
  });
}

Binder::~Binder() { hub_.SetListener({}); }

void Binder::Add(const shell::Control& model, QWidget* w, std::function<void()> refresh) {
  refresh();
  refresh_[&model].push_back(refresh);
  all_.push_back(std::move(refresh));
  if (w) widgets_.emplace(&model, w);
}

void Binder::Common(const shell::Control& model, QWidget* w) {
  w->setEnabled(model.Enabled());
  w->setVisible(model.Visible());
  w->setToolTip(Q(model.Hint()));
}

QWidget* Binder::WidgetOf(const shell::Control& model) const {
  auto it = widgets_.find(&model);
  return it == widgets_.end() ? nullptr : it->second;
}

void Binder::RefreshAll() {
  for (auto& f : all_) f();
}

void Binder::Window(shell::TWindow& model, QWidget* w) {
  Add(model, nullptr, [&model, w] { w->setWindowTitle(Q(model.Caption())); });
}

void Binder::Label(shell::TLabel& model, QLabel* w) {
  Add(model, w, [&model, w] {
    w->setText(Q(model.Caption()));
    Common(model, w);
  });
}

void Binder::Edit(shell::TEdit& model, QLineEdit* w) {
  w->setReadOnly(model.ReadOnly());
  if (model.ImeClosed()) w->setAttribute(Qt::WA_InputMethodEnabled, false);
  w->installEventFilter(new KeyPressFilter(model, w));
  auto refresh = [&model, w] {
    const QString text = Q(model.Text());
    if (w->text() != text) w->setText(text);
    Common(model, w);
  };
  QObject::connect(w, &QLineEdit::textEdited, w, [&model, refresh](const QString& t) {
    model.SetText(t.toStdString());
    refresh();
  });
  Add(model, w, refresh);
}

void Binder::Button(shell::TButton& model, QAbstractButton* w) {
  QObject::connect(w, &QAbstractButton::clicked, w, [&model] { model.Click(); });
  Add(model, w, [&model, w] {
    w->setText(Q(model.Caption()));
    Common(model, w);
  });
}

void Binder::CheckBox(shell::TCheckBox& model, QCheckBox* w) {
  auto refresh = [&model, w] {
    const QSignalBlocker block(w);
    w->setText(Q(model.Caption()));
    w->setChecked(model.Checked());
    Common(model, w);
  };
  QObject::connect(w, &QCheckBox::clicked, w, [&model, refresh] {
    model.Click();
    refresh();
  });
  Add(model, w, refresh);
}

void Binder::Radio(shell::TRadioButton& model, QRadioButton* w) {
  // The model keeps the group exclusive.
  w->setAutoExclusive(false);
  auto refresh = [&model, w] {
    const QSignalBlocker block(w);
    w->setText(Q(model.Caption()));
    w->setChecked(model.Checked());
    Common(model, w);
  };
  QObject::connect(w, &QRadioButton::clicked, w, [&model, refresh] {
    model.Click();
    refresh();
  });
  Add(model, w, refresh);
}

void Binder::RadioGroup(shell::TRadioGroup& model, QGroupBox* box, std::vector<QRadioButton*> items) {
  auto refresh = [&model, box, items] {
    box->setTitle(Q(model.Caption()));
    for (std::size_t i = 0; i < items.size(); ++i) {
      const QSignalBlocker block(items[i]);
      items[i]->setText(i < model.Items().size() ? Q(model.Items()[i]) : QString());
      items[i]->setChecked(static_cast<int>(i) == model.ItemIndex());
    }
    Common(model, box);
  };
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i]->setAutoExclusive(false);
    QObject::connect(items[i], &QRadioButton::clicked, box, [&model, refresh, i] {
      model.SetItemIndex(static_cast<int>(i));
      refresh();
    });
  }
  Add(model, box, refresh);
}

void Binder::UpDown(shell::TUpDown& model, UpDownWidget* w) {
  QObject::connect(w->up(), &QToolButton::clicked, w, [&model] { model.Click(shell::UpDownButton::Up); });
  QObject::connect(w->down(), &QToolButton::clicked, w, [&model] { model.Click(shell::UpDownButton::Down); });
  Add(model, w, [&model, w] { Common(model, w); });
}

void Binder::Tabs(shell::TPageControl& model, QTabWidget* w) {
  auto refresh = [&model, w] {
    const QSignalBlocker block(w);
    for (std::size_t i = 0; i < model.Tabs().size() && static_cast<int>(i) < w->count(); ++i) {
      w->setTabText(static_cast<int>(i), Q(model.Tabs()[i]->Caption()));
    }
    w->setCurrentIndex(model.ActivePageIndex());
  };
  QObject::connect(w, &QTabWidget::currentChanged, w, [&model](int i) { model.SetActivePageIndex(i); });
  Add(model, w, refresh);
  for (shell::TLabel* tab : model.Tabs()) refresh_[tab].push_back(refresh);
}

void Binder::List(shell::TListBox& model, QListWidget* w) {
  auto refresh = [&model, w] {
    const QSignalBlocker block(w);
    QStringList lines;
    for (const std::string& s : model.Items()) lines << Q(s);
    bool same = w->count() == lines.size();
    for (int i = 0; same && i < lines.size(); ++i) same = w->item(i)->text() == lines[i];
    if (!same) {
      w->clear();
      w->addItems(lines);
    }
    w->setCurrentRow(model.ItemIndex());
    Common(model, w);
  };
  QObject::connect(w, &QListWidget::itemClicked, w, [&model, w, refresh](QListWidgetItem* item) {
    model.Click(w->row(item));
    refresh();
  });
  Add(model, w, refresh);
}

}  // namespace zavin::ui
