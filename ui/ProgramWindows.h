#pragma once
// The windows of the window program, each made once at start in a fixed
// order: the main window, the About window, the password window, the online
// update window, the advanced options dialog, the output format chooser and
// the media information window. The main window's creation steps run as it
// is made; the other windows are shown modally from it.
#include <memory>

#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/CurlDownloader.h"
#include "app/MediaInfoForm.h"
#include "app/PasswordForm.h"
#include "app/UpdateForm.h"
#include "ui/AboutWindow.h"
#include "ui/MainWindow.h"
#include "ui/MediaInfoWindow.h"
#include "ui/PasswordWindow.h"
#include "ui/UpdateWindow.h"

namespace velmora {

class TProgramWindows {
 public:
  // Also makes every conversion's preview show in a preview window.
  TProgramWindows(TPlatform &platform, TRegistryStore &registry, const TProgramFiles &files);
  TProgramWindows(const TProgramWindows &) = delete;
  TProgramWindows &operator=(const TProgramWindows &) = delete;

  TForm1 &Form1() { return *form1_; }
  TMainWindowView &MainWindow() { return *view1_; }
  TForm4 &Form4() { return *form4_; }
  TAboutWindowView &AboutWindow() { return *view4_; }
  TForm5 &Form5() { return *form5_; }
  TPasswordWindow &PasswordWindow() { return *view5_; }
  TForm6 &Form6() { return *form6_; }
  TUpdateWindow &UpdateWindow() { return *view6_; }
  TForm9 &Form9() { return *form9_; }
  TMediaInfoWindowView &MediaInfoWindow() { return *view9_; }

 private:
  // Declared in the order of creation, so each view goes before its model
  // and the dialogs (children of the main window) before the main window.
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TMainWindowView> view1_;
  std::unique_ptr<TForm4> form4_;
  std::unique_ptr<TAboutWindowView> view4_;
  std::unique_ptr<TForm5> form5_;
  std::unique_ptr<TPasswordWindow> view5_;
  TCurlDownloader downloader_;
  std::unique_ptr<TForm6> form6_;
  std::unique_ptr<TUpdateWindow> view6_;
  // The advanced options dialog TForm8 and the output format chooser TForm7
  // come here, in this order.
  std::unique_ptr<TForm9> form9_;
  std::unique_ptr<TMediaInfoWindowView> view9_;
};

}  // namespace velmora
