#pragma once

// The modal target CAD dialog bound to a TTargetCADForm.

#include <QDialog>

#include <memory>

#include "shell/target_cad_form.h"
#include "ui/binding.h"

namespace zavin::ui {

class TargetCADDialogView : public QDialog {
 public:
  explicit TargetCADDialogView(shell::TTargetCADForm& form, QWidget* parent = nullptr);
  ~TargetCADDialogView() override;

  QWidget* WidgetOf(const shell::Control& c) const { return binder_->WidgetOf(c); }

 protected:
  // Every showing runs the model's FormShow, centred on the screen.
  void showEvent(QShowEvent* e) override;

 private:
  shell::TTargetCADForm& form_;
  std::unique_ptr<Binder> binder_;
};

}  // namespace zavin::ui
