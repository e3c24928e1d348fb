// Resetting the output settings, and locking and unlocking the controls
// that change them.
#include "app/MainForm.h"

namespace velmora {

std::vector<TControl *> TForm1::OutputSettingsControls() {
  return {&ToolButton6,  &suiButton13,  &suiComboBox5, &suiComboBox1, &suiComboBox6,
          &suiComboBox7, &suiComboBox8, &suiComboBox9, &suiComboBox10, &chkKeepAspect};
}

void TForm1::Button30Click() {
  TChange change(*this);
  Settings = TOutputSettings{};
  SavedFinalSettings = TSavedFinalSettings{};
}

void TForm1::Button32Click() {
  TChange change(*this);
  for (TControl *control : OutputSettingsControls()) control->Enabled = false;
}

void TForm1::Button33Click() {
  TChange change(*this);
  for (TControl *control : OutputSettingsControls()) control->Enabled = true;
}

}  // namespace velmora
