#include "ui/fonts.h"

#include <QStringList>

namespace zavin::ui {

QFont MainWindowFont(int pixel_size, bool bold) {
  QFont f;
  // The first installed family wins; the Japanese substitute also covers the
  // half-width katakana of the captions.
  f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QString::fromLatin1(kJapaneseSubstitute)});
  f.setPixelSize(pixel_size);
  f.setBold(bold);
  return f;
}

QFont DialogFont() {
  QFont f;
  f.setFamilies({QStringLiteral("Tahoma"), QString::fromLatin1(kJapaneseSubstitute)});
  f.setPixelSize(11);
  return f;
}

}  // namespace zavin::ui
