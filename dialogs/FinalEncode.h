#pragma once
// The last encode of a merge as it would run with a chosen output: the
// record the merge hands the join converter once it has read the quality
// boxes, applied the audio quality of the presets that use it, and completed
// the settings the output type needs, and the extension of the output file.
// Only what follows from the settings and the boxes is known here; the
// sources add nothing to these fields.
#include <string>

#include "converter/OptionRecords.h"
#include "dialogs/ChosenOutput.h"

namespace velmora {

struct TFinalEncode {
  TOutputOptions Options;
  std::string Extension;  // with its dot: ".mp4"
};

TFinalEncode FinalEncodeOf(const TChosenOutput &chosen);

}  // namespace velmora
