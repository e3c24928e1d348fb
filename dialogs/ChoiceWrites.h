#pragma once
// What "确定" of the advanced options dialog writes into the main window's
// output settings for the entries chosen in its boxes, before the type's
// preset is applied.
#include <optional>
#include <string>

#include "app/MainForm.h"

namespace velmora {

// The selected texts of the dialog's boxes (empty: nothing selected) and
// the dialog's own state.
struct TDialogChoices {
  std::string Channels;
  std::string SampleRate;
  std::string BitRate;
  std::string VideoEncoder;
  bool HorizontalFlip = false;
  bool VerticalFlip = false;
  bool Negative = false;
  std::string AudioEncoder;
  std::string DiscTarget;
  bool AudioOnly = false;
  std::string Volume;
};

// Channels, sample rate, bit rate, video encoder (with the disc reset),
// effects, audio encoder, target, kind and volume, in this order. A box
// without a selection writes nothing.
void WriteDialogChoices(const TDialogChoices &choices, TOutputSettings &settings);

// An audio bit-rate entry in bit/s: kbit/s × 1000, decimals allowed ("7.4"
// gives 7400); "自动音频比特率" gives -1000; nothing for other text.
std::optional<int> BitRateOf(const std::string &entry);

}  // namespace velmora
