#pragma once
// The component's event lock: a recursive mutex that knows whether the
// calling thread holds it. A call made from inside an event handler (which
// runs under the lock) must not wait for another thread that needs the lock
// to deliver its own event.
#include <atomic>
#include <mutex>
#include <thread>

namespace velmora {

class TEventLock {
 public:
  void lock() {
    mutex_.lock();
    if (depth_++ == 0) owner_ = std::this_thread::get_id();
  }
  bool try_lock() {
    if (!mutex_.try_lock()) return false;
    if (depth_++ == 0) owner_ = std::this_thread::get_id();
    return true;
  }
  void unlock() {
    if (--depth_ == 0) owner_ = std::thread::id();
    mutex_.unlock();
  }
  bool HeldByThisThread() const { return owner_ == std::this_thread::get_id(); }

 private:
  std::recursive_mutex mutex_;
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // changed only by the owner
};

}  // namespace velmora
