// The merge commands (merge or resume, pause, stop), building the
// per-source tasks, and which commands are available in each state of a
// merge.
#include <filesystem>

#include "app/FileNames.h"
#include "app/MainForm.h"
#include "app/SourceMedia.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char *kStopQuestion = "您确实要终止目前的转换工作吗？";
constexpr const char *kNewNameMark = "(New_";
// A script source that the script library could not run describes itself
// with this duration; it is opened again after the library is registered.
constexpr const char *kFailedScriptDuration = "00:00:10.00";
constexpr int kScriptReopenings = 5;

}  // namespace

// ---- Availability ---------------------------------------------------------------

void TForm1::SetMergeCommands(bool start, bool pause, bool stop) {
  ToolButton3.Enabled = btnStart.Enabled = start;
  ToolButton5.Enabled = btnPause.Enabled = pause;
  ToolButton4.Enabled = btnStop.Enabled = stop;
}

void TForm1::ReturnToIdle() {
  for (TControl *control : std::initializer_list<TControl *>{
           &ToolButton1, &N1, &N2, &suiButton3, &suiComboBox2, &suiComboBox3, &suiComboBox4})
    control->Enabled = true;
  Button33Click();
  const bool rows = AdvListView1.RowCount() > 0;
  SetListCommandsAvailable(rows);
  SetMergeCommands(rows, false, false);
}

void TForm1::MarkRows(const std::vector<std::string> &from, const std::string &to) {
  for (TListRow &row : AdvListView1.Rows)
    for (const std::string &status : from)
      if (row.Columns[kColStatus] == status) row.Columns[kColStatus] = to;
}

// ---- Commands ----------------------------------------------------------------

void TForm1::btnStartClick() {
  int threads = 0;
  {
    TChange change(*this);
    // A click that reached the model after the command went away.
    if (!ToolButton3.Enabled) return;
    if (JoinPhase != kNo) {
      SetMergeCommands(false, true, ToolButton4.Enabled);
      joinControl_.SetPaused(false);
      JoinConverter.ResumeTasks();
      return;
    }
    suiProgressBar1.Position = 0;
    if (Paused == kYes) {
      Paused = kNo;
      SetMergeCommands(false, true, ToolButton4.Enabled);
      SourceConverter.ResumeTasks();
      return;
    }
    if (!FreshStart()) return;
    const int concurrency = suiComboBox3.ItemIndex + 1;
    threads =
        chkThreadMode.Checked ? std::max(1, std::min(AdvListView1.RowCount(), concurrency)) : 0;
    sourceRunActive_ = true;
  }
  // Without the lock: in thread mode the tasks' events need it at once, and
  // one after another the tasks run on this thread until they all end.
  SourceConverter.StartTasks(threads);
}

bool TForm1::FreshStart() {
  StoppedByUser = kNo;
  if (!Button14Click()) return false;
  for (TListRow &row : AdvListView1.Rows) {
    row.Progress = 0;
    row.Columns[kColStatus] = kStatusReady;
  }
  SourceConverter.SetLogLevel(ChosenLogLevel());
  const int priority = suiComboBox2.ItemIndex;
  SourceConverter.SetThreadPriority(priority >= tpIdle && priority <= tpNormal
                                        ? static_cast<TConvertPriority>(priority)
                                        : tpNormal);
  for (TControl *control :
       std::initializer_list<TControl *>{&ToolButton1, &N1, &N2, &ToolButton12, &suiButton3,
                                         &suiComboBox2, &suiComboBox3, &suiComboBox4, &ToolButton2})
    control->Enabled = false;
  Button32Click();
  ShowListButtons(false);
  joinControl_.Reset();
  SetMergeCommands(false, chkThreadMode.Checked, chkThreadMode.Checked);
  return true;
}

void TForm1::btnPauseClick() {
  TChange change(*this);
  if (!ToolButton5.Enabled) return;
  SetMergeCommands(true, false, ToolButton4.Enabled);
  if (JoinPhase != kNo) {
    joinControl_.SetPaused(true);
    JoinConverter.PauseTasks();
    return;
  }
  Paused = kYes;
  SourceConverter.PauseTasks();
  MarkRows({kStatusConverting}, kStatusPaused);
}

void TForm1::btnStopClick() {
  {
    TChange change(*this);
    if (!ToolButton4.Enabled) return;
  }
  // Asked without the lock: the converters' events go on meanwhile.
  if (platform_.MessageBox(kStopQuestion, "提示信息", TMsgButtons::OkCancel,
                           TMsgIcon::Information) != TMsgAnswer::Ok)
    return;
  TFFmpegVCL *converter = nullptr;
  {
    TChange change(*this);
    if (!ToolButton4.Enabled) return;  // the merge ended while the user was asked
    Paused = kNo;
    StoppedByUser = kYes;
    SetMergeCommands(false, false, false);
    if (JoinPhase != kNo) {
      joinControl_.RequestStop();
      converter = &JoinConverter;
    } else {
      converter = &SourceConverter;
    }
  }
  // Without the lock: this waits for the running task, whose end needs it.
  converter->StopTasks();
}

