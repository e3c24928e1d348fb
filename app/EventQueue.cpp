#include "app/EventQueue.h"

#include "libav/MainThread.h"

namespace velmora {

TEventQueue::TEventQueue() : thread_([this] { Run(); }) {}

TEventQueue::~TEventQueue() { Stop(); }

void TEventQueue::Post(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    calls_.push_back(std::move(call));
  }
  posted_.notify_one();
}

void TEventQueue::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    calls_.clear();
  }
  posted_.notify_one();
  if (!thread_.joinable()) return;
  // The running call may wait for the main thread (a message box).
  TMainThread::WaitWhileServing([this] { return ended_.load(); });
  thread_.join();
}

void TEventQueue::Run() {
  for (;;) {
    std::function<void()> call;
    {
      std::unique_lock<std::mutex> guard(lock_);
      posted_.wait(guard, [this] { return stopping_ || !calls_.empty(); });
      if (stopping_) break;
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
  ended_ = true;
  TMainThread::NotifyWaiters();
}

}  // namespace velmora
