// The converter component with real conversions of tiny files: event
// sequences, thread mode, pause, stop, errors and log delivery. Every wait
// is on an event, never on time.
#include "converter/FFmpegVCL.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "libav/FFmpegLoader.h"
#include "libav/MainThread.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct TerminateRecord {
  int index;
  bool finished;
  bool exception;
  std::string message;
  std::set<int> runningAtThatTime;
  std::set<int> startedAtThatTime;  // running or already ended
};

// Records the component's events and lets a test wait for the end of a run.
class EventLog {
 public:
  explicit EventLog(TFFmpegVCL &component) : component_(component) {
    component.OnTerminate = [this](int index, bool finished, bool exception,
                                   const std::string &message) {
      std::lock_guard<std::mutex> guard(lock_);
      std::set<int> running;
      std::set<int> started;
      for (int i = 0; i < component_.TaskCount(); ++i) {
        const TFFmpeg &task = component_.Task(i);
        if (task.Running() && i != index) running.insert(i);
        if (task.Running() || task.IsTerminated()) started.insert(i);
      }
      terminates_.push_back({index, finished, exception, message, running, started});
      changed_.notify_all();
    };
    component.OnLog = [this](int index, TLogLevel level, const std::string &message) {
      std::lock_guard<std::mutex> guard(lock_);
      logs_.push_back({index, level, message});
    };
    component.OnProgress = [this](int index, int, int, int, float, float, std::int64_t, int) {
      std::lock_guard<std::mutex> guard(lock_);
      progressCount_[index]++;
    };
  }
  // The handlers point here: every worker must be gone before this goes.
  ~EventLog() {
    for (int i = 0; i < component_.TaskCount(); ++i) component_.Task(i).StopAndWait();
    component_.OnTerminate = nullptr;
    component_.OnLog = nullptr;
    component_.OnProgress = nullptr;
  }
  void WaitForRunEnd() {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return !terminates_.empty() && terminates_.back().index == -1; });
  }
  std::vector<TerminateRecord> Terminates() {
    std::lock_guard<std::mutex> guard(lock_);
    return terminates_;
  }
  std::vector<int> TerminateOrder() {
    std::vector<int> order;
    for (const auto &t : Terminates()) order.push_back(t.index);
    return order;
  }
  struct LogRecord {
    int index;
    TLogLevel level;
    std::string message;
  };
  std::vector<LogRecord> Logs() {
    std::lock_guard<std::mutex> guard(lock_);
    return logs_;
  }
  int ProgressCount(int index) {
    std::lock_guard<std::mutex> guard(lock_);
    return progressCount_[index];
  }

 private:
  TFFmpegVCL &component_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<TerminateRecord> terminates_;
  std::vector<LogRecord> logs_;
  std::map<int, int> progressCount_;
};

class ConverterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    source_ = new test::TempDir;
    test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=0.5:s=64x48:r=25", "-f", "lavfi", "-i",
                  "sine=d=0.5", "-c:v", "mpeg1video", "-c:a", "mp2", source_->file("source.mpg")});
  }
  static void TearDownTestSuite() {
    delete source_;
    source_ = nullptr;
  }
  void SetUp() override {
    // A failed fixture would otherwise only skip the tests.
    ASSERT_TRUE(fs::exists(Source())) << "the source fixture was not made";
    TMainThread::Init();
    ASSERT_TRUE(component.LoadLibraries("")) << component.LastError();
  }
  static std::string Source() { return source_->file("source.mpg"); }

  // A stream-copy task into a file of the temporary folder.
  int AddCopyTask(const std::string &outputName) {
    const int index = component.CreateTask(Source());
    EXPECT_GE(index, 0) << component.LastError();
    TOutputOptions output;
    InitOutputOptions(output);
    output.VideoCodec = "copy";
    output.AudioCodec = "copy";
    EXPECT_TRUE(component.SetTaskOutput(index, dir.file(outputName), &output))
        << component.LastError();
    return index;
  }
  void AddCopyTasks(int count) {
    for (int i = 0; i < count; ++i) AddCopyTask("out" + std::to_string(i) + ".mpg");
  }

  static test::TempDir *source_;
  test::TempDir dir;
  TFFmpegVCL component;
};
test::TempDir *ConverterTest::source_ = nullptr;

