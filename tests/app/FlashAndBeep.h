#pragma once
// Sources that show a white flash and play a short beep at the same
// moments, and where a decoded file shows its flashes and plays its beeps:
// the measure of audio and video staying together across the joints of a
// merge. The codec libraries must be loaded to measure.
#include <string>
#include <vector>

namespace velmora::test {

// The moments (seconds into a source) at which its flashes and beeps start.
std::vector<double> FlashMoments(double seconds);

// The ffmpeg tool's arguments (output path not included) for a source of
// `seconds` with a picture of `size` at `rate` frames per second and sound
// at `sampleRate` with `channels`, encoded with `codecs`.
std::vector<std::string> FlashAndBeepArgs(double seconds, const std::string &size, int rate,
                                          int sampleRate, int channels,
                                          const std::vector<std::string> &codecs);

// The same without a picture.
std::vector<std::string> BeepArgs(double seconds, int sampleRate, int channels,
                                  const std::vector<std::string> &codecs);

struct TFlashesAndBeeps {
  bool Opened = false;
  std::vector<double> Flashes;  // seconds on the file's time line
  std::vector<double> Beeps;
  int DecodeErrors = 0;  // packets or frames the decoders refused
  double FrameRate = 0;  // of the video, pictures per second
};

// Decodes all of the file's first video stream (when it has one) and first
// audio stream: a flash starts at the first bright picture after a dark
// one, a beep at the first loud sample after a quiet stretch.
TFlashesAndBeeps FindFlashesAndBeeps(const std::string &path);

}  // namespace velmora::test
