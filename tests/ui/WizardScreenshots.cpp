// Renders the two windows of the advanced-options wizard as a user sees
// them: the chooser opened on the type of the main window's preset, and the
// options dialog for that type with one effect chosen. Writes the chooser
// to the first path given and the dialog to the second. Runs without a
// display (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "dialogs/AdvancedOptionsWizard.h"
#include "support/TestSupport.h"
#include "ui/AdvancedOptionsView.h"
#include "ui/CjkFont.h"
#include "ui/MainWindow.h"
#include "ui/OutputFormatChooserView.h"
#include "ui/QtPlatform.h"

namespace {

bool Save(QWidget &window, const char *path) {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  return window.grab().save(QString::fromLocal8Bit(path));
}

}  // namespace

int main(int argc, char *argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CHOOSER.png OPTIONS.png\n", argv[0]);
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);

  velmora::test::TempDir demo;
  velmora::TScriptedPlatform platform;
  velmora::TRegistryStore registry(demo.file("registry.ini"));
  velmora::TForm1 form(platform, registry, demo.path().string());
  velmora::TMainWindowView window(form);
  velmora::TAdvancedOptionsWizard wizard(form, platform);
  velmora::TOutputFormatChooserView chooser(wizard.Form7, &window);
  velmora::TAdvancedOptionsView options(wizard.Form8, &window);
  form.OnAdvancedOptions = [&wizard] { wizard.Open(); };
  window.show();

  // The user had picked the iPhone preset and opens the wizard.
  form.SelectItem(form.suiComboBox5, 23);
  form.suiComboBox5Change();
  form.ToolButton6Click();
  if (!Save(chooser, argv[1])) return 1;

  wizard.Form7.suiButton1Click();
  wizard.Form8.SelectItem(wizard.Form8.suiComboBox1, 4);  // H.264
  wizard.Form8.SetChecked(wizard.Form8.suiCheckBox2, true);
  return Save(options, argv[2]) ? 0 : 1;
}
