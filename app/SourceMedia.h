#pragma once
// What the merge needs to know of an opened source: its duration and the
// formats of its first video and audio streams.
#include <cstdint>

struct AVFormatContext;

namespace velmora {

struct TSourceMedia {
  std::int64_t DurationUs = 0;  // 0 when the container does not tell it
  bool HasVideo = false;
  bool HasAudio = false;
  int SampleRate = 0;
  int Channels = 0;
  int Width = 0;  // the first video stream's picture and its sample aspect (0: unknown)
  int Height = 0;
  int SampleAspectNum = 0;
  int SampleAspectDen = 0;
};

// The input's duration in microseconds; 0 when the container does not tell it.
std::int64_t KnownDuration(const AVFormatContext *context);

// The codec libraries must be loaded; a null context describes nothing.
TSourceMedia DescribeSource(const AVFormatContext *context);

}  // namespace velmora
