#pragma once

// Qt adapters for the platform seams: the message-box sink and the screens.

#include <QWidget>

#include <map>
#include <memory>

#include "platform/message_box.h"
#include "shell/screen.h"

namespace zavin::ui {

// Shows MessageBoxW as a modal QMessageBox over the widget registered for its
// owner handle (none: centred on the screen).
class QtMessageBoxSink : public platform::MessageBoxSink {
 public:
  void SetOwner(platform::Hwnd owner, QWidget* widget) { owners_[owner] = widget; }
  int Show(platform::Hwnd owner, const std::string& text, const std::string& caption,
           std::uint32_t flags) override;

 private:
  std::map<platform::Hwnd, QWidget*> owners_;
};

// The screens of the running desktop, primary first.
class QtScreens : public shell::ScreenGeometry {
 public:
  std::vector<shell::ScreenRect> Screens() const override;
};

}  // namespace zavin::ui
