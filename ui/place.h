#pragma once

#include <QWidget>

namespace zavin::ui {

// Absolute placement in client pixels, as the forms are laid out.
template <typename W>
W* Place(QWidget* parent, int x, int y, int w, int h, W* widget) {
  widget->setParent(parent);
  widget->setGeometry(x, y, w, h);
  return widget;
}

}  // namespace zavin::ui
