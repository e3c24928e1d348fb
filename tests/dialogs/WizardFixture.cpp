#include "WizardFixture.h"

#include <algorithm>

namespace velmora::test {

void WizardFixture::SetUp() {
  MergeFixture::SetUp();
  MakeWizard();
}

void WizardFixture::TearDown() {
  form->OnAdvancedOptions = nullptr;
  wizard.reset();
  FormFixture::TearDown();
}

void WizardFixture::MakeWizard(TChosenOutputCheck check) {
  wizard = std::make_unique<TAdvancedOptionsWizard>(*form, platform, std::move(check));
  form->OnAdvancedOptions = [this] { wizard->Open(); };
}

void WizardFixture::PickPreset(int index) {
  form->SelectItem(form->suiComboBox5, index);
  form->suiComboBox5Change();
}

void WizardFixture::OpenOptionsFor(int typeNumber) {
  form->ToolButton6Click();
  ASSERT_TRUE(wizard->Form7.Visible);
  wizard->Form7.Select(typeNumber - 1);
  wizard->Form7.suiButton1Click();
  ASSERT_TRUE(wizard->Form8.Visible);
}

void WizardFixture::Choose(TComboBoxState &box, const std::string &entry) {
  const auto found = std::find(box.Items.begin(), box.Items.end(), entry);
  ASSERT_NE(found, box.Items.end()) << box.Name << " has no entry " << entry;
  wizard->Form8.SelectItem(box, static_cast<int>(found - box.Items.begin()));
}

}  // namespace velmora::test
