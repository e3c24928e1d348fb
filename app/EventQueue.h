#pragma once
// Runs calls one after another, in the order they were posted, on a thread
// of its own. The main window hands its reactions to the converters'
// events over to such a thread: a converter delivers an event while holding
// its event lock, and the main thread takes that lock (for the library's log
// lines) while it may hold the window's lock, so a converter's thread must
// never wait for the window's lock.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace velmora {

class TEventQueue {
 public:
  TEventQueue();
  ~TEventQueue();
  TEventQueue(const TEventQueue &) = delete;
  TEventQueue &operator=(const TEventQueue &) = delete;

  // Runs `call` after the calls posted before it; nothing once stopped.
  void Post(std::function<void()> call);
  // Drops the calls not yet run and ends the thread once the running call
  // has returned; the main thread's hand-over is served meanwhile.
  void Stop();

 private:
  void Run();

  std::mutex lock_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
  bool stopping_ = false;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace velmora
