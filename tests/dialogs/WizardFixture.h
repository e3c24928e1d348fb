#pragma once
// The advanced-options wizard over a main-window model on a scripted
// platform, opened the way the user opens it: the main window's tool bar
// button. The window can merge (its sources listed as a test needs them).
#include <gtest/gtest.h>

#include "../app/MergeFixture.h"
#include "dialogs/AdvancedOptionsWizard.h"

namespace velmora::test {

class WizardFixture : public MergeFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new wizard with `check` (none: every choice is taken), opened by the
  // main window's buttons from now on. SetUp makes one without a check.
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
