// Starting, running, stopping and pausing a conversion task.
#include <future>

#include "converter/FFmpegTask.h"
#include "converter/ThreadPriority.h"
#include "libav/FFmpegLoader.h"
#include "libav/MainThread.h"
#include "libav/PreviewLock.h"

namespace velmora {

void TFFmpeg::PrepareForRun() {
  if (TFFmpegLoader::Instance().LibrariesLoaded(kStandardLibraries)) {
    ClearEngine();
    ResetOptions();
    CreateOptionContexts();
  } else {
    ResetOptions();
  }
  RunControl().Reset();
  running_ = false;
  terminated_ = false;
  finishedRun_ = false;
  Options().totalOutputDuration = -1;
}

void TFFmpeg::SetPreviewFlag(int bit, bool on) {
  std::lock_guard<std::mutex> guard(PreviewLock());
  PreviewFlags = on ? (PreviewFlags | bit) : (PreviewFlags & ~bit);
}

std::string TFFmpeg::ExceptionMessage() const {
  std::lock_guard<std::mutex> guard(messageLock_);
  return exceptionMessage_;
}

void TFFmpeg::FailStart(const std::string &message) {
  // The engine keeps its input open until the task is freed or prepared
  // again: a refused start may run under the component's event lock, and
  // closing files there could log through the library, which takes the
  // registry lock, the reverse of the order in which log lines are delivered.
  Fail(message);
  Terminated();
}

bool TFFmpeg::Start(bool threaded, TConvertPriority priority) {
  if (running_ || terminated_) return false;
  if (OutputFileCount() == 0) {
    FailStart("At least one output file must be specified");
    return false;
  }
  if (InputFileCount() == 0) {
    FailStart("At least one input file must be specified");
    return false;
  }
  running_ = true;
  finishedRun_ = false;
  if (!threaded) {
    ThreadId = std::this_thread::get_id();
    Run();
    return false;
  }
  // The thread waits until its id is recorded, so that every line it logs
  // can be traced back to this task.
  std::promise<void> recorded;
  std::shared_future<void> go = recorded.get_future().share();
  workerActive_ = true;
  try {
    worker_ = std::thread(&TFFmpeg::RunWorker, this, priority, go);
  } catch (const std::system_error &) {
    workerActive_ = false;
    running_ = false;
    ThreadId = std::thread::id();
    return false;
  }
  ThreadId = worker_.get_id();
  recorded.set_value();
  return true;
}

void TFFmpeg::RunWorker(TConvertPriority priority, std::shared_future<void> go) {
  go.wait();
  ApplyThreadPriority(priority);
  Run();
}

void TFFmpeg::Fail(const std::string &message) {
  Log(-1, message);
  {
    std::lock_guard<std::mutex> guard(messageLock_);
    exceptionMessage_ = message;
  }
  exception_ = true;
}

void TFFmpeg::Run() {
  finishedRun_ = false;
  try {
    Transcode();
    finishedRun_ = Finished();
  } catch (const std::exception &e) {
    Fail(e.what());
  } catch (...) {
    Fail("The run was ended by an exception of unknown type");
  }
  CloseOpenedCodecs();
  ClearEngine();
  Terminated();
}

void TFFmpeg::Terminated() {
  running_ = false;
  terminated_ = true;
  ThreadId = std::thread::id();
  if (OnTerminateReceiver) OnTerminateReceiver(*this);
  // Whoever waits for this task returns only after its terminate event.
  workerActive_ = false;
  TMainThread::NotifyWaiters();
}

void TFFmpeg::StopAndWait() {
  RunControl().RequestStop();
  if (terminator_.joinable() && terminator_.get_id() != std::this_thread::get_id())
    terminator_.join();
  if (!workerActive_) {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
    return;
  }
  // A handler on the task's own thread cannot wait for that thread.
  if (worker_.get_id() == std::this_thread::get_id()) return;
  TMainThread::WaitWhileServing([this] { return !workerActive_; });
  if (worker_.joinable()) worker_.join();
}

void TFFmpeg::Stop() {
  if (running_) {
    StopAndWait();
    return;
  }
  if (terminated_) return;
  // A task that never ran terminates from a short-lived thread of its own.
  std::atomic<bool> done{false};
  std::thread terminator([this, &done] {
    ApplyThreadPriority(tpIdle);
    Terminated();
    done = true;
    TMainThread::NotifyWaiters();
  });
  TMainThread::WaitWhileServing([&done] { return done.load(); });
  terminator.join();
}

void TFFmpeg::StopWithoutWaiting() {
  RunControl().RequestStop();
  if (running_ || terminated_ || terminator_.joinable()) return;
  // Like Stop, from a short-lived thread; it delivers OnTerminate once the
  // caller has let go of the event lock, and is joined when the task goes.
  terminator_ = std::thread([this] {
    ApplyThreadPriority(tpIdle);
    Terminated();
  });
}

void TFFmpeg::Pause() {
  if (workerActive_) RunControl().Pause();
}

void TFFmpeg::ResumeRun() {
  if (workerActive_) RunControl().Resume();
}

}  // namespace velmora
