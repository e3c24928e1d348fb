// The two buttons that open the advanced-options wizard. They are
// unavailable while a merge runs, so the wizard never changes the settings
// of a running merge.
#include "app/MainForm.h"

namespace velmora {

namespace {

void OpenWhenAvailable(TForm1 &form, const TButtonState &button) {
  bool available;
  {
    const TForm1::TStateLock lock = form.Lock();
    available = button.Enabled;
  }
  if (available && form.OnAdvancedOptions) form.OnAdvancedOptions();
}

}  // namespace

void TForm1::ToolButton6Click() { OpenWhenAvailable(*this, ToolButton6); }

void TForm1::suiButton13Click() { OpenWhenAvailable(*this, suiButton13); }

}  // namespace velmora
