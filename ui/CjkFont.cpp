#include "ui/CjkFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace velmora {

namespace {

// Preferred families with Chinese glyphs, best first.
const char *const kCjkFamilies[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"};

constexpr int kPointSize = 10;

}  // namespace

QString UseCjkFont(QApplication &application) {
  const QStringList installed = QFontDatabase::families();
  for (const char *family : kCjkFamilies) {
    if (!installed.contains(family)) continue;
    QFont font(family);
    font.setPointSize(kPointSize);
    application.setFont(font);
    return family;
  }
  return application.font().family();
}

}  // namespace velmora
