#pragma once

// Binds toolkit-free controls to Qt widgets: a model change refreshes its
// widgets, a user action is handed to the model and the widget then shows
// what the model holds. No state is kept here.

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "shell/controls.h"

namespace zavin::ui {

// A pair of arrow buttons, the stand-in for an up-down control.
class UpDownWidget : public QWidget {
 public:
  explicit UpDownWidget(QWidget* parent);
  QToolButton* up() const { return up_; }
  QToolButton* down() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};

class Binder {
 public:
  explicit Binder(shell::ChangeHub& hub);
  ~Binder();
  Binder(const Binder&) = delete;
  Binder& operator=(const Binder&) = delete;

  void Window(shell::TWindow& model, QWidget* w);
  void Label(shell::TLabel& model, QLabel* w);
  void Edit(shell::TEdit& model, QLineEdit* w);
  void Button(shell::TButton& model, QAbstractButton* w);
  void CheckBox(shell::TCheckBox& model, QCheckBox* w);
  void Radio(shell::TRadioButton& model, QRadioButton* w);
  void RadioGroup(shell::TRadioGroup& model, QGroupBox* box, std::vector<QRadioButton*> items);
  void UpDown(shell::TUpDown& model, UpDownWidget* w);
  void Tabs(shell::TPageControl& model, QTabWidget* w);
  void List(shell::TListBox& model, QListWidget* w);

  // The widget bound to `model`, or nullptr.
  QWidget* WidgetOf(const shell::Control& model) const;
  // Refreshes every bound widget from its model.
  void RefreshAll();

 private:
  void Add(const shell::Control& model, QWidget* w, std::function<void()> refresh);
  static void Common(const shell::Control& model, QWidget* w);

  shell::ChangeHub& hub_;
  std::map<const shell::Control*, std::vector<std::function<void()>>> refresh_;
  std::map<const shell::Control*, QWidget*> widgets_;
  std::vector<std::function<void()>> all_;
};

}  // namespace zavin::ui
