#include "engine/CustomFFmpeg.h"

#include "engine/RunState.h"

namespace velmora {

TCustomFFmpeg::TCustomFFmpeg() { ResetOptions(); }

TCustomFFmpeg::~TCustomFFmpeg() {
  CloseOpenedCodecs();
  ClearEngine();
  FreeOptionContexts();
}

void TCustomFFmpeg::Log(int level, const std::string &text) const {
  if (OnLog) OnLog(level, text);
}

}  // namespace velmora