TEST_F(ConverterTest, SequentialModeRunsTasksInOrderAndReturnsAfterAll) {
  AddCopyTasks(3);
  EventLog events(component);
  component.StartTasks(0);
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{0, 1, 2, -1}));
  for (const auto &t : events.Terminates()) {
    EXPECT_TRUE(t.finished) << t.index;
    EXPECT_FALSE(t.exception) << t.message;
  }
  for (int i = 0; i < 3; ++i) EXPECT_GT(fs::file_size(dir.file("out" + std::to_string(i) + ".mpg")), 0u);
}

TEST_F(ConverterTest, ThreadModeRunsAtMostTheThreadCountAtOnceInListOrder) {
  AddCopyTasks(5);
  EventLog events(component);
  component.StartTasks(2);
  events.WaitForRunEnd();
  const auto terminates = events.Terminates();
  ASSERT_EQ(terminates.size(), 6u);
  EXPECT_EQ(terminates.back().index, -1);
  std::set<int> seen;
  for (const auto &t : terminates) {
    if (t.index < 0) continue;
    EXPECT_TRUE(t.finished);
    EXPECT_LE(t.runningAtThatTime.size() + 1, 2u);
    for (int running : t.runningAtThatTime)  // a task runs only after those before it started
      for (int earlier = 0; earlier < running; ++earlier)
        EXPECT_TRUE(t.startedAtThatTime.count(earlier)) << earlier << " before " << running;
    seen.insert(t.index);
  }
  EXPECT_EQ(seen.size(), 5u);
}

TEST_F(ConverterTest, AThreadCountAboveTheTaskCountStartsEveryTaskAtOnce) {
  AddCopyTasks(3);
  for (int i = 0; i < 3; ++i) component.Task(i).RunControl().Pause();  // held at the first check
  EventLog events(component);
  component.StartTasks(10);
  for (int i = 0; i < 3; ++i) {
    component.Task(i).RunControl().WaitUntilHolding();
    EXPECT_TRUE(component.Task(i).Running());
  }
  component.ResumeTasks();
  events.WaitForRunEnd();
  EXPECT_EQ(events.Terminates().size(), 4u);
}

TEST_F(ConverterTest, StartingNothingOrTasksThatRanFiresNothing) {
  EventLog events(component);
  component.StartTasks(0);
  component.StartTasks(2);
  EXPECT_TRUE(events.Terminates().empty());
  AddCopyTasks(2);
  component.StartTasks(0);
  EXPECT_EQ(events.Terminates().size(), 3u);
  component.StartTasks(0);
  component.StartTasks(3);
  EXPECT_EQ(events.Terminates().size(), 3u);
}

TEST_F(ConverterTest, StopTasksEndsRunningTasksAndTerminatesWaitingOnes) {
  AddCopyTasks(5);
  for (int i = 0; i < 5; ++i) component.Task(i).RunControl().Pause();
  EventLog events(component);
  component.StartTasks(2);
  component.Task(0).RunControl().WaitUntilHolding();
  component.Task(1).RunControl().WaitUntilHolding();
  component.StopTasks();
  const auto terminates = events.Terminates();
  ASSERT_EQ(events.TerminateOrder(), (std::vector<int>{0, 1, 2, 3, 4, -1}));
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(terminates[i].finished) << i;
    EXPECT_FALSE(terminates[i].exception) << i;
    EXPECT_EQ(terminates[i].message, "");
  }
  EXPECT_TRUE(terminates[5].finished);
}

