#include "converter/FFmpegVCL.h"

#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"
#include "libav/MainThread.h"
#include "libav/ScopeExit.h"

namespace velmora {

TCustomFFmpegVCL::TCustomFFmpegVCL() {
  InstallLibraryLogCallback();
  TComponentRegistry::Instance().Add(this);
}

TCustomFFmpegVCL::~TCustomFFmpegVCL() { Shutdown(); }

void TCustomFFmpegVCL::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  TComponentRegistry::Instance().Remove(this);
  // A handler still running on another thread finishes first; no waiting
  // task is started by the terminations that follow.
  {
    std::lock_guard<TEventLock> guard(eventLock_);
    remainingToStart_ = 0;
    runActive_ = false;
  }
  // Running tasks are stopped and waited for as they are freed.
  for (TFFmpeg *task : tasks_.Tasks()) task->StopAndWait();
  tasks_.ExtractAll();
}

void TCustomFFmpegVCL::SetLastError(const std::string &text) {
  std::lock_guard<std::mutex> guard(errorLock_);
  lastError_ = text;
}

std::string TCustomFFmpegVCL::LastError() const {
  std::lock_guard<std::mutex> guard(errorLock_);
  return lastError_;
}

void TCustomFFmpegVCL::SetLogLevel(TLogLevel level) {
  logLevel_ = level;
  SetLibraryLogLevel(EngineLevelFromLogLevel(level));
}

void TCustomFFmpegVCL::SetProgressInterval(int milliseconds) {
  progressInterval_ = milliseconds <= 100 ? 100 : milliseconds;
}

void TCustomFFmpegVCL::SetPreview(bool on) {
  for (TFFmpeg *task : tasks_.Tasks()) task->SetPreviewFlag(kPreviewWindow, on);
  preview_ = on;
}

void TCustomFFmpegVCL::SetPreviewBitmap(bool on) {
  for (TFFmpeg *task : tasks_.Tasks()) task->SetPreviewFlag(kPreviewBitmap, on);
  previewBitmap_ = on;
}

bool TCustomFFmpegVCL::LoadLibraries(const std::string &libraryPath) {
  TFFmpegLoader &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(libraryPath);
  if (!loader.LoadLibraries(kStandardLibraries)) {
    SetLastError(loader.LastLoadError());
    return false;
  }
  SetLibraryLogLevel(EngineLevelFromLogLevel(logLevel_));
  return true;
}

bool TCustomFFmpegVCL::LibrariesLoaded() const {
  return TFFmpegLoader::Instance().LibrariesLoaded(kStandardLibraries);
}

void TCustomFFmpegVCL::UnloadLibraries() {
  TFFmpegLoader::Instance().UnloadLibraries(kStandardLibraries);
}

void TCustomFFmpegVCL::PrepareTask(TFFmpeg &task) {
  task.PrepareForRun();
  task.Options().verbose = EngineLevelFromLogLevel(logLevel_);
  task.SetPreviewFlag(kPreviewWindow, preview_);
  task.SetPreviewFlag(kPreviewBitmap, previewBitmap_);
  task.OnPreviewBitmapReceiver = [this, &task](const TBitmap &bitmap, int frame,
                                               std::int64_t pts) {
    HandlePreviewBitmap(task, bitmap, frame, pts);
  };
}

void TCustomFFmpegVCL::ConnectReceivers(TFFmpeg &task) {
  task.OnProgress = [this, &task](int frame, int fps, int duration, float q, float rate,
                                  std::int64_t size, int total) {
    HandleProgress(task, frame, fps, duration, q, rate, size, total);
  };
  task.OnTerminateReceiver = [this](TFFmpeg &ended) { HandleTerminate(ended); };
}

int TCustomFFmpegVCL::CreateTask(const std::string &fileName, TInputOptions *options) {
  auto task = std::make_unique<TFFmpeg>();
  TFFmpeg &t = *task;
  t.OnLog = [this, &t](int level, const std::string &text) { HandleLog(&t, level, text); };
  try {
    PrepareTask(t);
    ApplyInputOptions(t, fileName, options);
    if (!t.OpenInputFile(fileName)) {
      t.OnLog = nullptr;
      SetLastError(t.LastError());
      return -1;
    }
    t.Probe().AttachContext(t.InputContext(0));
    ConnectReceivers(t);
    return tasks_.Add(std::move(task));
  } catch (const std::exception &e) {
    SetLastError(e.what());
    return -1;
  }
}

