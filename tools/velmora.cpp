// The window program: the main window on the desktop, with the output
// folder Video_Directory in the user's home folder, and the advanced-options
// wizard that its two "高级选项" buttons open.
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "app/MainForm.h"
#include "dialogs/AdvancedOptionsWizard.h"
#include "dialogs/LibraryCheck.h"
#include "ui/AdvancedOptionsView.h"
#include "ui/CjkFont.h"
#include "ui/MainWindow.h"
#include "ui/OutputFormatChooserView.h"
#include "ui/QtPlatform.h"

namespace {

std::filesystem::path HomeFolder() {
  if (const char *home = std::getenv("HOME"); home && *home) return home;
  if (const passwd *user = getpwuid(getuid())) return user->pw_dir;
  return std::filesystem::current_path();
}

}  // namespace

int main(int argc, char *argv[]) {
  QApplication application(argc, argv);
  application.setApplicationName("Velmora");
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);

  velmora::TQtPlatform platform;
  velmora::TRegistryStore registry(velmora::kMachineRegistryFile);
  velmora::TForm1 form(platform, registry);
  const std::filesystem::path outputFolder = HomeFolder() / "Video_Directory";
  std::error_code error;
  std::filesystem::create_directories(outputFolder, error);
  form.SetOutputFolder(outputFolder.string());

  velmora::TMainWindowView window(form);
  velmora::TAdvancedOptionsWizard wizard(form, platform, velmora::LibraryCheck(form));
  velmora::TOutputFormatChooserView chooser(wizard.Form7, &window);
  velmora::TAdvancedOptionsView options(wizard.Form8, &window);
  form.OnAdvancedOptions = [&wizard] { wizard.Open(); };
  window.show();
  return application.exec();
}
