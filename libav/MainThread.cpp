#include "libav/MainThread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace velmora {

namespace {

// A posted call; it lives on the stack of the thread that waits for it.
struct PendingCall {
  const std::function<void()> *call;
  std::exception_ptr error;
  bool done = false;
};

struct MainThreadState {
  std::mutex lock;
  // Signalled when a call is posted or a waiter should look again.
  std::condition_variable changed;
  // Signalled when a posted call has run.
  std::condition_variable finished;
  std::deque<PendingCall *> queue;
  std::uint64_t generation = 0;  // counts posts and notifications
  bool hasMainThread = false;
  std::thread::id mainThread;
  std::function<void()> wakeUpHook;
};

MainThreadState &State() {
  static MainThreadState state;
  return state;
}

// Waits for `done`, serving posted calls on the main thread, until the
// deadline when there is one.
bool WaitUntil(const std::function<bool()> &done,
               std::optional<std::chrono::steady_clock::time_point> deadline) {
  MainThreadState &s = State();
  const bool serving = TMainThread::IsMainThread();
  for (;;) {
    // The generation is taken before `done` is checked, so a change that
    // comes after the check still ends the wait below.
    std::uint64_t seen;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      seen = s.generation;
    }
    if (serving) TMainThread::ProcessPendingCalls();
    if (done()) return true;
    std::unique_lock<std::mutex> guard(s.lock);
    const auto changed = [&] { return s.generation != seen; };
    if (!deadline) {
      s.changed.wait(guard, changed);
    } else if (!s.changed.wait_until(guard, *deadline, changed)) {
      guard.unlock();
      return done();
    }
  }
}

}  // namespace

bool TMainThread::Init() {
  MainThreadState &s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.hasMainThread) {
    s.hasMainThread = true;
    s.mainThread = std::this_thread::get_id();
  }
  return s.mainThread == std::this_thread::get_id();
}

bool TMainThread::IsMainThread() {
  MainThreadState &s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.hasMainThread && s.mainThread == std::this_thread::get_id();
}

std::thread::id TMainThread::Id() {
  MainThreadState &s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.hasMainThread ? s.mainThread : std::thread::id();
}

void TMainThread::Synchronize(const std::function<void()> &call) {
  MainThreadState &s = State();
  PendingCall pending{&call, nullptr, false};
  std::function<void()> hook;
  bool direct;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    direct = !s.hasMainThread || s.mainThread == std::this_thread::get_id();
    if (!direct) {
      s.queue.push_back(&pending);
      ++s.generation;
      hook = s.wakeUpHook;
    }
  }
  if (direct) {
    call();
    return;
  }
  s.changed.notify_all();
  if (hook) hook();
  {
    std::unique_lock<std::mutex> guard(s.lock);
    s.finished.wait(guard, [&] { return pending.done; });
  }
  if (pending.error) std::rethrow_exception(pending.error);
}

int TMainThread::ProcessPendingCalls() {
  MainThreadState &s = State();
  int count = 0;
  for (;;) {
    PendingCall *pending = nullptr;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      if (!s.hasMainThread || s.mainThread != std::this_thread::get_id() || s.queue.empty())
        break;
      pending = s.queue.front();
      s.queue.pop_front();
    }
    std::exception_ptr error;
    try {
      (*pending->call)();
    } catch (...) {
      error = std::current_exception();
    }
    {
      // Once done is set the poster may return and free `pending`.
      std::lock_guard<std::mutex> guard(s.lock);
      pending->error = std::move(error);
      pending->done = true;
    }
    s.finished.notify_all();
    ++count;
  }
  return count;
}

void TMainThread::SetWakeUpHook(std::function<void()> hook) {
  MainThreadState &s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.wakeUpHook = std::move(hook);
}

void TMainThread::WaitWhileServing(const std::function<bool()> &done) {
  WaitUntil(done, std::nullopt);
}

bool TMainThread::WaitWhileServing(const std::function<bool()> &done,
                                   std::chrono::milliseconds timeout) {
  return WaitUntil(done, std::chrono::steady_clock::now() + timeout);
}

void TMainThread::NotifyWaiters() {
  MainThreadState &s = State();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.generation;
  }
  s.changed.notify_all();
}

}  // namespace velmora
