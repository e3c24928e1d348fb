#pragma once
// The final encode a merge would make after a change of the main window's
// output settings, without keeping the change: under the window's lock the
// change is made, the merge's own settings routines run (those of its start
// and of its join), their record and extension are taken, and every field
// they touched is put back before the lock is let go.
#include <functional>

#include "app/MainForm.h"
#include "dialogs/ChosenOutput.h"

namespace velmora {

TFinalEncode PreviewFinalEncode(TForm1 &mainForm, const std::function<void()> &change);

}  // namespace velmora
