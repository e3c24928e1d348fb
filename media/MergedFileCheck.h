#pragma once
// The check a merge makes of the file it produced: the file opens, has the
// streams the output type asks for with their codecs, decodes at its start
// and at its end, and lasts as long as its sources together. A joined output
// may run over that sum by one audio frame of its codec per source (each
// part's audio ends with the frame that crosses its end) plus the encoder's
// priming, and may fall short by a frame per joint; the bound is therefore
// one frame per source, plus one, of the longer of the output's video frame
// and audio frame (at least 50 ms). Whole-second cuts of the sources never
// pass it.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct TMergeExpectation {
  bool video = true;       // a video stream is wanted; false: none may be there
  bool audio = true;       // an audio stream is wanted
  std::string videoCodec;  // the library's codec name the video must have; empty: any
  std::string audioCodec;  // likewise for the audio
  std::vector<std::int64_t> sourceDurationsUs;  // each source, in microseconds
};

enum class TMergeCheckFailure {
  None,
  CannotOpen,
  NoVideo,
  UnexpectedVideo,
  WrongVideoCodec,
  NoAudio,
  WrongAudioCodec,
  NoPictureAtStart,
  NoSoundAtStart,
  NoPictureAtEnd,
  NoSoundAtEnd,
  TooShort,
  TooLong,
};

struct TMergeCheckReport {
  TMergeCheckFailure failure = TMergeCheckFailure::CannotOpen;
  bool Passed() const { return failure == TMergeCheckFailure::None; }
  std::string videoCodec;        // what the file holds (empty: no such stream)
  std::string audioCodec;
  std::int64_t durationUs = -1;  // from the first decoded frame to the end of the last
  std::int64_t expectedUs = 0;   // the sum of the sources
  std::int64_t toleranceUs = 0;
  std::int64_t sizeBytes = -1;
};

// The codec libraries must be loaded.
TMergeCheckReport CheckMergedFile(const std::string &path, const TMergeExpectation &expected);

}  // namespace velmora