bool TCustomFFmpegVCL::SetTaskOutput(int taskIndex, const std::string &fileName,
                                     TOutputOptions *options) {
  TFFmpeg &task = tasks_.Get(taskIndex);  // a bad index reaches the caller
  try {
    const bool join = ApplyOutputOptions(task, fileName, options);
    ConnectHookReceivers(task);
    if (task.OpenOutputFile(fileName, join) < 0) {
      SetLastError(task.LastError());
      return false;
    }
    if (options) ApplyExtraOptions(task, options->ExtraOptions, true);
    return true;
  } catch (const std::exception &e) {
    SetLastError(e.what());
    return false;
  }
}

AVFormatContext *TCustomFFmpegVCL::TaskInputContext(int taskIndex) const {
  return tasks_.Get(taskIndex).InputContext(0);
}

void TCustomFFmpegVCL::DeleteTask(int taskIndex) {
  tasks_.Get(taskIndex).Stop();
  tasks_.Extract(taskIndex);
}

void TCustomFFmpegVCL::RemoveAllTasks() {
  for (TFFmpeg *task : tasks_.Tasks()) task->StopAndWait();
  tasks_.ExtractAll();
  SetLastError("");
  threadMode_ = false;
}

void TCustomFFmpegVCL::StartTasks(int threadCount) {
  ClearPendingLines();
  std::unique_lock<TEventLock> lock(eventLock_);
  nextTaskIndex_ = 0;
  finishedCount_ = 0;
  threadMode_ = threadCount > 0;
  // Tasks that ran in an earlier run stay as they are; the others make this run.
  runTaskCount_ = TasksNotRun();
  remainingToStart_ = runTaskCount_;
  runActive_ = runTaskCount_ > 0;
  if (threadMode_) {
    for (int left = threadCount; remainingToStart_ > 0 && left > 0; --left) StartNextTask();
    return;
  }
  // One after another: each run returns when its task has ended. The event
  // lock is not held while a task runs, only while the next one is chosen.
  while (remainingToStart_ > 0) {
    TFFmpeg &task = TakeNextTask();
    lock.unlock();
    task.Start(false, threadPriority_);
    lock.lock();
  }
  // Tasks stopped before they ran end on short-lived threads of their own;
  // the run is over when the last of them has delivered its OnTerminate.
  lock.unlock();
  TMainThread::WaitWhileServing([this] {
    std::lock_guard<TEventLock> guard(eventLock_);
    return !runActive_;
  });
}

int TCustomFFmpegVCL::TasksNotRun() const {
  int count = 0;
  for (const TFFmpeg *task : tasks_.Tasks())
    if (!task->Running() && !task->IsTerminated()) ++count;
  return count;
}

TFFmpeg &TCustomFFmpegVCL::TakeNextTask() {
  --remainingToStart_;
  while (tasks_.Get(nextTaskIndex_).Running() || tasks_.Get(nextTaskIndex_).IsTerminated())
    ++nextTaskIndex_;
  TFFmpeg &task = tasks_.Get(nextTaskIndex_++);
  task.ProgressInterval = static_cast<std::int64_t>(progressInterval_) * 1000;
  task.Options().verbose = EngineLevelFromLogLevel(logLevel_);
  task.CodecThreads = codecThreads_;
  return task;
}

void TCustomFFmpegVCL::StartNextTask() {
  if (remainingToStart_ > 0) TakeNextTask().Start(true, threadPriority_);
}

void TCustomFFmpegVCL::PauseTasks() {
  for (TFFmpeg *task : tasks_.Tasks()) task->Pause();
}

void TCustomFFmpegVCL::ResumeTasks() {
  for (TFFmpeg *task : tasks_.Tasks()) task->ResumeRun();
}

void TCustomFFmpegVCL::StopTasks() {
  // From an event handler (the only way to stop a sequential run) the tasks
  // are asked to stop without waiting: a task that ends must take the event
  // lock this thread holds to deliver its OnTerminate.
  const bool fromHandler = eventLock_.HeldByThisThread();
  {
    std::lock_guard<TEventLock> guard(eventLock_);
    remainingToStart_ = 0;
  }
  for (TFFmpeg *task : tasks_.Tasks()) {
    if (fromHandler)
      task->StopWithoutWaiting();
    else
      task->Stop();
  }
}

