#pragma once
// Appending one file onto the end of another in small chunks, so that files
// of any size never have to fit into memory; the append can be paused and
// stopped from another thread between two chunks.
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

namespace velmora {

inline constexpr std::size_t kAppendChunkBytes = 61440;

// Pause and stop of the appends, set from any thread.
class TAppendControl {
 public:
  void Reset();
  void SetPaused(bool paused);
  bool Paused() const;
  void RequestStop();
  // Waits while paused; false once a stop was requested.
  bool MayGoOn();

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  bool paused_ = false;
  bool stopRequested_ = false;
};

enum class TAppendResult { Appended, Failed, Stopped };

// Appends all of `source` onto the end of `target` (its true end, also past
// 2 GiB), in chunks of at most kAppendChunkBytes. The source is held under an
// exclusive lock while it is read; the target stays open to others. A failed
// or stopped append cuts the target back to its former length; `error`
// receives the reason of a failure. `control` may be null.
TAppendResult AppendFile(const std::string &target, const std::string &source,
                         TAppendControl *control, std::string *error = nullptr);

}  // namespace velmora
