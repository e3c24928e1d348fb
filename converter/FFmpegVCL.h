#pragma once
// The converter component: owns an ordered list of conversion tasks, runs
// them one after another on the calling thread or several at a time on
// worker threads, and reports progress, log lines, hooks and termination
// through events that carry the task's index.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "converter/EventLock.h"
#include "converter/FFmpegList.h"
#include "converter/FFmpegLogger.h"
#include "converter/OptionRecords.h"
#include "libav/Bitmap.h"
#include "libav/ConvertTypes.h"
#include "media/AVProbe.h"

namespace velmora {

using TBeforeHookEvent =
    std::function<void(int AIndex, std::int64_t APTS, THookAction &AHookAction)>;
using TCustomHookEvent = std::function<void(int AIndex, TBitmap &ABitmap, int AFrameNumber,
                                            std::int64_t APTS, bool &AUpdate, bool &AStopHook)>;
using TLogEvent = std::function<void(int AIndex, TLogLevel ALogLevel, const std::string &AMsg)>;
using TPreviewBitmapEvent =
    std::function<void(int AIndex, const TBitmap &ABitmap, int AFrameNumber, std::int64_t APTS)>;
using TProgressEvent = std::function<void(int AIndex, int AFrameNumber, int AFPS,
                                          int ACurrentDuration, float AQuality, float ABitRate,
                                          std::int64_t ACurrentSize, int ATotalOutputDuration)>;
using TTerminateEvent =
    std::function<void(int AIndex, bool AFinished, bool AException, const std::string &AMessage)>;

class TCustomFFmpegVCL : public TLogLineTarget {
 public:
  TCustomFFmpegVCL();
  ~TCustomFFmpegVCL() override;
  TCustomFFmpegVCL(const TCustomFFmpegVCL &) = delete;
  TCustomFFmpegVCL &operator=(const TCustomFFmpegVCL &) = delete;

  // Events; set them before tasks run.
  TBeforeHookEvent OnBeforeHook;
  TCustomHookEvent OnCustomHook;
  TLogEvent OnLog;
  TPreviewBitmapEvent OnPreviewBitmap;
  TProgressEvent OnProgress;
  TTerminateEvent OnTerminate;

  std::string About;
  static std::string Version() { return "2.4a"; }

  TLogLevel LogLevel() const { return logLevel_; }
  void SetLogLevel(TLogLevel level);
  int ProgressInterval() const { return progressInterval_; }
  void SetProgressInterval(int milliseconds);
  TConvertPriority ThreadPriority() const { return threadPriority_; }
  void SetThreadPriority(TConvertPriority priority) { threadPriority_ = priority; }
  bool Preview() const { return preview_; }
  void SetPreview(bool on);
  bool PreviewBitmap() const { return previewBitmap_; }
  // Codec threads of the tasks started from now on (0: one, the engine's own).
  int CodecThreads() const { return codecThreads_; }
  void SetCodecThreads(int threads) { codecThreads_ = threads > 0 ? threads : 0; }
  void SetPreviewBitmap(bool on);

  bool LoadLibraries(const std::string &libraryPath);
  bool LibrariesLoaded() const;
  void UnloadLibraries();

  // A new task with `fileName` as its input; its index, or -1 with LastError.
  int CreateTask(const std::string &fileName, TInputOptions *options = nullptr);
  // Gives a task its output; false with LastError. A bad index raises EListError.
  bool SetTaskOutput(int taskIndex, const std::string &fileName,
                     TOutputOptions *options = nullptr);
  int TaskCount() const { return tasks_.Count(); }
  // The task's first opened input (read its container duration).
  AVFormatContext *TaskInputContext(int taskIndex) const;
  void DeleteTask(int taskIndex);
  void RemoveAllTasks();

  // threadCount <= 0: one after another on the calling thread; n > 0: at
  // most n at once on worker threads.
  void StartTasks(int threadCount);
  void PauseTasks();
  void ResumeTasks();
  void StopTasks();

  // Clears OnLog, OnProgress and OnTerminate under the event lock: none of
  // them is called once this returns (a handler that is running finishes
  // first). On the main thread, calls posted to it are served meanwhile,
  // since a running handler may be waiting for one.
  void DetachEvents();

  std::string LastError() const;
  TAVProbe &Probe() { return probe_; }

  // The task at an index (EListError when there is none).
  TFFmpeg &Task(int taskIndex) const { return tasks_.Get(taskIndex); }

 protected:
  // Connects the hook receiver the task's output record asked for.
  void ConnectHookReceivers(TFFmpeg &task);
  // The engine's and the library's lines, the task's progress and end.
  virtual void HandleBeforeHook(TFFmpeg &task, std::int64_t pts, THookAction &action);
  virtual void HandleCustomHook(TFFmpeg &task, TBitmap &bitmap, int frameNumber,
                                std::int64_t pts, bool &update, bool &stopHook);
  virtual void HandleLog(TFFmpeg *task, int engineLevel, const std::string &message);
 public:
  // Delivers a picture through OnPreviewBitmap on the main thread; the
  // calling worker waits until the event has returned.
  virtual void HandlePreviewBitmap(TFFmpeg &task, const TBitmap &bitmap, int frameNumber,
                                   std::int64_t pts);

 protected:
  virtual void HandleProgress(TFFmpeg &task, int frameNumber, int fps, int currentDuration,
                              float quality, float bitRate, std::int64_t currentSize,
                              int totalOutputDuration);
  virtual void HandleTerminate(TFFmpeg &task);

  void DeliverLibraryLine(int engineLevel, const std::string &line) override;

  // Leaves the registry and stops and frees every task. A class derived from
  // this one calls it first in its own destructor, so that no task thread
  // calls a handler of an object that is already being taken apart.
  void Shutdown();

 private:
  void ConnectReceivers(TFFmpeg &task);
  void PrepareTask(TFFmpeg &task);
  // Starts the task at the next index when any is left to start; the event
  // lock is held.
  void StartNextTask();
  // Counts the next task that has not run yet as started and gives it the
  // run settings.
  TFFmpeg &TakeNextTask();
  // Tasks that have neither run nor been stopped.
  int TasksNotRun() const;
  void SetLastError(const std::string &text);
  // OnTerminate, with what it throws caught and logged; the event lock is held.
  void FireTerminate(int index, bool finished, bool exception, const std::string &message);

  mutable std::mutex errorLock_;
  std::string lastError_;
  int nextTaskIndex_ = 0;
  bool threadMode_ = false;
  TLogLevel logLevel_ = llInfo;
  int progressInterval_ = 500;
  TConvertPriority threadPriority_ = tpNormal;
  bool preview_ = false;
  bool previewBitmap_ = false;
  int codecThreads_ = 0;
  TAVProbe probe_;
  TFFmpegList tasks_;
  // Held while OnLog, OnProgress and OnTerminate run, and by the start
  // sequence; a terminating task starts the next one while holding it.
  TEventLock eventLock_;
  // One preview delivery at a time: the hand-over slot is shared by all tasks.
  std::mutex previewSlotLock_;
  bool shutDown_ = false;
  int finishedCount_ = 0;
  int runTaskCount_ = 0;  // tasks of this run: those that had not run at its start
  bool runActive_ = false;  // from StartTasks until the run's OnTerminate(-1)
  int remainingToStart_ = 0;
};

// The component as the windows use it.
class TFFmpegVCL final : public TCustomFFmpegVCL {
 public:
  ~TFFmpegVCL() override { Shutdown(); }
};

}  // namespace velmora
