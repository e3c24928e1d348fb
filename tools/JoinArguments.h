#pragma once
// velmora-join's command line: the merge's settings as the window's boxes
// name them, and the source files.
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// A malformed command line; its message says what is wrong.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TJoinArguments {
  std::string Preset;  // a preset's number (0 to 44) or name; empty: the first
  std::string VideoQuality, AudioQuality, FrameRate, Aspect,
      FrameSize;               // empty: the preset's default
  std::string After = "none";  // none, open or shutdown
  std::string Fit = "pad";     // pad (keep each picture's shape) or stretch
  std::string OutputFolder;    // empty: the current folder
  std::vector<std::string> Files;
  std::string Jobs;     // --jobs N: sources converted at once; empty: the online processors
  std::string Threads;  // --threads N: the final encode's codec threads; empty: the processors
  bool NoChapters = false;
  std::string Copy;  // --copy: "on"; --copy=auto: "auto"; empty: the normal merge  // --no-chapters: no chapter per source
  bool ListPresets = false;
  std::string ListedPreset;  // --list-presets N: one preset's boxes
  bool Help = false;
};

// Raises TUsageError for an unknown option, a missing value, a bad --after
// or no file to join.
TJoinArguments ReadJoinArguments(const std::vector<std::string> &args);

const char *JoinUsage();

// The index of the entry of a box that `value` names: its exact text; for a
// size "W*H" also "WxH"; a number equal to the number the entry starts
// with, or, in a box whose entries start with no number, the entry's place
// (1 for the first); or a text found in exactly one entry ("16:9"). -1 when
// none matches.
// A --jobs or --threads value: a whole number from 1 up; raises TUsageError.
int CountOf(const std::string &option, const std::string &value);

int MatchBoxEntry(const std::vector<std::string> &entries, const std::string &value);

// The index of the preset `value` names (its number, its name, or a text
// found in exactly one name, in any letter case); -1 when none.
int MatchPreset(const std::vector<std::string> &names, const std::string &value);

}  // namespace velmora