// ---- Building the per-source tasks --------------------------------------------

std::string TForm1::SafeOutputName(const std::string &path, bool reuseExisting) const {
  const std::string extension = FileExtension(path);
  std::string base = WithExtension(path, "");
  if (const auto mark = base.find(kNewNameMark); mark != std::string::npos) base.resize(mark);
  const auto usable = [&](const std::string &name, bool mayExist) {
    if (IsListedSource(name, std::string()) || SameFile(name, FinalOutputPath)) return false;
    for (const std::string &taken : IntermediateFiles)
      if (SameFile(name, taken)) return false;
    return mayExist || !FileExists(name);
  };
  const std::string plain = base + extension;
  if (usable(plain, reuseExisting)) return plain;
  for (int n = 1;; ++n) {
    const std::string numbered = base + kNewNameMark + std::to_string(n) + ")" + extension;
    if (usable(numbered, false)) return numbered;
  }
}

void TForm1::ChooseMergeAudioFormat(const TSourceMedia &first) {
  const int channels = std::min(first.Channels, 2);  // what the intermediates' MPEG audio holds
  run_.AudioChannels = Settings.AudioChannels.empty() ? channels : 0;
  const bool rateSet = !Settings.AudioSampleRate.empty() && Settings.AudioSampleRate != "AUTO";
  run_.AudioSampleRate = rateSet ? 0 : first.SampleRate;
}

bool TForm1::Button14Click() {
  TChange change(*this);
  Button28Click();
  IntermediateFiles.fill(std::string());
  JoinedFileName.clear();
  FinalOutputPath.clear();
  run_ = TMergeRun{};
  std::error_code error;
  fs::create_directories(OutputFolder, error);
  SourceConverter.RemoveAllTasks();
  // The previous merge's final task, which has ended.
  JoinConverter.RemoveAllTasks();
  TotalSeconds = 0;

  const auto abandon = [this](const std::string &logLine, const std::string &message) {
    SourceConverter.RemoveAllTasks();
    ShowMergeMessage(AbandonMerge(logLine, message), false);
    EndAbandonedMerge(message);
    return false;
  };
  bool audioChosen = false;
  for (int i = 0; i < kJobSlotCount; ++i) {
    TJobSlot &slot = JobSlot[i];
    if (slot.SlotState != kSlotFull) continue;
    const std::string &source = slot.Input.FileName;
    mmoLog.Clear();
    TInputOptions input = slot.Input;
    int task = SourceConverter.CreateTask(source, &input);
    // A script the script library could not run: register the library and
    // open it again. Only script sources are judged by their duration.
    for (int again = 0;
         task >= 0 && again < kScriptReopenings && AsciiUpper(FileExtension(source)) == ".AVS";
         ++again) {
      const std::string log = mmoLog.Text();
      const auto at = log.find("Duration:");
      if (at == std::string::npos || log.size() < at + 21 ||
          log.compare(at + 10, 11, kFailedScriptDuration) != 0)
        break;
      Button24Click();
      SourceConverter.DeleteTask(task);
      mmoLog.Clear();
      input = slot.Input;
      task = SourceConverter.CreateTask(source, &input);
    }
    if (task < 0)
      return abandon("***文件打开失败: " + SourceConverter.LastError(),
                     "无法识别的音频或视频文件！" + source);
    const TSourceMedia media = DescribeSource(SourceConverter.TaskInputContext(task));
    run_.Sources.push_back(media);
    run_.SourceErrors.emplace_back();
    if (!audioChosen && media.HasAudio) {
      ChooseMergeAudioFormat(media);
      audioChosen = true;
    }

    RefreshIntermediateOptions(slot.Intermediate);
    FitIntermediatePicture(slot.Intermediate, media);
    const std::string planned =
        (fs::path(OutputFolder) / fs::path(slot.Intermediate.FileName).filename()).string();
    const bool renamed = planned.find(kNewNameMark) != std::string::npos;
    const std::string out = SafeOutputName(planned, !renamed || suiComboBox4.ItemIndex != 0);
    // Never a source file, whatever the settings.
    if (IsListedSource(out, std::string())) return abandon("", "中间文件不能是源文件：" + out);
    IntermediateFiles[i] = out;
    if (!SourceConverter.SetTaskOutput(task, out, &slot.Intermediate))
      return abandon("***Cannot convert: " + SourceConverter.LastError(),
                     "无法转换该文件：" + source + "\n" + SourceConverter.LastError());
    TotalSeconds += static_cast<int>(media.DurationUs / 1000000);
    run_.TotalMs += media.DurationUs / 1000;
  }
  const std::string first = fs::path(JobSlot[0].Input.FileName).filename().string();
  JoinedFileName = (fs::path(OutputFolder) / ("ALL_" + WithExtension(first, ".mpg"))).string();
  return true;
}

}  // namespace velmora
