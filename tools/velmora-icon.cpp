// Writes the program's icon as PNG files for the desktop's icon theme:
//   velmora-icon FOLDER SIZE...   FOLDER/velmora-SIZE.png for each size
// Runs without a display.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/ProgramIcon.h"

int main(int argc, char *argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication application(argc, argv);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const std::string path = std::string(argv[1]) + "/velmora-" + argv[i] + ".png";
    if (size <= 0 || !velmora::ProgramPixmap(size).save(QString::fromStdString(path))) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
