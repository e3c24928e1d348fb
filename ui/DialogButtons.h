#pragma once
// The row at the foot of a dialog with its closing button ("确定") at the
// right: the default button, named after its control, accepting the dialog.
#include <QDialog>
#include <QLayout>

#include "app/Controls.h"

namespace velmora {

QLayout *AcceptButtonRow(QDialog &dialog, const TButtonState &button);

}  // namespace velmora
