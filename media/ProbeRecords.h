#pragma once
// What the media probe reports about a file and its streams. Numbers are -1
// while not known; times are microseconds unless called raw (stream time-base
// units).
#include <cstdint>
#include <string>

namespace velmora {

struct TFileStreamInfo {
  std::int64_t StartTime = -1;  // container start time
  std::int64_t Duration = -1;   // container duration
  int BitRate = -1;             // bits per second
  std::int64_t Timestamp = -1;  // seconds since 1970-01-01 UTC
  int Year = -1;
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
};

struct TAudioStreamInfo {
  std::string Language;
  std::string CodecName;
  std::int64_t StartTimeRaw = -1;
  std::int64_t StartTime = -1;
  std::int64_t DurationRaw = -1;
  std::int64_t Duration = -1;
  int BitRate = -1;
  int Channels = -1;
  int SampleRate = -1;
  int SampleFormat = -1;  // the library's sample format id
};

struct TVideoStreamInfo {
  std::string Language;
  std::string CodecName;
  std::int64_t StartTimeRaw = -1;
  std::int64_t StartTime = -1;
  std::int64_t DurationRaw = -1;
  std::int64_t Duration = -1;
  int BitRate = -1;
  int Height = -1;
  int Width = -1;
  float DisplayAspect = -1.0f;  // width / height of the picture as shown
  int PixelFormat = -1;         // the library's pixel format id
  int FrameRateNum = -1;        // the stream's real base frame rate
  int FrameRateDen = -1;
};

}  // namespace velmora
