#include "ui/qt_platform.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace zavin::ui {
namespace {

QString ButtonText(int id) {
  switch (id) {
    case platform::IDOK: return QStringLiteral("OK");
    case platform::IDCANCEL: return QStringLiteral("キャンセル");
    case platform::IDABORT: return QStringLiteral("中止");
    case platform::IDRETRY: return QStringLiteral("再試行");
    case platform::IDIGNORE: return QStringLiteral("無視");
    case platform::IDYES: return QStringLiteral("はい");
    case platform::IDNO: return QStringLiteral("いいえ");
    case platform::IDTRYAGAIN: return QStringLiteral("再実行");
    case platform::IDCONTINUE: return QStringLiteral("続行");
    default: return QStringLiteral("OK");
  }
}

}  // namespace

int QtMessageBoxSink::Show(platform::Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t flags) {
  auto it = owners_.find(owner);
  QMessageBox box(it == owners_.end() ? nullptr : it->second);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (flags & 0xF0) {
    case platform::MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case platform::MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case platform::MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case platform::MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  const int default_id = platform::DefaultMessageBoxButton(flags);
  std::map<QAbstractButton*, int> ids;
  for (int id : platform::MessageBoxButtons(flags)) {
    QPushButton* b = box.addButton(ButtonText(id), QMessageBox::ActionRole);
    ids[b] = id;
    if (id == default_id) box.setDefaultButton(b);
  }
  box.exec();
  auto clicked = ids.find(box.clickedButton());
  // Closed by the window's close box or ESC: the box's cancel, else its default.
  if (clicked == ids.end()) {
    for (const auto& [button, id] : ids) {
      if (id == platform::IDCANCEL) return id;
    }
    return default_id;
  }
  return clicked->second;
}

std::vector<shell::ScreenRect> QtScreens::Screens() const {
  std::vector<shell::ScreenRect> out;
  QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) {
    screens.removeAll(primary);
    screens.prepend(primary);
  }
  for (QScreen* s : screens) {
    const QRect g = s->availableGeometry();
    out.push_back({g.left(), g.top(), g.width(), g.height()});
  }
  return out;
}

}  // namespace zavin::ui
