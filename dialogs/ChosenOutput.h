#pragma once
// What "确定" of the advanced options dialog would lead to, worked out
// before anything is written: the record and the file extension the next
// merge's final encode would get, and the dialog entries the user chose. A
// check of this can refuse the choice while the main window is untouched.
#include <functional>
#include <string>

#include "converter/OptionRecords.h"

namespace velmora {

struct TFinalEncode {
  TOutputOptions Options;
  std::string Extension;  // with its dot: ".mp4"
};

struct TChosenOutput {
  TFinalEncode Encode;
  // The dialog's encoder entries.
  std::string VideoEncoderEntry;
  std::string AudioEncoderEntry;
};

// Returns why the choice cannot be written (the text shown to the user), or
// an empty text when it can.
using TChosenOutputCheck = std::function<std::string(const TChosenOutput &)>;

}  // namespace velmora
