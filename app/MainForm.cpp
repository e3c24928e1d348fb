// The main window's creation, its lock and change announcements, the list
// of its controls, the converters' log lines and the status bar hints.
#include "app/MainForm.h"

#include "app/Application.h"
#include "app/OpenDialogFilter.h"
#include "app/OutputPresetTable.h"

namespace velmora {

namespace {

// The hidden buttons whose click handlers are the window's internal routines.
constexpr const char *kRoutineButtons[] = {
    "Button1",  "Button14", "Button15", "Button17", "Button18", "Button20",
    "Button21", "Button23", "Button24", "Button26", "Button27", "Button28",
    "Button29", "Button30", "Button32", "Button33",
};

const TValueList kAfterMergeActions{"无任何操作", "直接关闭计算机", "打开文件夹查看转换的文件"};
const TValueList kPriorities{"闲置时进行", "CPU占用最低", "CPU占用一般", "正常转换"};
const TValueList kFileExistsChoices{"自动生成相应的新文件名", "直接覆盖该文件"};

TValueList ConcurrencyChoices() {
  TValueList items;
  for (int n = 1; n <= 10; ++n) items.push_back(std::to_string(n) + "个文件");
  return items;
}

}  // namespace

std::vector<TListColumn> JobListColumns() {
  return {{"序号", 40},     {"视频源文件", 150}, {"源格式", 60}, {"临时格式", 60},
          {"当前时间", 100}, {"转换进度", 150},   {"状态", 64}};
}

TForm1::TStateLock::TStateLock(TForm1 &form, bool wait) : form_(&form) {
  if (wait) {
    form.stateLock_.lock();
  } else if (!form.stateLock_.try_lock()) {
    form_ = nullptr;
    return;
  }
  if (form.lockDepth_++ == 0) form.owner_ = std::this_thread::get_id();
  form.TakePendingLog();
}

TForm1::TStateLock::~TStateLock() {
  if (!form_) return;
  if (--form_->lockDepth_ == 0) form_->owner_ = std::thread::id();
  form_->stateLock_.unlock();
}

TForm1::TChange::TChange(TForm1 &form) : form_(form) {
  lock_.emplace(form, true);
  ++form_.changeDepth_;
}

TForm1::TChange::~TChange() {
  const bool outermost = --form_.changeDepth_ == 0;
  lock_.reset();
  if (outermost) form_.NotifyChanged();
}

TForm1::TForm1(TPlatform &platform, TRegistryStore &registry, const std::string &programFolder)
    : TForm1(platform, registry, LocateProgramFiles(programFolder)) {}

TForm1::TForm1(TPlatform &platform, TRegistryStore &registry, const TProgramFiles &files)
    : platform_(platform), registry_(registry), files_(files), skins_(files) {
  TChange change(*this);
  for (const TSkinMenuEntry &entry : SkinMenuEntries())
    SkinMenu.emplace_back(entry.Name, entry.Caption);
  for (const char *name : kRoutineButtons) RoutineButtons.emplace_back(name, name, false);
  for (TButtonState *separator : {&ToolButton8, &ToolButton9, &ToolButton10})
    separator->Separator = true;
  suiEdit1.ReadOnly = true;

  // The design-time contents: the preset box on its first entry and the
  // quality boxes with that preset's lists, none of its settings applied.
  suiComboBox5.Fill(OutputPresetNames(), 0);
  FillQualityBoxes(0);
  suiComboBox4.Fill(kFileExistsChoices, 0);

  Paused = kNo;
  Button15Click();
  suiComboBox1.Fill(kAfterMergeActions, 2);
  suiComboBox2.Fill(kPriorities, 3);
  suiComboBox3.Fill(ConcurrencyChoices(), 0);
  Button21Click();
  JoinPhase = kNo;
  Button30Click();

  // Nothing listed yet: adding is the only list command.
  SetListCommandsAvailable(false);
  ToolButton5.Enabled = false;
  ToolButton4.Enabled = false;

  // Library lines logged on the main thread reach every converter, so only
  // one of them may copy such lines into the log.
  SourceConverter.OnLog = [this](int index, TLogLevel level, const std::string &message) {
    ConverterLog(index, level, message);
  };
  ConnectMergeEvents();
}

TForm1::~TForm1() {
  // Tasks stopped now end the merge without a join or a finishing action;
  // the merge's thread ends first, as it calls the converters.
  closing_ = true;
  joinControl_.RequestStop();
  mergeEvents_.Stop();
  TApplication::Instance().ClearOnException(this);
  SetChangeListener(nullptr);
  for (TFFmpegVCL *converter : {&SourceConverter, &JoinConverter, &ProbeConverter}) {
    converter->RemoveAllTasks();
    converter->OnLog = nullptr;
    converter->OnProgress = nullptr;
    converter->OnTerminate = nullptr;
  }
}

void TForm1::SetChangeListener(std::function<void()> listener) {
  std::lock_guard<std::mutex> guard(listenerLock_);
  listener_ = std::move(listener);
}

void TForm1::NotifyChanged() {
  std::lock_guard<std::mutex> guard(listenerLock_);
  if (listener_) listener_();
}

std::vector<TControl *> TForm1::Controls() {
  std::vector<TControl *> controls = {&suiStatusBar2};
  for (TButtonState *button : ToolBarButtons()) controls.push_back(button);
  controls.insert(controls.end(), {
      &N1,            &N2,
      &N3,            &N12,           &N9,              &N5,            &N4,
      &AdvListView1,  &Button10,      &Button11,        &btnClear,      &btnRemove,
      &Button10Inert, &Button11Inert, &btnClearInert,   &btnRemoveInert, &suiButton12,
      &lblPreset,
      &suiComboBox5,  &suiButton13,   &lblVideoQuality, &suiComboBox6,  &lblAudioQuality,
      &suiComboBox7,  &lblFrameRate,  &suiComboBox8,    &lblAspect,     &suiComboBox9,
      &lblFrameSize,  &suiComboBox10, &chkKeepAspect,   &lblAfterMerge,   &suiComboBox1,  &lblOutputFolder,
      &suiEdit1,      &suiButton3,    &suiButton11,     &Label8,        &suiProgressBar1,
      &mmoLog,        &chkThreadMode, &lblFileExists,   &suiComboBox4,  &lblConcurrency,
      &suiComboBox3,  &lblPriority,   &suiComboBox2,    &grpLogLevel,   &btnStart,
      &btnPause,      &btnStop,
  });
  for (TButtonState &entry : SkinMenu) controls.push_back(&entry);
  for (TButtonState &button : RoutineButtons) controls.push_back(&button);
  return controls;
}

std::vector<TButtonState *> TForm1::ToolBarButtons() {
  return {&ToolButton1, &ToolButton12, &ToolButton2, &ToolButton8,  &ToolButton3,  &ToolButton5,
          &ToolButton4, &ToolButton9,  &ToolButton6, &ToolButton7,  &ToolButton10, &ToolButton11};
}

void TForm1::Button21Click() {
  const std::vector<TFileFilter> filters = ParseDialogFilter(kOpenDialogFilter);
  for (TOpenDialogSpec *dialog : {&OpenDialog1, &OpenDialog2}) {
    dialog->Filters = filters;
    dialog->FilterIndex = 0;
    dialog->FileMustExist = true;
  }
  OpenDialog1.MultiSelect = false;
  OpenDialog2.MultiSelect = true;
}

TLogLevel TForm1::ChosenLogLevel() const {
  const int index = grpLogLevel.ItemIndex;
  return index >= llQuiet && index <= llAll ? static_cast<TLogLevel>(index) : llInfo;
}

void TForm1::ConverterLog(int AIndex, TLogLevel ALogLevel, const std::string &AMsg) {
  std::string line = "#" + std::to_string(AIndex) + "." +
                     std::to_string(static_cast<int>(ALogLevel)) + ": " + AMsg;
  if (owner_.load() == std::this_thread::get_id()) {
    // Logged by a call this thread makes with the lock held.
    TakePendingLog();
    mmoLog.Lines.push_back(std::move(line));
    return;
  }
  {
    std::lock_guard<std::mutex> guard(pendingLogLock_);
    pendingLog_.push_back(std::move(line));
  }
  NotifyChanged();
}

void TForm1::TakePendingLog() {
  std::lock_guard<std::mutex> guard(pendingLogLock_);
  for (std::string &line : pendingLog_) mmoLog.Lines.push_back(std::move(line));
  pendingLog_.clear();
}

void TForm1::ShowHintOf(const std::string &name) {
  TChange change(*this);
  for (const TButtonState *button : ToolBarButtons()) {
    if (button->Name == name && !button->Hint.empty()) {
      suiStatusBar2.SimpleText = button->Hint;
      return;
    }
  }
}

void TForm1::ClearHint() {
  TChange change(*this);
  suiStatusBar2.SimpleText.clear();
}

}  // namespace velmora