TEST_F(ConverterTest, PauseHaltsProgressAndResumeFinishesAValidOutput) {
  AddCopyTask("paused.mpg");
  component.SetProgressInterval(100);
  component.Task(0).RunControl().Pause();
  EventLog events(component);
  component.StartTasks(1);
  component.Task(0).RunControl().WaitUntilHolding();
  const int progressWhileHeld = events.ProgressCount(0);
  const auto sizeWhileHeld = fs::file_size(dir.file("paused.mpg"));
  component.PauseTasks();  // pausing a held task again changes nothing
  EXPECT_EQ(events.ProgressCount(0), progressWhileHeld);
  EXPECT_EQ(fs::file_size(dir.file("paused.mpg")), sizeWhileHeld);
  EXPECT_TRUE(events.Terminates().empty());
  component.ResumeTasks();
  events.WaitForRunEnd();
  ASSERT_EQ(events.TerminateOrder(), (std::vector<int>{0, -1}));
  EXPECT_TRUE(events.Terminates()[0].finished);
  EXPECT_GT(fs::file_size(dir.file("paused.mpg")), sizeWhileHeld);
  TAVProbe probe;
  ASSERT_TRUE(probe.LoadFile(dir.file("paused.mpg"))) << probe.LastError();
  EXPECT_EQ(probe.StreamCount(), 2);
}

TEST_F(ConverterTest, StopTasksOnAPausedTaskReturnsAfterItsTerminateEvent) {
  AddCopyTask("stopped.mpg");
  component.Task(0).RunControl().Pause();
  EventLog events(component);
  component.StartTasks(1);
  component.Task(0).RunControl().WaitUntilHolding();
  component.StopTasks();
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{0, -1}));
  EXPECT_FALSE(events.Terminates()[0].finished);
}

TEST_F(ConverterTest, PauseInSequentialModeChangesNothing) {
  AddCopyTasks(2);
  EventLog events(component);
  component.OnTerminate = [&, inner = component.OnTerminate](int i, bool f, bool e,
                                                              const std::string &m) {
    if (i == 0) component.PauseTasks();  // from a handler: the only way in this mode
    inner(i, f, e, m);
  };
  component.StartTasks(0);
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{0, 1, -1}));
  EXPECT_TRUE(events.Terminates()[1].finished);
}

TEST_F(ConverterTest, DeleteTaskRenumbersTheTasksAfterIt) {
  AddCopyTasks(3);
  component.DeleteTask(1);
  ASSERT_EQ(component.TaskCount(), 2);
  EventLog events(component);
  component.StartTasks(0);
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{0, 1, -1}));
  EXPECT_TRUE(fs::exists(dir.file("out2.mpg")));
  EXPECT_THROW(component.DeleteTask(5), EListError);
}

TEST_F(ConverterTest, ATaskWithoutOutputIsRefusedOnTheCallingThread) {
  const int index = component.CreateTask(Source());
  ASSERT_EQ(index, 0) << component.LastError();
  EventLog events(component);
  component.StartTasks(1);
  events.WaitForRunEnd();
  const auto terminates = events.Terminates();
  ASSERT_EQ(terminates.size(), 2u);
  EXPECT_EQ(terminates[0].index, 0);
  EXPECT_FALSE(terminates[0].finished);
  EXPECT_TRUE(terminates[0].exception);
  EXPECT_EQ(terminates[0].message, "At least one output file must be specified");
  EXPECT_EQ(component.Task(0).ThreadId.load(), std::thread::id());
  bool logged = false;
  for (const auto &log : events.Logs())
    logged |= log.index == 0 && log.level == llQuiet &&
              log.message == "At least one output file must be specified";
  EXPECT_TRUE(logged);
}

TEST_F(ConverterTest, ErrorsReachLastErrorAndEndOnlyTheirTask) {
  EXPECT_EQ(component.CreateTask(dir.file("missing.mpg")), -1);
  EXPECT_EQ(component.LastError(), dir.file("missing.mpg") + ": no such file or directory");
  const int index = component.CreateTask(Source());
  TOutputOptions output;
  InitOutputOptions(output);
  output.FrameSize = "353x288";
  EXPECT_FALSE(component.SetTaskOutput(index, dir.file("bad.mpg"), &output));
  EXPECT_EQ(component.LastError(), "Frame size must be a multiple of 2");
  EXPECT_THROW(component.SetTaskOutput(7, dir.file("x.mpg"), nullptr), EListError);
  try {
    component.SetTaskOutput(7, dir.file("x.mpg"), nullptr);
  } catch (const EListError &e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (7)");
  }
}

