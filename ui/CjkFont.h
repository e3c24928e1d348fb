#pragma once
// The application font: a font with Chinese glyphs when one is installed
// (the install script adds WenQuanYi Micro Hei), at the desktop's size.
#include <QString>

class QApplication;

namespace velmora {

// Returns the family in use.
QString UseCjkFont(QApplication &application);

}  // namespace velmora
