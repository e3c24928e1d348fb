#pragma once
// A worker thread for the hand-over tests: runs a body once and tells the
// main thread's waiters when it has finished.
#include <atomic>
#include <functional>
#include <thread>

#include "libav/MainThread.h"

namespace velmora::test {

class WorkerThread {
 public:
  explicit WorkerThread(std::function<void()> body)
      : thread_([this, body = std::move(body)] {
          body();
          done_ = true;
          TMainThread::NotifyWaiters();
        }) {}
  ~WorkerThread() { thread_.join(); }
  WorkerThread(const WorkerThread &) = delete;
  WorkerThread &operator=(const WorkerThread &) = delete;

  bool Done() const { return done_; }
  std::thread::id Id() const { return thread_.get_id(); }
  // Serves the worker's posted calls until it has finished.
  void WaitServing() const { TMainThread::WaitWhileServing([this] { return Done(); }); }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace velmora::test
