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

}  // namespace velmora
