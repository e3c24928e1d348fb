#include "engine/CustomFFmpeg.h"

namespace velmora {

TCustomFFmpeg::TCustomFFmpeg() { ResetOptions(); }

TCustomFFmpeg::~TCustomFFmpeg() { FreeOptionContexts(); }

void TCustomFFmpeg::Log(int level, const std::string &text) const {
  if (OnLog) OnLog(level, text);
}

}  // namespace velmora
