#pragma once
// Stop and pause requests for one running transcode. Another thread asks;
// the transcode loop checks at every turn (and before every duplicated
// frame). A pause holds the loop at its next check until it is resumed or a
// stop is requested.
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace velmora {

class TRunControl {
 public:
  void RequestStop() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      stopRequested_ = true;
    }
    changed_.notify_all();
  }
  bool StopRequested() const { return stopRequested_; }

  void Pause() {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = true;
  }
  void Resume() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      paused_ = false;
    }
    changed_.notify_all();
  }
  bool Paused() const { return paused_; }
  // True while the loop is held at a pause check.
  bool Holding() const { return holding_; }

  // Called by the loop: returns at once unless paused; then waits until
  // resumed or stopped. Returns whether a stop was requested.
  bool CheckPoint() {
    if (paused_ && !stopRequested_) {
      std::unique_lock<std::mutex> lock(mutex_);
      holding_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !paused_ || stopRequested_; });
      holding_ = false;
    }
    return stopRequested_;
  }

  // Waits until the loop is held at a pause check, or is no longer paused.
  void WaitUntilHolding() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return holding_ || !paused_ || stopRequested_; });
  }

  // A new run starts with neither request.
  void Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    stopRequested_ = false;
    paused_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> holding_{false};
};

}  // namespace velmora
