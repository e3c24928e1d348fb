#pragma once
// Helpers of the engine tests: running one task through the engine the way
// the converter tool does, and reading a result file back through the
// library (packets counted, frames decoded, timestamps checked).
#include <string>
#include <utility>
#include <vector>

#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegHeaders.h"

namespace velmora::test {

// What the library finds in one stream of a file.
struct StreamSummary {
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  std::string codec;
  int packets = 0;
  int frames = 0;            // decoded frames (video) or audio frames
  double start = 0;          // seconds: first pts
  double end = 0;            // seconds: last pts + duration
  double frameDuration = 0;  // seconds, from the stream's frame rate (video)
  bool dtsIncreasing = true;
};

struct MediaSummary {
  std::string format;
  std::vector<StreamSummary> streams;
  double duration = 0;  // seconds, the container's
  const StreamSummary *Find(AVMediaType type) const {
    for (const StreamSummary &s : streams)
      if (s.type == type) return &s;
    return nullptr;
  }
};

// Opens `file` with the library, reads every packet and (with `decode`)
// decodes the video and audio streams.
MediaSummary Summarize(const std::string &file, bool decode = true);

// The outcome of one task.
struct TaskResult {
  bool opened = false;   // every input and the output were opened
  std::string error;     // LastError of a failed open, or the exception text
  bool finished = false;
  std::vector<std::pair<int, std::string>> log;
  bool Logged(const std::string &part) const;
};

// Runs a command line of the converter tool ([options] -i IN ... [options]
// OUT) through `engine`: options in order, inputs and the output opened,
// Transcode, then the closing and clearing of the engine, as the converter
// component does.
TaskResult RunTask(TCustomFFmpeg &engine, const std::vector<std::string> &args, bool join = false);
TaskResult RunTask(const std::vector<std::string> &args, bool join = false);

// Collects what the library logs at `level` and more important levels while
// it lives (one at a time), then restores the library's own log handling.
class LibraryLog {
 public:
  explicit LibraryLog(int level = AV_LOG_INFO);
  ~LibraryLog();
  LibraryLog(const LibraryLog &) = delete;
  LibraryLog &operator=(const LibraryLog &) = delete;
  // Every piece logged, with its level, in order.
  std::vector<std::pair<int, std::string>> Pieces() const;
  // All pieces joined: the library often builds one line from several.
  std::string Text() const;
  // How often `part` occurs in the text.
  int Count(const std::string &part) const;

 private:
  int savedLevel_;
};

// Small generated clips: lavfi test picture and tone, `seconds` long. ClipArgs
// are the ffmpeg tool's arguments without the output file.
std::vector<std::string> ClipArgs(double seconds, const std::vector<std::string> &codecArgs,
                                  const std::string &size = "160x120");
void MakeClip(const std::string &file, double seconds, const std::vector<std::string> &codecArgs,
              const std::string &size = "160x120");

}  // namespace velmora::test
