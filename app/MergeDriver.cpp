// The merge commands of the tool bar and their hidden twins. The merge
// itself is not built yet: until it is, the commands change nothing.
#include "app/MainForm.h"

namespace velmora {

void TForm1::btnStartClick() {}

void TForm1::btnPauseClick() {}

void TForm1::btnStopClick() {}

}  // namespace velmora
