#pragma once
// A picture turned into a 24-bit bitmap for the custom hook and the previews,
// and the hook's changes written back. The buffers and scalers are kept and
// reused from picture to picture.
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/EngineRecords.h"
#include "libav/Bitmap.h"
#include "libav/FFmpegHeaders.h"

namespace velmora {

class TRgbFrameBuffer {
 public:
  TRgbFrameBuffer();
  // Converts the picture (planes and line sizes of the given pixel format
  // and size) into Bitmap(). False when no converter can be made.
  bool ToBitmap(const std::uint8_t *const data[4], const int linesize[4], int pixelFormat,
                int height, int width);
  // Writes Bitmap() back into the picture last given to ToBitmap, which must
  // be writable. False when no converter can be made.
  bool FromBitmap(std::uint8_t *const data[4], const int linesize[4], int pixelFormat, int height,
                  int width);
  TBitmap &Bitmap() { return bitmap_; }
  // Held while someone outside the engine draws on the bitmap.
  std::mutex &CanvasLock() { return canvasLock_; }
  // Frees the bitmap, the buffer and both converters.
  void Reset();

 private:
  bool EnsureRgbBuffer(int width, int height);

  TBitmap bitmap_;
  std::mutex canvasLock_;
  LibraryMemoryPtr<std::uint8_t> rgbBuffer_;
  int rgbBufferSize_ = 0;
  std::uint8_t *rgbData_[4] = {};
  int rgbLinesize_[4] = {};
  // The rows the bitmap was filled from: the RGB buffer, or the picture
  // itself when it already was packed BGR.
  std::uint8_t *currentData_ = nullptr;
  int currentLinesize_ = 0;
  ScalerContextPtr toRgb_;
  ScalerContextPtr fromRgb_;
};

}  // namespace velmora