TEST_F(ConverterTest, AnErrorDuringATranscodeEndsOnlyThatTask) {
  AddCopyTask("first.mpg");
  const int failing = component.CreateTask(Source());
  TOutputOptions output;
  InitOutputOptions(output);
  output.VideoCodec = output.AudioCodec = "copy";
  output.AudioVolume = 100;  // a volume change needs decoded samples
  ASSERT_TRUE(component.SetTaskOutput(failing, dir.file("failing.mpg"), &output));
  AddCopyTask("third.mpg");
  EventLog events(component);
  component.StartTasks(2);
  events.WaitForRunEnd();
  const std::string message = "-acodec copy and -vol are incompatible (frames are not decoded)";
  std::map<int, TerminateRecord> byIndex;
  for (const auto &t : events.Terminates()) byIndex[t.index] = t;
  ASSERT_EQ(byIndex.size(), 4u);
  EXPECT_TRUE(byIndex[0].finished);
  EXPECT_TRUE(byIndex[2].finished);
  EXPECT_FALSE(byIndex[1].finished);
  EXPECT_TRUE(byIndex[1].exception);
  EXPECT_EQ(byIndex[1].message, message);
  bool logged = false;
  for (const auto &log : events.Logs())
    logged |= log.index == 1 && log.level == llQuiet && log.message == message;
  EXPECT_TRUE(logged);
}

TEST_F(ConverterTest, FreeingTheComponentStopsAndWaitsForRunningTasks) {
  std::atomic<int> terminated{0};
  {
    TFFmpegVCL local;
    for (int i = 0; i < 2; ++i) {
      const int index = local.CreateTask(Source());
      TOutputOptions output;
      InitOutputOptions(output);
      output.VideoCodec = output.AudioCodec = "copy";
      ASSERT_TRUE(local.SetTaskOutput(index, dir.file("f" + std::to_string(i) + ".mpg"), &output));
      local.Task(index).RunControl().Pause();
    }
    local.OnTerminate = [&](int index, bool, bool, const std::string &) {
      if (index >= 0) ++terminated;
    };
    local.StartTasks(2);
    local.Task(0).RunControl().WaitUntilHolding();
  }
  EXPECT_EQ(terminated, 2);
}

TEST_F(ConverterTest, LogLinesReachTheRightTaskOrTheMainThread) {
  AddCopyTask("logged.mpg");
  EventLog events(component);
  component.SetLogLevel(llInfo);
  ff.av_log(nullptr, AV_LOG_INFO, "from the main ");
  ff.av_log(nullptr, AV_LOG_INFO, "thread\nsecond\nrest");
  std::thread foreign([] { ff.av_log(nullptr, AV_LOG_ERROR, "foreign line\n"); });
  foreign.join();
  component.SetLogLevel(llError);
  ff.av_log(nullptr, AV_LOG_INFO, "dropped\n");
  const auto logs = events.Logs();
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(logs[0].index, -1);
  EXPECT_EQ(logs[0].message, "from the main thread");
  EXPECT_EQ(logs[0].level, llInfo);
  EXPECT_EQ(logs[1].message, "second");
}

