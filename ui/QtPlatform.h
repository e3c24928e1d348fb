#pragma once
// The platform services of the windows on Qt: message boxes and file
// dialogs (shown on the GUI thread, also when asked for from another
// thread), the desktop's default program, shutdown through systemd, and
// queued calls on the GUI thread.
#include <QStringList>
#include <QUrl>

#include "app/Platform.h"

namespace velmora {

class TQtPlatform : public TPlatform {
 public:
  TMsgAnswer MessageBox(const std::string &text, const std::string &caption, TMsgButtons buttons,
                        TMsgIcon icon) override;
  std::vector<std::string> OpenFiles(const TOpenDialogSpec &dialog) override;
  std::optional<std::string> ChooseFolder(const std::string &title) override;
  bool ShellOpen(const std::string &target) override;
  bool Shutdown() override;
  void PostToGuiThread(std::function<void()> call) override;
};

// Makes the calling thread (the GUI thread, with the application object
// made) the core's main thread, and lets the core's hand-over run its calls
// from the Qt event loop.
void InstallMainThreadHandOver();

// What the desktop is asked to open for a ShellOpen target: a web or mail
// address as it is, otherwise the local file or folder.
QUrl DesktopUrl(const std::string &target);

// The name filters of a file dialog for a list of types: the description
// followed by its masks in parentheses.
QStringList NameFilters(const std::vector<TFileFilter> &filters);

}  // namespace velmora
