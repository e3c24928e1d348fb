#pragma once
// What one merge keeps beside the window's named merge fields, and how a
// merge ended.
#include <cstdint>
#include <string>
#include <vector>

#include "app/SourceMedia.h"
#include "converter/OptionRecords.h"
#include "media/MergedFileCheck.h"

namespace velmora {

enum class TMergeOutcome {
  None,     // no merge has ended yet
  Done,     // the output exists and passed its check
  Failed,   // the merge could not start or join, the final encode failed, or the check failed
  Stopped,  // the user stopped it
};

struct TMergeResult {
  int Count = 0;  // merges ended since the window was made
  TMergeOutcome Outcome = TMergeOutcome::None;
  std::string Message;      // what the status bar shows
  std::string OutputPath;   // the final file (empty when none was to be made)
  TMergeCheckReport Check;  // the output's check, when it was made
};

struct TMergeRun {
  std::vector<TSourceMedia> Sources;      // per row, as opened when the tasks were built
  std::vector<std::string> SourceErrors;  // per row: why its task failed ("" when it did not)
  std::int64_t TotalMs = 0;               // the sources' durations together
  int AudioChannels = 0;                  // every intermediate's audio; 0: as the window says
  int AudioSampleRate = 0;
  TOutputOptions FinalOptions;  // the final file's record
  std::string FinalSetupError;  // why the final output could not be set up
  std::string FinalError;       // why the final task failed
  bool FinalFinished = false;
};

}  // namespace velmora
