#pragma once

#include <QFont>

namespace zavin::ui {

// The tool window's font: "ＭＳ Ｐゴシック" where it is installed, else a
// Japanese substitute (Noto Sans CJK JP), 12 pixels high.
QFont MainWindowFont(int pixel_size = 12, bool bold = false);
// The target CAD dialog's font: Tahoma, else the same Japanese substitute.
QFont DialogFont();

inline constexpr char kJapaneseSubstitute[] = "Noto Sans CJK JP";

}  // namespace zavin::ui
