#include "converter/FFmpegTask.h"

#include <algorithm>
#include <utility>

namespace velmora {

TFFmpeg::TFFmpeg() {
  InitInputOptions(InputOptions);
  InitOutputOptions(OutputOptions);
}

TFFmpeg::~TFFmpeg() {
  StopAndWait();
  // The probe only looks at the engine's input; the engine closes it.
  probe_.CloseFile();
}

void TFFmpeg::SetHookRangeList(std::vector<THookRange> ranges) {
  std::stable_sort(ranges.begin(), ranges.end(),
                   [](const THookRange &a, const THookRange &b) { return a.end < b.end; });
  hookRanges_ = std::move(ranges);
}

}  // namespace velmora
