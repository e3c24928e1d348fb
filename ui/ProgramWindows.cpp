#include "ui/ProgramWindows.h"

#include <QtGlobal>

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

  form9_ = std::make_unique<TForm9>(files);
  view9_ = std::make_unique<TMediaInfoWindowView>(*form9_, view1_.get());

  TOtherWindows &windows = form1_->Windows;
  windows.ShowAbout = [this] { view4_->ShowModal(); };
  windows.ShowMediaInfo = [this](const TMediaInfoValues &values) { view9_->ShowModal(values); };
}

}  // namespace velmora
