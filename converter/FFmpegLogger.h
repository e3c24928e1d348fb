#pragma once
// Collects the library's log messages, which arrive in pieces and from many
// threads, into whole lines, and hands each line to the converter component
// whose task produced it.
#include <cstdarg>
#include <mutex>
#include <string>
#include <vector>

namespace velmora {

// What the log callback delivers lines to (the converter component).
class TLogLineTarget {
 public:
  virtual ~TLogLineTarget() = default;
  // Called with the registry lock held, on the thread that logged. The
  // target decides whether the line belongs to it (a task of its own runs on
  // this thread, or this is the main thread). `engineLevel` is -1 .. 3.
  virtual void DeliverLibraryLine(int engineLevel, const std::string &line) = 0;
};

// The process-wide list of components that receive library log lines. Its
// lock is taken before any component's event lock.
class TComponentRegistry {
 public:
  static TComponentRegistry &Instance();
  void Add(TLogLineTarget *target);
  void Remove(TLogLineTarget *target);
  std::recursive_mutex &Lock() { return lock_; }
  // Only with Lock() held.
  const std::vector<TLogLineTarget *> &Targets() const { return targets_; }

 private:
  std::recursive_mutex lock_;
  std::vector<TLogLineTarget *> targets_;
};

// The longest text assembled for one message, terminating zero included;
// longer text is cut.
constexpr std::size_t kLogLineBufferSize = 2048;

// The callback the loader installs with the library once avutil is bound.
void LibraryLogCallback(void *context, int level, const char *format, va_list arguments);
// Installs LibraryLogCallback through the loader (now and at every later load).
void InstallLibraryLogCallback();
// Forgets every thread's unfinished line.
void ClearPendingLines();

}  // namespace velmora
