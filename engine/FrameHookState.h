#pragma once
// What an engine keeps for its frame hooks and previews during a run.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/FrameHookBitmap.h"
#include "engine/FrameHooks.h"
#include "libav/ConvertTypes.h"
#include "media/Previewer.h"

namespace velmora {

struct TFrameHookState {
  TFrameHookList hooks;
  // Carried from picture to picture; haContinue after a reset.
  THookAction action = haContinue;
  std::vector<HookRange> ranges;  // sorted by ascending end
  std::size_t currentRange = 0;
  // Pictures that went through the hook stage since the reset; the frame
  // number handed to hooks and previews.
  int decodedPictures = 0;
  TRgbFrameBuffer customBitmap;
  TRgbFrameBuffer previewBitmap;
  std::unique_ptr<TPreviewer> previewer;
  std::int64_t lastPreviewTime = 0;
  static constexpr std::int64_t kPreviewInterval = 100000;  // microseconds
};

}  // namespace velmora
