#pragma once

// The always-on-top tool window bound to a TForm1.

#include <QTabWidget>
#include <QWidget>

#include <memory>

#include "shell/form1.h"
#include "ui/binding.h"

namespace zavin::ui {

class MainWindowView : public QWidget {
 public:
  explicit MainWindowView(shell::TForm1& form, QWidget* parent = nullptr);
  ~MainWindowView() override;

  shell::TForm1& form() { return form_; }
  QTabWidget* tabs() const { return tabs_; }
  // The widget shown for a control of the form (tests, focus).
  QWidget* WidgetOf(const shell::Control& c) const { return binder_->WidgetOf(c); }

 protected:
  void moveEvent(QMoveEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  QWidget* BuildMainTab();
  QWidget* BuildSettings1Tab();
  QWidget* BuildSettings2Tab();
  QWidget* BuildToolsTab();
  QWidget* BuildCoordinateTab();

  shell::TForm1& form_;
  std::unique_ptr<Binder> binder_;
  QTabWidget* tabs_ = nullptr;
};

}  // namespace zavin::ui
