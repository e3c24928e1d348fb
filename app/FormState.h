#pragma once
// The lock and the change announcement of a small window's form model: its
// handlers change the controls under the lock and announce the change after
// releasing it; a view reads the controls under the lock (without waiting
// for it on the GUI thread) and refreshes when told. A change may be made on
// another thread (a download's end): the listener is called there.
#include <functional>
#include <mutex>

namespace velmora {

class TFormState {
 public:
  std::unique_lock<std::recursive_mutex> Lock() const {
    return std::unique_lock<std::recursive_mutex>(lock_);
  }
  std::unique_lock<std::recursive_mutex> TryLock() const {
    return std::unique_lock<std::recursive_mutex>(lock_, std::try_to_lock);
  }
  // Called after every change (null: none). Replacing the listener waits
  // until a call of the old one has returned.
  void SetChangeListener(std::function<void()> listener) {
    std::lock_guard<std::mutex> guard(listenerLock_);
    listener_ = std::move(listener);
  }

 protected:
  // Announces a change; call it without the state lock held.
  void Changed() {
    std::lock_guard<std::mutex> guard(listenerLock_);
    if (listener_) listener_();
  }
  mutable std::recursive_mutex lock_;

 private:
  std::mutex listenerLock_;
  std::function<void()> listener_;
};

}  // namespace velmora
