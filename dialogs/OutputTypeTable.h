#pragma once
// The 38 output types of the advanced-options wizard: how the chooser shows
// each one, which output presets select it when the chooser opens, and what
// the advanced options dialog offers for it and applies at the end.
#include <array>
#include <vector>

#include "app/OutputPresetTable.h"

namespace velmora {

inline constexpr int kOutputTypeCount = 38;

struct TOutputType {
  const char *Caption;  // the chooser's entry text
  int Icon;             // image index of the chooser's icon list
  std::vector<int> PreselectedFor;  // preset indexes that open the chooser on this type
  int Preset;                       // the preset "确定" applies
  // The dialog's boxes: list and default entry.
  TListChoice VideoEncoders;
  TListChoice AudioEncoders;
  TListChoice BitRates;
  TListChoice SampleRates;
  TListChoice Channels;
  bool AudioOnly;              // the video controls are disabled
  const char *OutputFormat;    // forced container written when the dialog is filled, or ""
  const char *DiscTarget;      // "dvd", "svcd", "vcd" or ""
  bool AudioEncoderRefills;    // a change of the audio encoder refills the other audio boxes
};

// Type number n (1 to 38) is entry n - 1.
extern const std::array<TOutputType, kOutputTypeCount> kOutputTypes;

// The row of a type number; null outside 1 to 38.
const TOutputType *FindOutputType(int typeNumber);

// The audio boxes for the AMR encoder in the types whose audio encoder
// change refills them: bit rate, sample rate, channels.
extern const TListChoice kAmrBitRates, kAmrSampleRates, kAmrChannels;

}  // namespace velmora
