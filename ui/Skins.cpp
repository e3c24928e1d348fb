#include "ui/Skins.h"

#include <QFile>
#include <QWidget>

// The resources of a static library are registered by hand.
static void RegisterBuiltInStyles() { Q_INIT_RESOURCE(BuiltInStyles); }

namespace velmora {

namespace {

// The built-in styles, compiled in as resources (ui/styles/).
constexpr const char *kBuiltInStyles[] = {"MacOS", "WinXP", "Protein", "DeepBlue", "BlueGlass"};

QString SheetOf(const TSkinState &skin) {
  switch (skin.Kind) {
    case TSkinKind::ThemeFile:
      return QString::fromStdString(skin.StyleSheet);
    case TSkinKind::BuiltInStyle:
      return BuiltInStyleSheet(skin.Name);
    case TSkinKind::Design:
      break;
  }
  return {};
}

}  // namespace

QString BuiltInStyleSheet(const std::string &name) {
  static const bool registered = (RegisterBuiltInStyles(), true);
  (void)registered;
  for (const char *style : kBuiltInStyles) {
    if (name != style) continue;
    QFile file(QString(":/velmora/styles/%1.qss").arg(style));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
  }
  return {};
}

void TSkinView::Mirror(QWidget &window, const TSkinState &skin) {
  if (skin.Applied != applied_) {
    applied_ = skin.Applied;
    window.setStyleSheet(SheetOf(skin));
  }
  if (skin.RestoreRequests != restoreRequests_) {
    restoreRequests_ = skin.RestoreRequests;
    if (window.isMinimized()) window.showNormal();
  }
}

}  // namespace velmora
