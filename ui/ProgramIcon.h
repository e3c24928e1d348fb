#pragma once
// The program's icon, painted at any size: two film clips joined into one
// on a blue tile. The window icon, the About window's picture and the
// desktop entry's icon files (written at build time) all come from here.
#include <QIcon>
#include <QPixmap>

namespace velmora {

QPixmap ProgramPixmap(int size);
QIcon ProgramIcon();

}  // namespace velmora
