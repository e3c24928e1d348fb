#pragma once
// The advanced-options wizard put together: the output format chooser and
// the advanced options dialog, the first opening the second. The program's
// start-up makes one and lets the main window's two "高级选项" buttons open
// it.
#include "dialogs/AdvancedOptions.h"
#include "dialogs/OutputFormatChooser.h"

namespace velmora {

class TAdvancedOptionsWizard {
 public:
  TAdvancedOptionsWizard(TForm1 &mainForm, TPlatform &platform, TChosenOutputCheck check = {})
      : Form7(mainForm, platform), Form8(mainForm, Form7, platform, std::move(check)) {
    Form7.OnShowOptions = [this] { Form8.Show(); };
  }
  TAdvancedOptionsWizard(const TAdvancedOptionsWizard &) = delete;
  TAdvancedOptionsWizard &operator=(const TAdvancedOptionsWizard &) = delete;

  // Opens the chooser.
  void Open() { Form7.Show(); }

  TForm7 Form7;
  TForm8 Form8;
};

}  // namespace velmora
