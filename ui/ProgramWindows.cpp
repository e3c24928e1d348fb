#include "ui/ProgramWindows.h"

#include <QtGlobal>

#include "app/PasswordLock.h"
#include "ui/PreviewWindow.h"

namespace velmora {

namespace {

// The GUI toolkit, for the About window's list.
TLibraryNotice QtNotice() {
  return {"Qt", qVersion(), "GNU LGPL version 3"};
}

}  // namespace

TProgramWindows::TProgramWindows(TPlatform &platform, TRegistryStore &registry,
                                 const TProgramFiles &files) {
  form1_ = std::make_unique<TForm1>(platform, registry, files);
  form1_->FormCreate();
  view1_ = std::make_unique<TMainWindowView>(*form1_);

  form4_ = std::make_unique<TForm4>(files);
  form4_->OtherLibraries.push_back(QtNotice());
  view4_ = std::make_unique<TAboutWindowView>(*form4_, view1_.get());

  form5_ = std::make_unique<TForm5>(platform, registry, files);
  view5_ = std::make_unique<TPasswordWindow>(*form5_, view1_.get());

  form6_ = std::make_unique<TForm6>(platform, downloader_, files);
  view6_ = std::make_unique<TUpdateWindow>(*form6_, view1_.get());

  form9_ = std::make_unique<TForm9>(files);
  view9_ = std::make_unique<TMediaInfoWindowView>(*form9_, view1_.get());

  TOtherWindows &windows = form1_->Windows;
  windows.ShowAbout = [this] { view4_->ShowModal(); };
  windows.ShowMediaInfo = [this](const TMediaInfoValues &values) { view9_->ShowModal(values); };
  windows.ShowUpdate = [this] { view6_->exec(); };
  // While the lock is on, the main window goes on only with the password; a
  // wrong one (said by the window) or "退出" closes it, which ends the program.
  windows.StartupPasswordCheck = [this, &registry] {
    if (!LockOn(registry)) return;
    view5_->exec();
    if (form5_->Outcome() != TLockOutcome::Unlocked)
      QMetaObject::invokeMethod(view1_.get(), [this] { view1_->close(); }, Qt::QueuedConnection);
  };
  InstallPreviewWindows();
}

}  // namespace velmora
