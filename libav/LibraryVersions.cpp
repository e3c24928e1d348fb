#include "libav/LibraryVersions.h"

namespace velmora {

namespace {

struct TLibraryQueries {
  const char *Name;
  TLibraryKind Kind;
  unsigned (*Version)();
  const char *(*Licence)();
};

// The slots are read at call time: they are empty while a library is unbound.
std::vector<TLibraryQueries> Queries() {
  return {
      {"libavutil", TLibraryKind::lkAVUtil, ff.avutil_version, ff.avutil_license},
      {"libswresample", TLibraryKind::lkSWResample, ff.swresample_version, ff.swresample_license},
      {"libswscale", TLibraryKind::lkSWScale, ff.swscale_version, ff.swscale_license},
      {"libavcodec", TLibraryKind::lkAVCodec, ff.avcodec_version, ff.avcodec_license},
      {"libavformat", TLibraryKind::lkAVFormat, ff.avformat_version, ff.avformat_license},
      {"libavfilter", TLibraryKind::lkAVFilter, ff.avfilter_version, ff.avfilter_license},
  };
}

}  // namespace

std::string LibraryVersionText(unsigned version) {
  return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
         std::to_string(version & 0xFF);
}

std::vector<TBoundLibrary> BoundLibraries() {
  const TFFmpegLoader &loader = TFFmpegLoader::Instance();
  std::vector<TBoundLibrary> libraries;
  for (const TLibraryQueries &query : Queries()) {
    TBoundLibrary library;
    library.Name = query.Name;
    library.Kind = query.Kind;
    library.Bound = loader.LibraryLoaded(query.Kind) && query.Version && query.Licence;
    if (library.Bound) {
      library.Version = LibraryVersionText(query.Version());
      library.Licence = query.Licence();
      library.LoadedFrom = loader.LoadedFrom(query.Kind);
    }
    libraries.push_back(std::move(library));
  }
  return libraries;
}

}  // namespace velmora
