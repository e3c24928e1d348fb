#pragma once
// The windows' looks on Qt. A window's skin state (app/SkinLoader.h)
// becomes its style sheet: a theme file's text as the loader read it, or one
// of the built-in styles compiled into the program. Every view keeps one
// TSkinView and calls Mirror when it refreshes:
//
//   model:  void TFormN::FormShow() { skins_.ApplyStored(Skin); ... }
//   view:   skinView_.Mirror(*this, form_.Skin);   // before exec() or show()
#include <QString>
#include <string>

#include "app/SkinLoader.h"

class QWidget;

namespace velmora {

// The style sheet of a built-in style ("MacOS", "WinXP", "Protein",
// "DeepBlue", "BlueGlass"); empty for any other name.
QString BuiltInStyleSheet(const std::string &name);

class TSkinView {
 public:
  // Gives `window` the look of `skin` when it changed since the last call,
  // and restores the window from a minimised state when that was asked for.
  void Mirror(QWidget &window, const TSkinState &skin);

 private:
  int applied_ = 0;
  int restoreRequests_ = 0;
};

}  // namespace velmora
