// The help menu: the help file, the online update window, the web site, a
// mail to the makers and the About window.
#include <filesystem>

#include "app/MainForm.h"
#include "app/ProgramInfo.h"

namespace velmora {

void TForm1::N3Click() {
  std::error_code error;
  if (!std::filesystem::exists(files_.HelpFile, error)) {
    platform_.MessageBox("找不到帮助文件：" + files_.HelpFile, "提示", TMsgButtons::Ok,
                         TMsgIcon::Information);
    return;
  }
  OpenWithDesktop(files_.HelpFile);
}

void TForm1::N12Click() {
  if (Windows.ShowUpdate) Windows.ShowUpdate();
}

void TForm1::N9Click() { OpenWithDesktop(kWebSite); }

void TForm1::N5Click() { OpenWithDesktop(std::string("mailto:") + kMailAddress); }

void TForm1::N4Click() {
  if (Windows.ShowAbout) Windows.ShowAbout();
}

void TForm1::OpenWithDesktop(const std::string &target) {
  if (!platform_.ShellOpen(target))
    platform_.MessageBox("无法打开：" + target, "错误", TMsgButtons::Ok, TMsgIcon::Error);
}

}  // namespace velmora
