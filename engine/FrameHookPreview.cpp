// The preview of encoded pictures: a preview window or bitmaps handed to the
// application, at most one picture per 100 ms.
#include <chrono>
#include <mutex>

#include "engine/CustomFFmpeg.h"
#include "engine/FrameHookState.h"
#include "libav/FFmpegLoader.h"
#include "libav/PreviewLock.h"

namespace velmora {

namespace {

constexpr int kWindowBit = 1;
constexpr int kBitmapBit = 2;

std::int64_t NowMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void TCustomFFmpeg::PreviewPicture(const AVFrame *picture, const AVCodecContext *encoder,
                                   int frameNumber) {
  TFrameHookState &state = HookState();
  int flags;
  {
    std::lock_guard<std::mutex> guard(PreviewLock());
    flags = PreviewFlags;
  }
  // The picture is delivered without the preview lock held: the delivery
  // waits for the main thread, and the main thread takes the lock whenever
  // the application switches a preview on or off.
  int cleared = 0;
  const std::int64_t now = NowMicroseconds();
  const bool due = now - state.lastPreviewTime > TFrameHookState::kPreviewInterval;
  const std::int64_t pts =
      picture->pts == AV_NOPTS_VALUE
          ? AV_NOPTS_VALUE
          : ff.av_rescale_q(picture->pts, encoder->time_base, AVRational{1, AV_TIME_BASE});
  TRgbFrameBuffer &buffer = state.previewBitmap;
  const bool toBitmap = (flags & kBitmapBit) && OnPreviewBitmapReceiver;
  if ((toBitmap || (flags & kWindowBit)) && due) {
    const int bit = toBitmap ? kBitmapBit : kWindowBit;
    if (!buffer.ToBitmap(picture->data, picture->linesize, encoder->pix_fmt, encoder->height,
                         encoder->width)) {
      Log(0, "Cannot initialize the toRGB conversion context");
      cleared = bit;
    } else if (toBitmap) {
      OnPreviewBitmapReceiver(buffer.Bitmap(), frameNumber, pts);
    } else {
      if (!state.previewer) state.previewer = std::make_unique<TPreviewer>();
      if (!state.previewer->ShowFrame(buffer.Bitmap(), frameNumber, pts)) cleared = bit;
    }
    state.lastPreviewTime = now;
  }
  if (cleared) {
    std::lock_guard<std::mutex> guard(PreviewLock());
    PreviewFlags &= ~cleared;
  }
  // Once the window is switched off, the previewer goes (with its window).
  if (state.previewer && (cleared & kWindowBit)) state.previewer.reset();
}

}  // namespace velmora
