// The main window's life around a merge: the steps of its creation, its
// showing, the error box, and closing (stopping the converters, removing the
// temporary folder).
#include <filesystem>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/MainForm.h"

namespace velmora {

void TForm1::FormCreate() {
  TChange change(*this);
  Button1Click();
  TApplication::Instance().SetOnException(this, [this](std::exception_ptr error) {
    DoException(error);
  });
  Paused = kNo;
  Button15Click();
  Button17Click();
  ReadKeepAspect();
  suiComboBox1.Select(2);
  suiComboBox2.Select(3);
  suiComboBox3.Select(0);
  Button21Click();
  JoinPhase = kNo;
  Button30Click();
}

void TForm1::FormShow() {
  if (Windows.StartupPasswordCheck) Windows.StartupPasswordCheck();
}

void TForm1::DoException(std::exception_ptr error) {
  const TErrorBox box = ErrorBoxFor(error);
  platform_.MessageBox(box.Text, TApplication::Instance().Title, TMsgButtons::Ok, box.Icon);
}

bool TForm1::FormCloseQuery() {
  // Without the window's lock: a handler that is still running may need it
  // to finish. The join converter goes too, so that no handler reports into
  // a window that is closing. A merge under way ends here without a join or
  // a finishing action, and its thread is gone before the window's files
  // are removed.
  closing_ = true;
  joinControl_.RequestStop();
  for (TFFmpegVCL *converter : {&SourceConverter, &JoinConverter}) {
    converter->DetachEvents();
    converter->StopTasks();
  }
  mergeEvents_.Stop();
  return true;
}

void TForm1::FormClose() { Button23Click(); }

void TForm1::Button23Click() {
  namespace fs = std::filesystem;
  TChange change(*this);
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(files_.TempFolder, error))) return;
  fs::remove_all(files_.TempFolder, error);
  if (error) mmoLog.Lines.push_back("无法删除临时文件夹 " + files_.TempFolder + ": " + error.message());
}

}  // namespace velmora
