#pragma once
// Reading an encoded result back for the encoding tests: the parameters of
// each stream as the library reports them, and what decoding gives (frame
// and sample counts, the peak level of the audio, the first picture as
// 24-bit RGB).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "libav/FFmpegHeaders.h"

namespace velmora::test {

struct DecodedStream {
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  std::string codec;
  std::uint32_t codecTag = 0;
  int width = 0, height = 0;
  double frameRate = 0;  // average, frames per second
  int sampleRate = 0, channels = 0;
  int frames = 0;             // decoded pictures or audio frames
  std::int64_t samples = 0;   // decoded audio samples (per channel)
  double peak = 0;            // largest |sample|, 1.0 = full scale
  double firstLoud = -1;      // seconds: first sample above 0.05 of full scale
  double Duration() const { return type == AVMEDIA_TYPE_VIDEO ? frames / frameRate
                                                                : double(samples) / sampleRate; }
};

struct DecodedMedia {
  bool opened = false;
  std::string format;
  std::vector<DecodedStream> streams;
  // The picture decoded at `pictureIndex` (0 unless asked otherwise), RGB24.
  int pictureWidth = 0, pictureHeight = 0;
  std::vector<std::uint8_t> rgb;
  const DecodedStream *Find(AVMediaType type) const {
    for (const DecodedStream &s : streams)
      if (s.type == type) return &s;
    return nullptr;
  }
  // Red, green, blue of one pixel of the kept picture.
  std::array<int, 3> Pixel(int x, int y) const {
    const std::uint8_t *p = rgb.data() + (static_cast<std::size_t>(y) * pictureWidth + x) * 3;
    return {p[0], p[1], p[2]};
  }
};

DecodedMedia Decode(const std::string &file, int pictureIndex = 0);

}  // namespace velmora::test