TEST_F(ConverterTest, PreviewBitmapsAreDeliveredOnTheMainThread) {
  AddCopyTask("preview.mpg");
  std::thread::id deliveredOn;
  int deliveredIndex = -2;
  component.OnPreviewBitmap = [&](int index, const TBitmap &bitmap, int frame, std::int64_t) {
    deliveredOn = std::this_thread::get_id();
    deliveredIndex = index;
    EXPECT_EQ(bitmap.Width, 4);
    EXPECT_EQ(frame, 7);
  };
  TBitmap bitmap;
  bitmap.SetSize(4, 2);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    component.HandlePreviewBitmap(component.Task(0), bitmap, 7, 0);
    done = true;
    TMainThread::NotifyWaiters();
  });
  TMainThread::WaitWhileServing([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(deliveredOn, std::this_thread::get_id());
  EXPECT_EQ(deliveredIndex, 0);
}

TEST_F(ConverterTest, PropertiesKeepTheirRules) {
  component.SetProgressInterval(50);
  EXPECT_EQ(component.ProgressInterval(), 100);
  component.SetProgressInterval(101);
  EXPECT_EQ(component.ProgressInterval(), 101);
  EXPECT_EQ(TFFmpegVCL::Version(), "2.4a");
  component.SetLogLevel(llDebug);
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_DEBUG);
  AddCopyTask("flags.mpg");
  component.SetPreview(true);
  EXPECT_EQ(component.Task(0).PreviewFlags & kPreviewWindow, kPreviewWindow);
  component.SetPreviewBitmap(true);
  component.SetPreview(false);
  EXPECT_EQ(component.Task(0).PreviewFlags, kPreviewBitmap);
}

TEST_F(ConverterTest, RandomStartPauseResumeStopRoundsNeverLoseATerminateEvent) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    component.RemoveAllTasks();
    const int taskCount = 1 + static_cast<int>(random() % 3);
    AddCopyTasks(taskCount);
    EventLog events(component);
    component.StartTasks(1 + static_cast<int>(random() % 3));
    const int actions = static_cast<int>(random() % 4);
    for (int a = 0; a < actions; ++a) {
      switch (random() % 3) {
        case 0: component.PauseTasks(); break;
        case 1: component.ResumeTasks(); break;
        default: component.StopTasks(); break;
      }
    }
    component.ResumeTasks();
    events.WaitForRunEnd();
    std::multiset<int> ended;
    for (const auto &t : events.Terminates()) ended.insert(t.index);
    ASSERT_EQ(ended.size(), static_cast<std::size_t>(taskCount + 1)) << "round " << round;
    for (int i = -1; i < taskCount; ++i) ASSERT_EQ(ended.count(i), 1u) << "round " << round;
  }
}

// A sequential run can only be stopped from an event handler; the tasks
// still waiting then end from short-lived threads once the handler returns.
TEST_F(ConverterTest, StopTasksFromAHandlerOfASequentialRunEndsEveryTask) {
  for (const char *event : {"progress", "terminate"}) {
    SCOPED_TRACE(event);
    component.RemoveAllTasks();
    AddCopyTasks(3);
    component.SetProgressInterval(100);
    EventLog events(component);
    if (std::string(event) == "progress") {
      component.OnProgress = [&](int, int, int, int, float, float, std::int64_t, int) {
        component.StopTasks();
      };
    } else {
      component.OnTerminate = [&, inner = component.OnTerminate](int i, bool f, bool e,
                                                                  const std::string &m) {
        inner(i, f, e, m);
        if (i == 0) component.StopTasks();
      };
    }
    component.StartTasks(0);  // returns once the run is over
    const std::vector<int> order = events.TerminateOrder();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order.back(), -1);
    EXPECT_EQ(std::set<int>(order.begin(), order.end() - 1), (std::set<int>{0, 1, 2}));
    for (const auto &t : events.Terminates())
      if (t.index > 0) {
        EXPECT_FALSE(t.finished) << t.index;  // never ran
      }
  }
}

