#pragma once
// The advanced-options wizard over a main-window model on a scripted
// platform, opened the way the user opens it: the main window's tool bar
// button.
#include <gtest/gtest.h>

#include "../app/FormFixture.h"
#include "dialogs/AdvancedOptionsWizard.h"

namespace velmora::test {

class WizardFixture : public FormFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The wizard to use: without a check of the choices unless a test sets one
  // first (call before SetUp ends, or use MakeWizard).
  void MakeWizard(TChosenOutputCheck check = {});
  // Picks the main window's preset `index` as the user does.
  void PickPreset(int index);
  // Opens the chooser, picks type `typeNumber` (1 to 38) and goes on to the
  // options dialog.
  void OpenOptionsFor(int typeNumber);
  // Selects the entry with this text in one of the dialog's boxes; fails the
  // test when the box has none.
  void Choose(TComboBoxState &box, const std::string &entry);

  std::unique_ptr<TAdvancedOptionsWizard> wizard;
};

}  // namespace velmora::test
