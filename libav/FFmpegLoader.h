#pragma once
// Finds, loads and binds the FFmpeg libraries at run time. Every other part
// of the program calls the libraries only through the slots in `ff`.
#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "libav/FFmpegFunctions.h"

namespace velmora {

// One kind per library of the table. The numbers are stable: sets of kinds
// are bit masks over them.
enum class TLibraryKind : int {
  lkAVCodec = 0,
  lkAVDevice = 1,
  lkAVFilter = 2,
  lkAVFormat = 3,
  lkAVUtil = 4,
  lkSWScale = 5,
  lkMyUtil = 6,  // the C runtime: nothing to load, always present
  lkSDL = 7,     // not used; no functions
  lkSWResample = 8,
};
constexpr int kLibraryKindCount = 9;

using TLibraryKinds = std::uint32_t;
constexpr TLibraryKinds KindBit(TLibraryKind k) { return 1u << static_cast<int>(k); }
// avcodec, avfilter, avformat, avutil, swscale, myutil and swresample.
constexpr TLibraryKinds kStandardLibraries = 0x7D | KindBit(TLibraryKind::lkSWResample);

#define VELMORA_DECLARE_SLOT(fn) decltype(&::fn) fn = nullptr;
struct FFmpegFunctions {
  VELMORA_AVUTIL_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_SWRESAMPLE_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_SWSCALE_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_AVCODEC_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_AVFORMAT_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_AVFILTER_FUNCTIONS(VELMORA_DECLARE_SLOT)
  VELMORA_AVDEVICE_FUNCTIONS(VELMORA_DECLARE_SLOT)
};
#undef VELMORA_DECLARE_SLOT

// The process-wide function slots; empty while their library is not bound.
extern FFmpegFunctions ff;

using TLibraryLogCallback = void (*)(void *, int, const char *, va_list);

class TFFmpegLoader {
 public:
  static TFFmpegLoader &Instance();

  // Loads and binds the given kinds in dependency order; on the first failure
  // unloads all of them again and returns false (see LastLoadError).
  bool LoadLibraries(TLibraryKinds kinds);
  bool LibrariesLoaded(TLibraryKinds kinds) const;
  void UnloadLibraries(TLibraryKinds kinds);
  bool LibraryLoaded(TLibraryKind kind) const;
  // Empties the slots of one library but keeps its file loaded; the next
  // LoadLibraries binds it again.
  void UnbindLibrary(TLibraryKind kind);
  // True while the library file is loaded, bound or not.
  bool LibraryHandleHeld(TLibraryKind kind) const;

  void SetLibraryPath(const std::string &path);
  std::string LibraryPath() const;
  std::string LastLoadError() const;

  // The path the dynamic linker loaded a kind from (empty when not loaded).
  std::string LoadedFrom(TLibraryKind kind) const;
  // "lib" + base + ".so." + version ("lib" + base + ".so" without a version).
  static std::string LibraryFileName(TLibraryKind kind);

  // The library log callback, installed whenever avutil is bound.
  void SetLogCallback(TLibraryLogCallback callback);

  // Runs `hook` each time `kind` has been bound (and at once when it is bound
  // already): how the layers above set up what a freshly bound library needs
  // without the loader knowing them. The hook runs under the loader's lock and
  // must not call the loader.
  void RunAfterBinding(TLibraryKind kind, void (*hook)());

  TFFmpegLoader(const TFFmpegLoader &) = delete;
  TFFmpegLoader &operator=(const TFFmpegLoader &) = delete;

 private:
  TFFmpegLoader() = default;
  struct Status {
    void *handle = nullptr;
    void *companion = nullptr;  // a dependency preloaded from the library folder
    bool bound = false;
  };
  bool LoadOne(TLibraryKind kind);
  void UnloadOne(TLibraryKind kind);
  void UnbindOne(TLibraryKind kind);
  bool BindOne(TLibraryKind kind);
  void AfterBinding(TLibraryKind kind);

  struct AfterBindingHook {
    TLibraryKind kind;
    void (*hook)();
  };

  mutable std::mutex mutex_;
  std::vector<AfterBindingHook> afterBinding_;
  std::string libraryPath_;
  std::string lastError_;
  TLibraryLogCallback logCallback_ = nullptr;
  Status status_[kLibraryKindCount];
};

// Held while codec contexts are opened or closed and while stream
// information is probed.
std::mutex &CodecLock();

}  // namespace velmora
