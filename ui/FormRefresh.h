#pragma once
// Refreshing a view from its form model: a change announced on any thread
// is carried to the GUI thread as one queued call (several announcements
// before it runs make one refresh); the refresh reads the model under its
// lock, and when another thread holds the lock it comes back shortly instead
// of blocking the GUI thread.
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>

#include "app/FormState.h"

namespace velmora {

class TFormRefresh {
 public:
  // `mirror` copies the model into the widgets; it runs with the lock held.
  TFormRefresh(QObject &view, TFormState &form, std::function<void()> mirror)
      : view_(view), form_(form), mirror_(std::move(mirror)) {
    form_.SetChangeListener([this] { Schedule(); });
  }
  ~TFormRefresh() { form_.SetChangeListener(nullptr); }
  TFormRefresh(const TFormRefresh &) = delete;
  TFormRefresh &operator=(const TFormRefresh &) = delete;

  void Schedule() {
    if (queued_.exchange(true)) return;
    QMetaObject::invokeMethod(
        &view_,
        [this] {
          queued_ = false;
          Now();
        },
        Qt::QueuedConnection);
  }
  // GUI thread only.
  void Now() {
    auto lock = form_.TryLock();
    if (!lock.owns_lock()) {
      QTimer::singleShot(kRetryMs, &view_, [this] { Now(); });
      return;
    }
    mirror_();
  }

 private:
  static constexpr int kRetryMs = 20;
  QObject &view_;
  TFormState &form_;
  std::function<void()> mirror_;
  std::atomic<bool> queued_{false};
};

}  // namespace velmora
