#pragma once
// The output presets of the main window's output type box and the value
// lists they put into the five quality boxes.
#include <array>
#include <string>
#include <vector>

namespace velmora {

using TValueList = std::vector<std::string>;

// The value lists; entry numbers count from 0.
extern const TValueList kVB1, kVB2, kVB3, kVB4, kVB5, kVB6, kVB7;  // video bit rates
extern const TValueList kFS1, kFS2, kFS3, kFS4, kFS5;              // frame sizes
extern const TValueList kFR1, kFR2, kFR3, kFR4, kFR5, kFR6;        // frame rates
extern const TValueList kAudioQuality;                             // always entry 2
extern const TValueList kAspect;                                   // entry 0 for video presets
extern const TValueList kNone;                                     // the single "无": no value

// What a preset does with the video codec and tag:
//   Fill  - "mpeg4" and "DX50" only where no codec is set (a tag only where none is set),
//   Set   - the preset's codec and tag (an empty tag clears it),
//   Clear - both cleared,
//   Keep  - neither touched.
enum class TVideoRule { Fill, Set, Clear, Keep };
// What a preset does with the audio codec: keep it, set the preset's, or clear it.
enum class TAudioRule { Keep, Set, Clear };

// A list to put into a box and the entry to select.
struct TListChoice {
  const TValueList *List;
  int Entry;
};

struct TOutputPreset {
  const char *Name;  // the entry of the output type box
  TVideoRule Video;
  const char *VideoCodec;
  const char *VideoTag;
  TAudioRule Audio;
  const char *AudioCodec;
  const char *Target;     // "vcd", "svcd", "dvd" or "": a disc target also sets the TV norm
  const char *Container;  // forced container or ""
  bool AudioOnly;
  bool AmrAudio;  // 7400 bit/s, one channel, 8000 Hz
  TListChoice VideoBitRate;
  TListChoice FrameSize;   // the entry for PAL (and for every preset without a disc target)
  int FrameSizeNtscEntry;  // the entry when the TV norm is "NTSC"
  TListChoice FrameRate;
};

inline constexpr int kPresetCount = 45;
extern const std::array<TOutputPreset, kPresetCount> kOutputPresets;

// The audio values of the AMR preset.
inline constexpr int kAmrAudioBitRate = 7400;
inline constexpr const char *kAmrAudioChannels = "1";
inline constexpr const char *kAmrAudioSampleRate = "8000";
inline constexpr int kAudioQualityDefaultEntry = 2;

// The names of all presets, in box order.
std::vector<std::string> OutputPresetNames();

}  // namespace velmora