void TCustomFFmpegVCL::DetachEvents() {
  std::unique_lock<TEventLock> lock(eventLock_, std::defer_lock);
  if (TMainThread::IsMainThread() && !eventLock_.HeldByThisThread()) {
    // Handlers wake the waiters when they let the lock go; the time-out
    // covers a holder that lets it go without an event.
    constexpr std::chrono::milliseconds kRetry(50);
    const auto taken = [&] { return lock.owns_lock() || lock.try_lock(); };
    while (!TMainThread::WaitWhileServing(taken, kRetry)) {
    }
  } else {
    lock.lock();
  }
  OnLog = nullptr;
  OnProgress = nullptr;
  OnTerminate = nullptr;
}

// The output record chose at most one hook receiver for the task.
void TCustomFFmpegVCL::ConnectHookReceivers(TFFmpeg &task) {
  task.CustomHookInstalled = task.CustomHookConnected;
  task.OnCustomHook = nullptr;
  task.OnBeforeHook = nullptr;
  if (task.CustomHookConnected) {
    task.OnCustomHook = [this, &task](TBitmap &bitmap, bool &stop, bool &update,
                                      std::int64_t pts, int frame) {
      HandleCustomHook(task, bitmap, frame, pts, update, stop);
    };
  } else if (task.BeforeHookConnected) {
    task.OnBeforeHook = [this, &task](THookAction &action, std::int64_t pts) {
      HandleBeforeHook(task, pts, action);
    };
  }
}

void TCustomFFmpegVCL::HandleBeforeHook(TFFmpeg &task, std::int64_t pts, THookAction &action) {
  if (OnBeforeHook) OnBeforeHook(task.Index, pts, action);
}

void TCustomFFmpegVCL::HandleCustomHook(TFFmpeg &task, TBitmap &bitmap, int frameNumber,
                                        std::int64_t pts, bool &update, bool &stopHook) {
  if (OnCustomHook) OnCustomHook(task.Index, bitmap, frameNumber, pts, update, stopHook);
}

void TCustomFFmpegVCL::HandleLog(TFFmpeg *task, int engineLevel, const std::string &message) {
  {
    std::lock_guard<TEventLock> guard(eventLock_);
    if (OnLog) OnLog(task ? task->Index.load() : -1, LogLevelFromEngine(engineLevel), message);
  }
  TMainThread::NotifyWaiters();
}

void TCustomFFmpegVCL::HandlePreviewBitmap(TFFmpeg &task, const TBitmap &bitmap,
                                           int frameNumber, std::int64_t pts) {
  if (!OnPreviewBitmap) return;
  std::lock_guard<std::mutex> slot(previewSlotLock_);
  const int index = task.Index;
  TMainThread::Synchronize([&] { OnPreviewBitmap(index, bitmap, frameNumber, pts); });
}

void TCustomFFmpegVCL::HandleProgress(TFFmpeg &task, int frameNumber, int fps,
                                      int currentDuration, float quality, float bitRate,
                                      std::int64_t currentSize, int totalOutputDuration) {
  {
    std::lock_guard<TEventLock> guard(eventLock_);
    if (OnProgress)
      OnProgress(task.Index, frameNumber, fps, currentDuration, quality, bitRate, currentSize,
                 totalOutputDuration);
  }
  TMainThread::NotifyWaiters();
}

void TCustomFFmpegVCL::FireTerminate(int index, bool finished, bool exception,
                                     const std::string &message) {
  if (!OnTerminate) return;
  // The end of a task is counted whatever its handler does; what the handler
  // throws is said in the log instead of ending the task's thread.
  std::string failure;
  try {
    OnTerminate(index, finished, exception, message);
    return;
  } catch (const std::exception &e) {
    failure = e.what();
  } catch (...) {
    failure = "an exception of unknown type";
  }
  try {
    if (OnLog) OnLog(index, llError, "Error occurs OnTerminate: " + failure);
  } catch (...) {
  }
}

void TCustomFFmpegVCL::HandleTerminate(TFFmpeg &task) {
  const ScopeExit wakeWaiters([] { TMainThread::NotifyWaiters(); });
  std::lock_guard<TEventLock> guard(eventLock_);
  FireTerminate(task.Index, task.FinishedRun(), task.ExceptionRaised(), task.ExceptionMessage());
  ++finishedCount_;
  if (remainingToStart_ > 0) {
    if (threadMode_) StartNextTask();
  } else if (runActive_ && finishedCount_ >= runTaskCount_) {
    runActive_ = false;
    FireTerminate(-1, true, false, "");
    ClearPendingLines();
  }
}

void TCustomFFmpegVCL::DeliverLibraryLine(int engineLevel, const std::string &line) {
  TFFmpeg *task = tasks_.FindByThread(std::this_thread::get_id());
  if (task || TMainThread::IsMainThread()) HandleLog(task, engineLevel, line);
}

}  // namespace velmora
