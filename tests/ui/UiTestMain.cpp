// The view tests' main: the window program's application object on the
// offscreen platform for every test, made on the thread that runs the tests
// (the GUI thread).
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/CjkFont.h"
#include "ui/QtApplication.h"
#include "ui/QtPlatform.h"

int main(int argc, char *argv[]) {
  // Also when the program is started by hand or only asked for its tests.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  velmora::TQtApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);
  return RUN_ALL_TESTS();
}
