// The hook stage of the engine: the -vhook plug-ins, the per-picture decision
// whether they run, and the custom hook that paints on a bitmap.
#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>

#include "engine/CustomFFmpeg.h"
#include "engine/FrameHookState.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

std::string ExceptionText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace

void TCustomFFmpeg::FrameHookStateDeleter::operator()(TFrameHookState *state) const {
  std::default_delete<TFrameHookState>{}(state);
}

TFrameHookState &TCustomFFmpeg::HookState() {
  if (!hookState_) hookState_.reset(std::make_unique<TFrameHookState>().release());
  return *hookState_;
}

int TCustomFFmpeg::AddFrameHook(const std::vector<std::string> &words) {
  return HookState().hooks.Add(words);
}

void TCustomFFmpeg::RunFrameHooks(AVFrame *picture, int pixelFormat, int width, int height,
                                  std::int64_t pts) {
  TFrameHookPicture record;
  std::copy_n(picture->data, 4, record.data);
  std::copy_n(picture->linesize, 4, record.linesize);
  HookState().hooks.Run(record, pixelFormat, width, height, pts);
}

void TCustomFFmpeg::ReleaseFrameHooks() {
  if (!hookState_) return;
  hookState_->hooks.Release();
  // The previewer closes its window on the main thread.
  hookState_->previewer.reset();
  hookState_.reset();
}

void TCustomFFmpeg::SetHookRanges(std::vector<HookRange> ranges) {
  std::stable_sort(ranges.begin(), ranges.end(),
                   [](const HookRange &a, const HookRange &b) { return a.end < b.end; });
  TFrameHookState &state = HookState();
  state.ranges = std::move(ranges);
  state.currentRange = 0;
}

const std::vector<HookRange> &TCustomFFmpeg::HookRanges() const {
  static const std::vector<HookRange> none;
  return hookState_ ? hookState_->ranges : none;
}

THookAction TCustomFFmpeg::HookAction() const {
  return hookState_ ? hookState_->action : haContinue;
}

bool TCustomFFmpeg::FrameHooksApply(std::int64_t pts) {
  if (CustomHookInstalled || !options_.usingFrameHooks) return false;
  TFrameHookState &state = HookState();
  if (OnBeforeHook) {
    try {
      OnBeforeHook(state.action, pts);
    } catch (...) {
      Log(0, "Error occurs OnBeforeHook: " + ExceptionText(std::current_exception()));
      state.action = haStop;
    }
    if (state.action == haStop) options_.usingFrameHooks = false;
  } else if (!state.ranges.empty()) {
    state.action = haIgnore;
    for (std::size_t i = state.currentRange; i < state.ranges.size(); ++i) {
      const HookRange &range = state.ranges[i];
      if (range.start <= pts && pts <= range.end) {
        state.currentRange = i;
        state.action = haContinue;
        break;
      }
      if (i + 1 == state.ranges.size() && range.end < pts) {
        state.action = haStop;
        options_.usingFrameHooks = false;
      }
    }
  }
  return options_.usingFrameHooks && state.action == haContinue;
}

void TCustomFFmpeg::RunCustomHook(AVFrame *picture, std::int64_t pts, int frameNumber) {
  TFrameHookState &state = HookState();
  TRgbFrameBuffer &buffer = state.customBitmap;
  bool stop = false;
  if (!buffer.ToBitmap(picture->data, picture->linesize, picture->format, picture->height,
                       picture->width)) {
    Log(0, "Cannot initialize the toRGB conversion context");
    stop = true;
  } else {
    bool update = true;
    {
      std::lock_guard<std::mutex> canvas(buffer.CanvasLock());
      try {
        if (OnCustomHook) OnCustomHook(buffer.Bitmap(), stop, update, pts, frameNumber);
      } catch (...) {
        Log(0, "Error occurs OnCustomHook: " + ExceptionText(std::current_exception()));
        update = false;
      }
    }
    if (update && !buffer.FromBitmap(picture->data, picture->linesize, picture->format,
                                     picture->height, picture->width)) {
      Log(0, "Cannot initialize the fromRGB conversion context");
      stop = true;
    }
  }
  if (stop) {
    // No hook of any kind sees the rest of this run.
    CustomHookInstalled = false;
    state.action = haStop;
    options_.usingFrameHooks = false;
  }
}

void TCustomFFmpeg::HookPicture(AVFrame *picture, std::int64_t pts, int frameNumber) {
  const bool frameHooks = FrameHooksApply(pts);
  if (!CustomHookInstalled && !frameHooks) return;
  // A decoded picture may still be referenced by the decoder (as a
  // reference frame): changing it in place would spoil later pictures.
  if (ff.av_frame_make_writable(picture) < 0) {
    Log(0, "hook buf malloc error.");
    return;
  }
  if (CustomHookInstalled)
    RunCustomHook(picture, pts, frameNumber);
  else
    RunFrameHooks(picture, picture->format, picture->width, picture->height, pts);
}

}  // namespace velmora
