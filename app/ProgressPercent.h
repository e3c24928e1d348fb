#pragma once
// A row's or the join's percentage: how much of `total` is `done`, as a
// whole number from 0 to 100. Counted in 64 bits, so that durations of many
// hours in milliseconds do not overflow, and 0 while the total is unknown
// (0 or less), so that a source whose duration cannot be told shows an empty
// bar instead of dividing by zero.
#include <algorithm>
#include <cstdint>

namespace velmora {

inline int ProgressPercent(std::int64_t done, std::int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  return static_cast<int>(std::min<std::int64_t>(done * 100 / total, 100));
}

}  // namespace velmora
