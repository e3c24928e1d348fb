#include "libav/LibraryLogLevel.h"

#include <algorithm>
#include <atomic>
#include <iterator>

#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

// Library level for each engine level -1 .. 3.
constexpr int kLibraryLevels[] = {AV_LOG_QUIET, AV_LOG_ERROR, AV_LOG_INFO, AV_LOG_DEBUG,
                                  AV_LOG_TRACE};

struct LevelBand {
  int highestLibraryLevel;
  int engineLevel;
};
// Library levels up to each bound map to that engine level; above the last, 3.
constexpr LevelBand kEngineLevels[] = {
    {AV_LOG_QUIET, -1}, {AV_LOG_ERROR, 0}, {AV_LOG_VERBOSE, 1}, {AV_LOG_DEBUG, 2}};

std::atomic<int> g_threshold{1};

}  // namespace

int LibraryLevelFromEngine(int engineLevel) {
  const int last = static_cast<int>(std::size(kLibraryLevels)) - 1;
  return kLibraryLevels[std::clamp(engineLevel + 1, 0, last)];
}

int EngineLevelFromLibrary(int libraryLevel) {
  for (const LevelBand &band : kEngineLevels)
    if (libraryLevel <= band.highestLibraryLevel) return band.engineLevel;
  return 3;
}

void SetLibraryLogLevel(int engineLevel) {
  if (!ff.av_log_set_level || !ff.av_log_get_level) return;
  ff.av_log_set_level(LibraryLevelFromEngine(engineLevel));
  g_threshold = EngineLevelFromLibrary(ff.av_log_get_level());
}

int LibraryLogThreshold() { return g_threshold; }

}  // namespace velmora
