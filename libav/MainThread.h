#pragma once
// The core's hand-over to the main thread. Worker threads post calls that
// must run on the main thread (events of the windows) and wait for them;
// whoever runs the main loop executes them with ProcessPendingCalls, woken by
// the wake-up hook. The core includes no GUI toolkit: the GUI installs the
// hook and drains the queue from its own event loop.
#include <chrono>
#include <functional>
#include <thread>

namespace velmora {

class TMainThread {
 public:
  // Makes the calling thread the main thread unless one was made already.
  // Returns true when the caller is the main thread.
  static bool Init();
  static bool IsMainThread();
  // The main thread's id; a default id before Init.
  static std::thread::id Id();

  // Runs `call` on the main thread: directly when already on it (or when no
  // main thread was made yet), otherwise posts it and blocks until the main
  // thread ran it. An exception thrown by `call` is rethrown here.
  static void Synchronize(const std::function<void()> &call);

  // Runs the posted calls, oldest first, until none is left; returns how
  // many ran. Does nothing on any thread but the main thread.
  static int ProcessPendingCalls();

  // Called on the posting thread each time a call is posted, so that an
  // event loop can be woken to run ProcessPendingCalls. Null: no hook.
  static void SetWakeUpHook(std::function<void()> hook);

  // Blocks until `done` returns true. On the main thread it keeps running
  // posted calls meanwhile, so a worker waiting in Synchronize and the main
  // thread waiting for that worker cannot block each other. `done` is checked
  // again after every posted call and every NotifyWaiters; whoever changes
  // what it looks at must call NotifyWaiters afterwards. `done` runs without
  // any lock of this class held.
  static void WaitWhileServing(const std::function<bool()> &done);
  // The same, giving up after `timeout`: returns whether `done` became true.
  static bool WaitWhileServing(const std::function<bool()> &done,
                               std::chrono::milliseconds timeout);
  static void NotifyWaiters();
};

}  // namespace velmora