TEST_F(ConverterTest, DestroyingTheComponentStartsNoWaitingTask) {
  std::mutex lock;
  std::vector<int> ended;
  {
    TFFmpegVCL other;
    other.OnTerminate = [&](int index, bool, bool, const std::string &) {
      std::lock_guard<std::mutex> guard(lock);
      ended.push_back(index);
    };
    for (int i = 0; i < 3; ++i) {
      const int index = other.CreateTask(Source());
      ASSERT_EQ(index, i) << other.LastError();
      TOutputOptions output;
      InitOutputOptions(output);
      output.VideoCodec = "copy";
      output.AudioCodec = "copy";
      ASSERT_TRUE(other.SetTaskOutput(index, dir.file("gone" + std::to_string(i) + ".mpg"), &output));
    }
    other.Task(0).RunControl().Pause();
    other.StartTasks(1);
    other.Task(0).RunControl().WaitUntilHolding();
  }
  EXPECT_EQ(ended, (std::vector<int>{0}));  // the running task only; no run end
  EXPECT_FALSE(fs::exists(dir.file("gone1.mpg")));
  EXPECT_FALSE(fs::exists(dir.file("gone2.mpg")));
}

TEST_F(ConverterTest, ATaskAddedAfterARunRunsInTheNextOne) {
  AddCopyTasks(2);
  {
    EventLog first(component);
    component.StartTasks(0);
  }
  AddCopyTask("later.mpg");
  EventLog events(component);
  component.StartTasks(2);
  events.WaitForRunEnd();
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{2, -1}));
  EXPECT_TRUE(events.Terminates()[0].finished);
  EXPECT_GT(fs::file_size(dir.file("later.mpg")), 0u);
}

// A client waiting on the main thread is woken by every event, not only by
// terminations and posted calls: the task runs at its source's pace and
// holds after its first progress report.
TEST_F(ConverterTest, AWaiterIsWokenByAProgressEvent) {
  const std::string slow = dir.file("ten-seconds.mpg");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=10:s=64x48:r=25", "-c:v", "mpeg1video", slow});
  TInputOptions input;
  InitInputOptions(input);
  input.ExtraOptions = "re=1";
  const int index = component.CreateTask(slow, &input);
  ASSERT_EQ(index, 0) << component.LastError();
  TOutputOptions output;
  InitOutputOptions(output);
  output.VideoCodec = "copy";
  ASSERT_TRUE(component.SetTaskOutput(index, dir.file("held.mpg"), &output));
  component.SetProgressInterval(100);
  component.Task(0).RunControl().Pause();  // held at its first check until the waiter waits
  EventLog events(component);
  std::atomic<bool> reported{false};
  component.OnProgress = [&](int, int, int, int, float, float, std::int64_t, int) {
    component.Task(0).RunControl().Pause();
    reported = true;
  };
  component.StartTasks(1);
  component.Task(0).RunControl().WaitUntilHolding();
  std::thread releaser([&] {
    TMainThread::Synchronize([] {});  // returns once the main thread waits below
    component.ResumeTasks();
  });
  const bool woken =
      TMainThread::WaitWhileServing([&] { return reported.load(); }, std::chrono::seconds(30));
  releaser.join();
  EXPECT_TRUE(woken);
  EXPECT_TRUE(events.Terminates().empty());
  component.StopTasks();
  events.WaitForRunEnd();
}

// What a terminate handler throws is logged; the run still ends with its
// -1 event, and a task's thread survives it.
TEST_F(ConverterTest, AThrowingTerminateHandlerEndsNothingButItsCall) {
  AddCopyTasks(2);
  EventLog events(component);
  component.OnTerminate = [&, inner = component.OnTerminate](int i, bool f, bool e,
                                                              const std::string &m) {
    inner(i, f, e, m);
    if (i == 0) throw 42;
    if (i == 1) throw std::runtime_error("handler failed");
  };
  component.StartTasks(1);
  events.WaitForRunEnd();
  EXPECT_EQ(events.TerminateOrder(), (std::vector<int>{0, 1, -1}));
  std::vector<std::string> said;
  for (const auto &log : events.Logs())
    if (log.message.rfind("Error occurs OnTerminate: ", 0) == 0) said.push_back(log.message);
  EXPECT_EQ(said, (std::vector<std::string>{"Error occurs OnTerminate: an exception of unknown type",
                                            "Error occurs OnTerminate: handler failed"}));
}

}  // namespace
}  // namespace velmora
