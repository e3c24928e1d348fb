#pragma once
// One chapter per joined source in the final file: where each source starts
// in the output (the running sum of the durations before it) and its file
// name as the title, as the engine's "chapter" option lines.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct TChapterSource {
  std::string Path;
  std::int64_t DurationUs = 0;
};

// Whether an output of this extension (".mkv") can hold chapters.
bool HoldsChapters(const std::string &extension);

// The file name without folder and extension.
std::string ChapterTitle(const std::string &path);

// "chapter=START|END|TITLE" lines, one per source, in seconds.
std::string ChapterOptionLines(const std::vector<TChapterSource> &sources);

}  // namespace velmora
