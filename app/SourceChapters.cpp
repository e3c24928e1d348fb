#include "app/SourceChapters.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/FileNames.h"

namespace velmora {

namespace {

// The containers whose muxers write chapters.
constexpr const char *kChapterExtensions[] = {".MKV", ".MP4", ".MOV"};

std::string Seconds(std::int64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(us / 1000000),
                static_cast<long long>(us % 1000000));
  return text;
}

}  // namespace

bool HoldsChapters(const std::string &extension) {
  const std::string upper = AsciiUpper(extension);
  return std::any_of(std::begin(kChapterExtensions), std::end(kChapterExtensions),
                     [&](const char *known) { return upper == known; });
}

std::string ChapterTitle(const std::string &path) {
  std::string title = std::filesystem::path(path).stem().string();
  // One option per line: a line break in a name would end the option.
  std::replace(title.begin(), title.end(), '\n', ' ');
  std::replace(title.begin(), title.end(), '\r', ' ');
  return title;
}

std::string ChapterOptionLines(const std::vector<TChapterSource> &sources) {
  std::string lines;
  std::int64_t start = 0;
  for (const TChapterSource &source : sources) {
    const std::int64_t end = start + std::max<std::int64_t>(source.DurationUs, 0);
    lines += "chapter=" + Seconds(start) + "|" + Seconds(end) + "|" + ChapterTitle(source.Path) + "\n";
    start = end;
  }
  return lines;
}

}  // namespace velmora
