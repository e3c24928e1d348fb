#pragma once
// The FFmpeg libraries of the standard set as they are bound at this moment:
// each one's run-time version, the licence its build declares and the file
// the dynamic linker loaded it from.
#include <string>
#include <vector>

#include "libav/FFmpegLoader.h"

namespace velmora {

struct TBoundLibrary {
  std::string Name;     // "libavcodec"
  TLibraryKind Kind;
  bool Bound = false;   // the rest is empty while the library is not bound
  std::string Version;  // "59.37.100"
  std::string Licence;  // "GPL version 2 or later"
  std::string LoadedFrom;
};

// In dependency order: avutil, swresample, swscale, avcodec, avformat, avfilter.
std::vector<TBoundLibrary> BoundLibraries();

// "major.minor.micro" of a library's packed version number.
std::string LibraryVersionText(unsigned version);

}  // namespace velmora
