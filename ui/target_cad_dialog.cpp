#include "ui/target_cad_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "ui/fonts.h"
#include "ui/place.h"

namespace zavin::ui {
namespace {

}  // namespace

TargetCADDialogView::TargetCADDialogView(shell::TTargetCADForm& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      form_(form),
      binder_(std::make_unique<Binder>(form.Changes())) {
  setFont(DialogFont());
  setModal(true);
  setFixedSize(form.Window.ClientWidth(), form.Window.ClientHeight());
  binder_->Window(form.Window, this);

  auto* list = Place(this, 8, 8, 299, 150, new QListWidget);
  list->setTabKeyNavigation(false);
  binder_->List(form.ListBox1, list);
  binder_->Label(form.Label1, Place(this, 8, 166, 200, 16, new QLabel));
  binder_->Edit(form.Edit1, Place(this, 8, 183, 204, 22, new QLineEdit));
  binder_->Label(form.Label2, Place(this, 8, 212, 200, 16, new QLabel));
  binder_->Edit(form.Edit2, Place(this, 8, 229, 204, 22, new QLineEdit));
  binder_->Button(form.SpeedButton1, Place(this, 220, 166, 87, 26, new QToolButton));
  binder_->Button(form.SpeedButton2, Place(this, 220, 196, 87, 26, new QToolButton));
  binder_->Button(form.SpeedButton3, Place(this, 220, 226, 87, 26, new QToolButton));
  auto* ok = Place(this, 140, 270, 80, 27, new QPushButton);
  auto* cancel = Place(this, 227, 270, 80, 27, new QPushButton);
  // Enter in the edits belongs to 変更, not to a default button.
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  binder_->Button(form.Button1, ok);
  binder_->Button(form.Button2, cancel);

  form.OnClose = [this](shell::ModalResult r) { done(r == shell::ModalResult::Ok ? Accepted : Rejected); };
}

TargetCADDialogView::~TargetCADDialogView() { form_.OnClose = {}; }

void TargetCADDialogView::showEvent(QShowEvent* e) {
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  form_.FormShow();
  QDialog::showEvent(e);
}

}  // namespace zavin::ui
