#pragma once
// What applying an output preset does, as functions of the settings alone:
// the window's preset handler uses them on its own fields, and the advanced
// options dialog on a copy, to see what a choice would lead to.
#include <string>

#include "app/MainForm.h"
#include "app/OutputPresetTable.h"

namespace velmora {

// The settings the preset writes: AudioOnly is cleared first; an index
// outside the presets writes nothing else.
void ApplyPresetSettings(int presetIndex, TOutputSettings &settings);

// The lists and default entries a preset puts into the five quality boxes;
// the disc presets choose their frame size by the TV norm.
struct TQualityBoxFill {
  TListChoice VideoBitRate;
  TListChoice AudioQuality;
  TListChoice FrameRate;
  TListChoice Aspect;
  TListChoice FrameSize;
};
TQualityBoxFill QualityBoxFill(int presetIndex, const std::string &tvNorm);

}  // namespace velmora
