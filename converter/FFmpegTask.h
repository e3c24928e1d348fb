#pragma once
// A conversion task of the converter: one transcoding engine with the option
// records it was configured from and the frame-hook set-up those records ask
// for.
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "libav/Bitmap.h"
#include "libav/ConvertTypes.h"
#include "media/AVProbe.h"

#include "converter/OptionRecords.h"
#include "engine/CustomFFmpeg.h"

namespace velmora {

// Bits of a task's preview flags.
constexpr int kPreviewWindow = 1;
constexpr int kPreviewBitmap = 2;

// A time range, in microseconds, in which the frame hooks run.
using THookRange = HookRange;

class TFFmpeg : public TCustomFFmpeg {
 public:
  TFFmpeg();
  // Stops the task and waits for it first.
  ~TFFmpeg() override;

  // The task's own probe, attached to its input once that is open.
  TAVProbe &Probe() { return probe_; }

  // Copies of the records last applied; both start at their defaults.
  TInputOptions InputOptions;
  TOutputOptions OutputOptions;

  // Which hook receiver the output record asked to connect: the custom hook
  // takes precedence over the before hook.
  bool CustomHookConnected = false;
  bool BeforeHookConnected = false;

  // Hands the hook ranges to the engine, which keeps them sorted by
  // ascending end.
  void SetHookRangeList(std::vector<THookRange> ranges) { SetHookRanges(std::move(ranges)); }
  const std::vector<THookRange> &HookRangeList() const { return HookRanges(); }

  // ---- run state and threads (converter/FFmpegTaskRun.cpp) ----
  // Position in the component's task list; -1 until added.
  std::atomic<int> Index{-1};
  // The thread running the task: none before start, its worker thread in
  // thread mode, the calling thread in sequential mode; none again once the
  // task has terminated (thread ids can be reused).
  std::atomic<std::thread::id> ThreadId{};
  // The component's end-of-task handler.
  std::function<void(TFFmpeg &)> OnTerminateReceiver;

  // Readies the engine for a new run: clears earlier state, resets every
  // option and makes fresh option contexts (when the libraries are loaded).
  void PrepareForRun();
  // Bit kPreviewWindow or kPreviewBitmap of the preview flags, changed under
  // the process-wide preview lock.
  void SetPreviewFlag(int bit, bool on);

  // Starts the task: on a worker thread of the given priority (returns true
  // when one was made) or on the calling thread until it ends. A running or
  // terminated task is not started again.
  bool Start(bool threaded, TConvertPriority priority);
  // The task's body: the transcode, then the clean-up that always runs.
  void Run();
  // The end of the task: flags, then the terminate receiver.
  void Terminated();
  // Stops a running task and waits for it; terminates a task that never ran.
  void Stop();
  // Asks a running task to stop, and terminates a task that never ran from a
  // short-lived thread, without waiting for either: for calls from inside an
  // event handler, which holds the lock those terminations need.
  void StopWithoutWaiting();
  // Asks a running task to stop and, when it has a worker thread, waits
  // until it has terminated (serving main-thread calls meanwhile).
  void StopAndWait();
  // Halts and continues a task that runs on a worker thread.
  void Pause();
  void ResumeRun();

  bool Running() const { return running_; }
  bool IsTerminated() const { return terminated_; }
  bool HasWorker() const { return workerActive_; }
  bool FinishedRun() const { return finishedRun_; }
  bool ExceptionRaised() const { return exception_; }
  std::string ExceptionMessage() const;

 private:
  TAVProbe probe_;
  void FailStart(const std::string &message);
  // The run ends with an error: its message logged and kept for OnTerminate.
  void Fail(const std::string &message);
  void RunWorker(TConvertPriority priority, std::shared_future<void> go);

  std::atomic<bool> running_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finishedRun_{false};
  std::atomic<bool> exception_{false};
  std::atomic<bool> workerActive_{false};
  mutable std::mutex messageLock_;
  std::string exceptionMessage_;
  std::thread worker_;
  std::thread terminator_;  // of StopWithoutWaiting
};

}  // namespace velmora
