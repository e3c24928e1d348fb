// The merge as the converters' events drive it: each source's progress and
// end, the join of the intermediates and the start of the final encode,
// the join's progress, the end of the merge with the check of its output,
// and the finishing action. The converters hand their events to the
// merge's own thread, where these handlers run one after another.
#include <filesystem>

#include "app/FileNames.h"
#include "app/MainForm.h"
#include "app/MergeCheck.h"
#include "app/SourceChapters.h"
#include "app/ProgressPercent.h"
#include "libav/MainThread.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char *kSecondsSuffix = "   (秒)";
constexpr const char *kMergeStopped = "合并已停止。";

enum TFinishingAction { kNothing = 0, kShutDown = 1, kOpenFolder = 2 };

}  // namespace

void TForm1::ConnectMergeEvents() {
  // Each event is handed over to the merge's own thread (the handlers below
  // take the window's lock; the converters call here with their event lock
  // held).
  SourceConverter.OnProgress = [this](int index, int, int, int current, float, float, std::int64_t,
                                      int total) {
    mergeEvents_.Post([=, this] { SourceConverterProgress(index, current, total); });
  };
  SourceConverter.OnTerminate = [this](int index, bool finished, bool exception,
                                       const std::string &message) {
    mergeEvents_.Post([=, this] { SourceConverterTerminate(index, finished, exception, message); });
  };
  // Library lines logged on the main thread belong to no task and reach
  // every converter; the source converter copies them already.
  JoinConverter.OnLog = [this](int index, TLogLevel level, const std::string &message) {
    if (index < 0 && TMainThread::IsMainThread()) return;
    ConverterLog(index, level, message);
  };
  JoinConverter.OnProgress = [this](int index, int, int, int current, float, float, std::int64_t,
                                    int) {
    mergeEvents_.Post([=, this] { JoinConverterProgress(index, current); });
  };
  JoinConverter.OnTerminate = [this](int index, bool finished, bool exception,
                                     const std::string &message) {
    mergeEvents_.Post([=, this] { JoinConverterTerminate(index, finished, exception, message); });
  };
}

// ---- The per-source phase ------------------------------------------------------

void TForm1::SourceConverterProgress(int AIndex, int ACurrentDuration, int ATotalOutputDuration) {
  if (!sourceRunActive_ || closing_) return;
  TChange change(*this);
  if (closing_ || !AdvListView1.ValidRow(AIndex)) return;
  TListRow &row = AdvListView1.Rows[AIndex];
  row.Columns[kColCurrentTime] = std::to_string(ACurrentDuration / 1000) + kSecondsSuffix;
  // A report that was on its way when the sources were paused keeps "暂停".
  if (Paused != kYes) row.Columns[kColStatus] = kStatusConverting;
  row.Progress = ProgressPercent(ACurrentDuration, ATotalOutputDuration);
}

void TForm1::SourceConverterTerminate(int AIndex, bool AFinished, bool AException,
                                      const std::string &AMessage) {
  if (!sourceRunActive_ || closing_) return;
  if (AIndex < 0) {
    SourcePhaseEnded();
    return;
  }
  TChange change(*this);
  if (closing_ || !AdvListView1.ValidRow(AIndex)) return;
  if (AFinished) {
    AdvListView1.Rows[AIndex].Progress = 100;
    AdvListView1.Rows[AIndex].Columns[kColStatus] = kStatusFinished;
  }
  if (AException && AIndex < static_cast<int>(run_.SourceErrors.size()))
    run_.SourceErrors[AIndex] = AMessage;
}

void TForm1::SourcePhaseEnded() {
  {
    TChange change(*this);
    sourceRunActive_ = false;
    if (closing_) return;
    if (StoppedByUser == kYes) {
      MarkRows({kStatusConverting, kStatusPaused}, kStatusStopped);
      ReturnToIdle();
      // The window's final values were set aside for the intermediates.
      RestoreSavedFinalSettings();
      ReportMergeResult(kMergeStopped);
      RecordMergeEnd(TMergeOutcome::Stopped, kMergeStopped);
      return;
    }
    const int selected = AdvListView1.Selected;
    if (AdvListView1.ValidRow(selected) &&
        (selected >= static_cast<int>(run_.SourceErrors.size()) ||
         run_.SourceErrors[selected].empty()))
      AdvListView1.Rows[selected].Columns[kColStatus] = kStatusFinished;
    JoinPhase = kYes;
    // A pause that came as the last source ended pauses the join.
    if (Paused == kYes) {
      Paused = kNo;
      joinControl_.SetPaused(true);
    }
  }
  Button26Click();
}

