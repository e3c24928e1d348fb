#include "engine/FrameHookBitmap.h"

#include <cstring>

#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {
constexpr AVPixelFormat kRgbFormat = AV_PIX_FMT_BGR24;  // the bitmap's byte order
// Bicubic, with exact rounding and chroma at full resolution: without the
// last two a picture that goes to the bitmap and back unchanged drifts by a
// few levels (flat grey 100 came back as 96,98,95), so parts a hook did not
// paint would change colour.
constexpr int kConversionFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;
}

TRgbFrameBuffer::TRgbFrameBuffer() = default;

void TRgbFrameBuffer::Reset() {
  bitmap_ = TBitmap{};
  rgbBuffer_.reset();
  rgbBufferSize_ = 0;
  currentData_ = nullptr;
  toRgb_.reset();
  fromRgb_.reset();
}

bool TRgbFrameBuffer::EnsureRgbBuffer(int width, int height) {
  const int size = ff.av_image_get_buffer_size(kRgbFormat, width, height, 1);
  if (size < 0) return false;
  if (size > rgbBufferSize_) {
    rgbBuffer_.reset(static_cast<std::uint8_t *>(ff.av_malloc(size)));
    rgbBufferSize_ = rgbBuffer_ ? size : 0;
    if (!rgbBuffer_) return false;
  }
  return ff.av_image_fill_arrays(rgbData_, rgbLinesize_, rgbBuffer_.get(), kRgbFormat, width,
                                 height, 1) >= 0;
}

bool TRgbFrameBuffer::ToBitmap(const std::uint8_t *const data[4], const int linesize[4],
                               int pixelFormat, int height, int width) {
  if (width <= 0 || height <= 0) return false;
  if (bitmap_.Width != width || bitmap_.Height != height) bitmap_.SetSize(width, height);
  if (pixelFormat == kRgbFormat) {
    currentData_ = const_cast<std::uint8_t *>(data[0]);
    currentLinesize_ = linesize[0];
  } else {
    if (!EnsureRgbBuffer(width, height)) return false;
    toRgb_.reset(ff.sws_getCachedContext(toRgb_.release(), width, height,
                                         static_cast<AVPixelFormat>(pixelFormat), width, height,
                                         kRgbFormat, kConversionFlags, nullptr, nullptr, nullptr));
    if (!toRgb_) return false;
    ff.sws_scale(toRgb_.get(), data, linesize, 0, height, rgbData_, rgbLinesize_);
    currentData_ = rgbData_[0];
    currentLinesize_ = rgbLinesize_[0];
  }
  for (int y = 0; y < height; ++y)
    std::memcpy(bitmap_.Row(y), currentData_ + static_cast<std::ptrdiff_t>(y) * currentLinesize_,
                static_cast<std::size_t>(bitmap_.Stride()));
  return true;
}

bool TRgbFrameBuffer::FromBitmap(std::uint8_t *const data[4], const int linesize[4],
                                 int pixelFormat, int height, int width) {
  if (!currentData_ || bitmap_.Width != width || bitmap_.Height != height) return false;
  for (int y = 0; y < height; ++y)
    std::memcpy(currentData_ + static_cast<std::ptrdiff_t>(y) * currentLinesize_, bitmap_.Row(y),
                static_cast<std::size_t>(bitmap_.Stride()));
  if (pixelFormat == kRgbFormat) return true;  // the rows went straight into the picture
  fromRgb_.reset(ff.sws_getCachedContext(fromRgb_.release(), width, height, kRgbFormat, width,
                                         height, static_cast<AVPixelFormat>(pixelFormat),
                                         kConversionFlags, nullptr, nullptr, nullptr));
  if (!fromRgb_) return false;
  ff.sws_scale(fromRgb_.get(), rgbData_, rgbLinesize_, 0, height, data, linesize);
  return true;
}

}  // namespace velmora
