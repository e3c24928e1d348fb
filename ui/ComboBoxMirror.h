#pragma once
// Shows a drop-down list's model state in its widget: the entries (replaced
// only when they differ) and the selected one.
#include "app/Controls.h"

class QComboBox;

namespace velmora {

void MirrorComboBox(QComboBox &box, const TComboBoxState &state);

}  // namespace velmora
