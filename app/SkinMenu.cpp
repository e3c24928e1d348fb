// The main window's skin: the stored one at creation, and the skin menu,
// which applies an entry's look and stores its value.
#include "app/MainForm.h"

namespace velmora {

void TForm1::Button1Click() {
  TChange change(*this);
  LogSkinProblem(skins_.ApplyStored(Skin));
}

void TForm1::SkinMenuClick(const std::string &entryName) {
  TChange change(*this);
  for (const TSkinMenuEntry &entry : SkinMenuEntries()) {
    if (entryName != entry.Name) continue;
    const TSkinLook &look = *SkinLookOf(entry.Value);
    // A theme file chosen from the menu always restores the program.
    LogSkinProblem(skins_.Apply(look, look.Kind == TSkinKind::ThemeFile, Skin));
    LogSkinProblem(skins_.Store(entry.Value));
    return;
  }
}

void TForm1::LogSkinProblem(const std::string &problem) {
  if (!problem.empty()) mmoLog.Lines.push_back(problem);
}

}  // namespace velmora