// ---- The join phase ---------------------------------------------------------------

TAppendResult TForm1::AddToFile(const std::string &target, const std::string &source) {
  std::string error;
  const TAppendResult result = AppendFile(target, source, &joinControl_, &error);
  if (result == TAppendResult::Failed) {
    TChange change(*this);
    Caption = "Error";
    AddLogBlock("***" + error);
  }
  return result;
}

void TForm1::Button26Click() {
  // The intermediates that exist, in row order: the first of them becomes
  // the joined file, so one missing intermediate loses only its own source.
  std::vector<std::string> parts;
  std::vector<TChapterSource> chapters;
  {
    TChange change(*this);
    if (closing_) return;
    for (int row = 0; row < AdvListView1.RowCount(); ++row) {
      const std::string &file = IntermediateFiles[row];
      if (file.empty() || !FileExists(file) || IsListedSource(file, std::string())) continue;
      parts.push_back(file);
      const std::int64_t duration = row < static_cast<int>(run_.Sources.size())
                                        ? run_.Sources[row].DurationUs
                                        : 0;
      chapters.push_back({JobSlot[row].Input.FileName, duration});
    }
  }
  // Appended without the lock, so that the window stays responsive; pause
  // and stop reach the appends between two chunks.
  for (std::size_t k = 1; k < parts.size(); ++k)
    if (AddToFile(parts.front(), parts[k]) == TAppendResult::Stopped) break;

  std::string message;
  {
    TChange change(*this);
    if (closing_) return;
    if (StoppedByUser != kYes) {
      const std::string joined = parts.empty() ? IntermediateFiles[0] : parts.front();
      TInputOptions input;
      InitInputOptions(input);
      input.FileName = joined;
      if (IsDatFile(joined)) input.ForceFormat = "mpeg";
      const int task = JoinConverter.CreateTask(joined, &input);
      if (task < 0) {
        // The joined file is one of ours (".mpg"): no script to register.
        message = AbandonMerge("***文件打开失败: " + JoinConverter.LastError(),
                               "无法识别的音频或视频文件！" + joined);
      } else {
        Button29Click();
        ApplyFinalCompletions();
        FinalOutputPath = SafeOutputName(WithExtension(JoinedFileName, FinalExtension()), true);
        run_.FinalOptions = FinalOutputOptions();
        if (WriteSourceChapters && HoldsChapters(FinalExtension()))
          run_.FinalOptions.ExtraOptions += "\n" + ChapterOptionLines(chapters);
        if (JoinConverter.SetTaskOutput(task, FinalOutputPath, &run_.FinalOptions)) {
          joinRunActive_ = true;
          JoinConverter.StartTasks(1);
          if (joinControl_.Paused()) JoinConverter.PauseTasks();
          return;
        }
        run_.FinalSetupError = JoinConverter.LastError();
        AddLogBlock("***Cannot convert: " + run_.FinalSetupError);
      }
    }
  }
  if (message.empty()) {
    // Stopped during the appends, or the final file could not be set up:
    // the merge ends as a join phase ends, without a final task.
    JoinPhaseEnded();
    return;
  }
  ShowMergeMessage(message, false);
  TChange change(*this);
  EndAbandonedMerge(message);
}

void TForm1::JoinConverterProgress(int AIndex, int ACurrentDuration) {
  (void)AIndex;
  if (!joinRunActive_ || closing_) return;
  TChange change(*this);
  if (closing_) return;
  suiProgressBar1.Position = ProgressPercent(ACurrentDuration, run_.TotalMs);
  Label8.Caption = "视频合并进度：";
}

void TForm1::JoinConverterTerminate(int AIndex, bool AFinished, bool AException,
                                    const std::string &AMessage) {
  if (!joinRunActive_ || closing_) return;
  if (AIndex < 0) {
    JoinPhaseEnded();
    return;
  }
  TChange change(*this);
  if (closing_) return;
  run_.FinalFinished = AFinished;
  if (AException) run_.FinalError = AMessage;
  if (AFinished && AdvListView1.ValidRow(AIndex)) {
    AdvListView1.Rows[AIndex].Progress = 100;
    AdvListView1.Rows[AIndex].Columns[kColStatus] = kStatusFinished;
  }
}

