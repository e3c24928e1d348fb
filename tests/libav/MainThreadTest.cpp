#include "libav/MainThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "libav/FFmpegException.h"
#include "support/WorkerThread.h"

namespace velmora {
namespace {

using test::WorkerThread;

class MainThread : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TMainThread::Init()); }
  void TearDown() override { TMainThread::SetWakeUpHook(nullptr); }

  const std::thread::id main_ = std::this_thread::get_id();
};

TEST_F(MainThread, TheFirstThreadToInitIsTheMainThread) {
  EXPECT_TRUE(TMainThread::IsMainThread());
  EXPECT_EQ(TMainThread::Id(), main_);
  bool workerIsMain = true;
  WorkerThread worker([&] { workerIsMain = TMainThread::Init() || TMainThread::IsMainThread(); });
  worker.WaitServing();
  EXPECT_FALSE(workerIsMain);
  EXPECT_EQ(TMainThread::Id(), main_);
}

TEST_F(MainThread, APostedCallRunsOnTheMainThreadWhileTheWorkerWaits) {
  std::thread::id ranOn;
  int value = 0;
  int seenByWorker = -1;
  bool nestedRanAtOnce = false;
  WorkerThread worker([&] {
    TMainThread::Synchronize([&] {
      ranOn = std::this_thread::get_id();
      value = 42;
      // Already on the main thread: runs at once instead of waiting for itself.
      bool nested = false;
      TMainThread::Synchronize([&] { nested = true; });
      nestedRanAtOnce = nested;
    });
    seenByWorker = value;
  });
  worker.WaitServing();
  EXPECT_EQ(ranOn, main_);
  EXPECT_EQ(seenByWorker, 42);
  EXPECT_TRUE(nestedRanAtOnce);
}

TEST_F(MainThread, AnExceptionOfThePostedCallReachesThePoster) {
  std::string engineError, otherError;
  bool servedAfterwards = false;
  WorkerThread worker([&] {
    try {
      TMainThread::Synchronize([] { throw FFmpegException("Invalid value"); });
    } catch (const FFmpegException &e) {
      engineError = e.what();
    }
    try {
      TMainThread::Synchronize([] { throw 7; });
    } catch (int e) {
      otherError = std::to_string(e);
    }
    TMainThread::Synchronize([&] { servedAfterwards = true; });
  });
  worker.WaitServing();
  EXPECT_EQ(engineError, "Invalid value");
  EXPECT_EQ(otherError, "7");
  EXPECT_TRUE(servedAfterwards);
}

// The way an event loop drains the queue: woken by the hook, it runs
// ProcessPendingCalls on the main thread.
TEST_F(MainThread, TheWakeUpHookAnnouncesEachPostedCall) {
  std::mutex lock;
  std::condition_variable woken;
  int wakeUps = 0;
  std::thread::id hookThread;
  TMainThread::SetWakeUpHook([&] {
    std::lock_guard<std::mutex> guard(lock);
    ++wakeUps;
    hookThread = std::this_thread::get_id();
    woken.notify_all();
  });
  bool ran = false;
  WorkerThread worker([&] { TMainThread::Synchronize([&] { ran = true; }); });
  {
    std::unique_lock<std::mutex> guard(lock);
    woken.wait(guard, [&] { return wakeUps == 1; });
    EXPECT_EQ(hookThread, worker.Id());
  }
  int ranElsewhere = -1;
  std::thread([&] { ranElsewhere = TMainThread::ProcessPendingCalls(); }).join();
  EXPECT_EQ(ranElsewhere, 0);
  EXPECT_FALSE(ran);
  EXPECT_EQ(TMainThread::ProcessPendingCalls(), 1);
  EXPECT_TRUE(ran);
  worker.WaitServing();
  EXPECT_EQ(TMainThread::ProcessPendingCalls(), 0);
}

TEST_F(MainThread, WaitingWhileServingRunsEveryWorkersCalls) {
  // Answered at once when the condition already holds.
  TMainThread::WaitWhileServing([] { return true; });

  constexpr int kWorkers = 3, kCalls = 50;
  int count = 0;
  int offMain = 0;
  std::list<WorkerThread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&] {
      for (int i = 0; i < kCalls; ++i)
        TMainThread::Synchronize([&] {
          ++count;
          if (std::this_thread::get_id() != main_) ++offMain;
        });
    });
  TMainThread::WaitWhileServing([&] {
    for (const WorkerThread &w : workers)
      if (!w.Done()) return false;
    return true;
  });
  EXPECT_EQ(count, kWorkers * kCalls);
  EXPECT_EQ(offMain, 0);
}

TEST_F(MainThread, AnotherThreadWaitsUntilNotified) {
  std::atomic<bool> released{false};
  WorkerThread worker([&] { TMainThread::WaitWhileServing([&] { return released.load(); }); });
  released = true;
  TMainThread::NotifyWaiters();
  worker.WaitServing();
  EXPECT_TRUE(worker.Done());
}

TEST_F(MainThread, AWaitWithATimeOutEndsWithTheAnswerOfItsCondition) {
  // Nothing ever makes this true: the wait gives up.
  EXPECT_FALSE(TMainThread::WaitWhileServing([] { return false; }, std::chrono::milliseconds(20)));
  // A condition made true by another thread ends the wait with true.
  std::atomic<bool> flag{false};
  std::thread setter([&] {
    flag = true;
    TMainThread::NotifyWaiters();
  });
  EXPECT_TRUE(TMainThread::WaitWhileServing([&] { return flag.load(); }, std::chrono::seconds(30)));
  setter.join();
}

}  // namespace
}  // namespace velmora
