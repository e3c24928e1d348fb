#pragma once
#include <mutex>

namespace velmora {

// The process-wide lock held while a task's preview flags change and while a
// picture is shown or handed over for preview.
inline std::mutex &PreviewLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace velmora
