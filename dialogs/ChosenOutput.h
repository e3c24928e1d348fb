#pragma once
// What "确定" of the advanced options dialog would leave for the next merge,
// worked out before anything is written: the main window's settings once
// the dialog's choices and the type's preset are applied, the texts the
// quality boxes then show, and the dialog entries the user chose. A check
// of this can refuse the choice while the main window is still untouched.
#include <functional>
#include <string>

#include "app/MainForm.h"

namespace velmora {

struct TChosenOutput {
  TOutputSettings Settings;
  int PresetIndex = -1;
  // The selected texts of the main window's quality boxes after the preset.
  std::string VideoBitRateText;  // suiComboBox6
  std::string AudioQualityText;  // suiComboBox7
  std::string FrameRateText;     // suiComboBox8
  std::string AspectText;        // suiComboBox9
  std::string FrameSizeText;     // suiComboBox10
  // The dialog's encoder entries.
  std::string VideoEncoderEntry;
  std::string AudioEncoderEntry;
};

// Returns why the choice cannot be written (the text shown to the user), or
// an empty text when it can.
using TChosenOutputCheck = std::function<std::string(const TChosenOutput &)>;

}  // namespace velmora
