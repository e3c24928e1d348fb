// The view tests' main: one application object on the offscreen platform
// for every test, made on the thread that runs the tests (the GUI thread).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/CjkFont.h"
#include "ui/QtPlatform.h"

int main(int argc, char *argv[]) {
  // Also when the program is started by hand or only asked for its tests.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);
  return RUN_ALL_TESTS();
}
