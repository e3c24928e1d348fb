#pragma once
// The check "确定" of the advanced options dialog makes before it writes
// anything: the last encode of a merge with the chosen output is tried with
// the installed codec libraries (loaded from the main window's program
// folder when they are not yet), and a choice they cannot write is refused
// with a message that names the encoder and the container. Without
// loadable libraries nothing can be merged, and every choice is taken.
#include "app/MainForm.h"
#include "dialogs/ChosenOutput.h"

namespace velmora {

TChosenOutputCheck LibraryCheck(TForm1 &mainForm);

}  // namespace velmora
