#pragma once
// Tries an encode with the installed codec libraries before the user relies
// on it: the engine runs the given output record on a fifth of a second of
// generated pictures (320 by 240, 25 per second) and sound (44.1 kHz
// stereo), the kind of input a merge's joined file gives it, into a file of
// its own that is removed again. The libraries must be loaded.
#include <filesystem>
#include <string>

#include "converter/OptionRecords.h"

namespace velmora {

struct TTrialOutcome {
  bool Written = false;
  // Why the encode failed: the first error the libraries logged, otherwise
  // the engine's message.
  std::string Error;
};

class TEncodeTrial {
 public:
  // Makes a folder of its own below the system's temporary folder for the
  // generated input and the trial outputs; removed with the object.
  TEncodeTrial();
  ~TEncodeTrial();
  TEncodeTrial(const TEncodeTrial &) = delete;
  TEncodeTrial &operator=(const TEncodeTrial &) = delete;

  // Encodes into a file named by `extension` (".mp4") unless the record
  // forces a container.
  TTrialOutcome Run(TOutputOptions options, const std::string &extension);

 private:
  std::filesystem::path folder_;
  std::string pictures_;
  std::string sound_;
};

}  // namespace velmora