// ---- The end of a merge -------------------------------------------------------------

void TForm1::Button27Click() {
  TChange change(*this);
  for (const std::string &file : IntermediateFiles) {
    // Never a source, never the final file.
    if (file.empty() || !FileExists(file) || IsListedSource(file, std::string()) ||
        SameFile(file, FinalOutputPath))
      continue;
    std::error_code error;
    fs::remove(file, error);
  }
}

std::string TForm1::MergeFailure() const {
  std::string failure;
  for (std::size_t row = 0; row < run_.SourceErrors.size(); ++row) {
    if (run_.SourceErrors[row].empty()) continue;
    failure += "第" + std::to_string(row + 1) + "个文件转换失败：" + run_.SourceErrors[row] + "\n";
  }
  if (!run_.FinalSetupError.empty()) return failure + run_.FinalSetupError;
  if (!run_.FinalFinished)
    return failure + (run_.FinalError.empty() ? "输出文件没有转换完成" : run_.FinalError);
  if (!failure.empty()) failure.pop_back();
  return failure;
}

void TForm1::JoinPhaseEnded() {
  bool stopped = false;
  std::string path, failure;
  TMergeExpectation expected;
  int action = kNothing;
  {
    TChange change(*this);
    joinRunActive_ = false;
    if (closing_) return;
    JoinPhase = kNo;
    stopped = StoppedByUser == kYes;
    if (stopped) MarkRows({kStatusConverting, kStatusPaused}, kStatusStopped);
    Button27Click();
    path = FinalOutputPath;
    action = suiComboBox1.ItemIndex;
    if (!stopped) failure = MergeFailure();
    if (!stopped && failure.empty())
      expected = ExpectedOutput(run_.FinalOptions, path, run_.Sources);
  }
  // The check reads the whole tail of the file: without the lock.
  TMergeCheckReport report;
  if (!stopped && failure.empty()) {
    report = CheckMergedFile(path, expected);
    if (!report.Passed()) failure = CheckFailureText(report);
  }
  const TMergeOutcome outcome = stopped           ? TMergeOutcome::Stopped
                                : failure.empty() ? TMergeOutcome::Done
                                                  : TMergeOutcome::Failed;
  const std::string message = stopped           ? std::string(kMergeStopped)
                              : failure.empty() ? CheckPassedText(path, report)
                                                : "合并失败：" + failure;
  {
    TChange change(*this);
    if (outcome == TMergeOutcome::Done) suiProgressBar1.Position = 100;
    ReportMergeResult(message);
  }
  if (outcome == TMergeOutcome::Failed) ShowMergeMessage(message, true);
  const bool acted = action == kShutDown     ? Button18Click()
                     : action == kOpenFolder ? Button20Click()
                                             : true;
  // Idle only now: a merge started before would have its state changed by
  // the rest of this one.
  TChange change(*this);
  if (!acted)
    AddLogBlock(action == kShutDown ? "无法关闭计算机" : "无法打开文件夹：" + suiEdit1.Text);
  ReturnToIdle();
  RecordMergeEnd(outcome, message, report);
}

std::string TForm1::AbandonMerge(const std::string &logLine, const std::string &message) {
  if (!logLine.empty()) AddLogBlock(logLine);
  Button27Click();
  RestoreSavedFinalSettings();
  JoinPhase = kNo;
  Paused = kNo;
  ReportMergeResult("合并失败：" + message);
  return message;
}

void TForm1::EndAbandonedMerge(const std::string &message) {
  ReturnToIdle();
  RecordMergeEnd(TMergeOutcome::Failed, message);
}

void TForm1::ReportMergeResult(const std::string &message) {
  suiStatusBar2.SimpleText = message;
  AddLogBlock(message);
}

void TForm1::RecordMergeEnd(TMergeOutcome outcome, const std::string &message,
                            const TMergeCheckReport &check) {
  LastMerge = {LastMerge.Count + 1, outcome, message, FinalOutputPath, check};
}

void TForm1::ShowMergeMessage(const std::string &message, bool error) {
  platform_.MessageBox(message, error ? "错误" : "提示", TMsgButtons::Ok,
                       error ? TMsgIcon::Error : TMsgIcon::Information);
}

}  // namespace velmora
