// The window program: the application titled "Velmora" with its windows,
// the stored skin and the stored output folder. The settings file and the
// temporary folder live beside the program, or in the user's folders when
// the program's folder cannot be written.
#include "app/ProgramFiles.h"
#include "app/RegistryStore.h"
#include "libav/ProgramFolder.h"
#include "ui/CjkFont.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgramWindows.h"
#include "ui/QtApplication.h"
#include "ui/QtPlatform.h"

int main(int argc, char *argv[]) {
  velmora::TQtApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);
  application.setWindowIcon(velmora::ProgramIcon());

  velmora::TQtPlatform platform;
  velmora::TRegistryStore registry(velmora::kMachineRegistryFile);
  velmora::TProgramWindows windows(platform, registry,
                                   velmora::LocateProgramFiles(velmora::ProgramFolder()));
  windows.MainWindow().show();
  return application.exec();
}
