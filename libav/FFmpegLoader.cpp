#include "libav/FFmpegLoader.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <filesystem>

namespace velmora {

FFmpegFunctions ff;

namespace {

// Binds one name into its slot. The symbol must come from the library
// itself: dlsym also searches a library's dependencies, which would hide a
// name listed under the wrong library.
bool BindSymbol(void *handle, const char *name, const std::string &file, void **slot,
                std::string &error) {
  dlerror();
  void *symbol = dlsym(handle, name);
  if (!symbol) {
    const char *message = dlerror();
    error = "Load function " + std::string(name) + "@" + file + " error: " +
            (message ? message : "symbol not found");
    return false;
  }
  Dl_info info{};
  link_map *map = nullptr;
  if (dladdr(symbol, &info) && dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map &&
      info.dli_fname && std::strcmp(info.dli_fname, map->l_name) != 0) {
    error = "Load function " + std::string(name) + "@" + file +
            " error: resolved in " + info.dli_fname;
    return false;
  }
  *slot = symbol;
  return true;
}

#define VELMORA_BIND_SLOT(fn)                                                     \
  if (!BindSymbol(handle, #fn, file, reinterpret_cast<void **>(&ff.fn), error)) \
    return false;
#define VELMORA_CLEAR_SLOT(fn) ff.fn = nullptr;
#define VELMORA_BINDERS(lib, LIST)                                                     \
  bool Bind_##lib(void *handle, const std::string &file, std::string &error) {        \
    LIST(VELMORA_BIND_SLOT)                                                            \
    return true;                                                                       \
  }                                                                                    \
  void Unbind_##lib() { LIST(VELMORA_CLEAR_SLOT) }                                     \
  unsigned Version_##lib() { return ff.lib##_version ? ff.lib##_version() : 0; }

VELMORA_BINDERS(avutil, VELMORA_AVUTIL_FUNCTIONS)
VELMORA_BINDERS(swresample, VELMORA_SWRESAMPLE_FUNCTIONS)
VELMORA_BINDERS(swscale, VELMORA_SWSCALE_FUNCTIONS)
VELMORA_BINDERS(avcodec, VELMORA_AVCODEC_FUNCTIONS)
VELMORA_BINDERS(avformat, VELMORA_AVFORMAT_FUNCTIONS)
VELMORA_BINDERS(avfilter, VELMORA_AVFILTER_FUNCTIONS)
VELMORA_BINDERS(avdevice, VELMORA_AVDEVICE_FUNCTIONS)

bool BindNothing(void *, const std::string &, std::string &) { return true; }
void UnbindNothing() {}

// The major versions the loader asks for: the sonames of the FFmpeg 5.1
// libraries. The headers the program is compiled with must be of the same
// majors, because struct layouts differ between majors.
constexpr int kAVCodecMajor = 59;
constexpr int kAVDeviceMajor = 59;
constexpr int kAVFilterMajor = 8;
constexpr int kAVFormatMajor = 59;
constexpr int kAVUtilMajor = 57;
constexpr int kSWScaleMajor = 6;
constexpr int kSWResampleMajor = 4;
static_assert(LIBAVCODEC_VERSION_MAJOR == kAVCodecMajor, "libavcodec headers are not of major 59");
static_assert(LIBAVDEVICE_VERSION_MAJOR == kAVDeviceMajor, "libavdevice headers are not of major 59");
static_assert(LIBAVFILTER_VERSION_MAJOR == kAVFilterMajor, "libavfilter headers are not of major 8");
static_assert(LIBAVFORMAT_VERSION_MAJOR == kAVFormatMajor, "libavformat headers are not of major 59");
static_assert(LIBAVUTIL_VERSION_MAJOR == kAVUtilMajor, "libavutil headers are not of major 57");
static_assert(LIBSWSCALE_VERSION_MAJOR == kSWScaleMajor, "libswscale headers are not of major 6");
static_assert(LIBSWRESAMPLE_VERSION_MAJOR == kSWResampleMajor,
              "libswresample headers are not of major 4");

// One row per library kind. `version` is the major the library's file name
// carries and the run-time version must have.
struct TLibraryItem {
  TLibraryKind kind;
  const char *baseName;
  int version;  // -1: none
  bool (*bind)(void *, const std::string &, std::string &);
  void (*unbind)();
  unsigned (*runtimeVersion)();  // null: no version to check
  const char *companion;         // loaded first from the library folder when present
};

const TLibraryItem kLibraryTable[] = {
    {TLibraryKind::lkAVCodec, "avcodec", kAVCodecMajor, Bind_avcodec, Unbind_avcodec,
     Version_avcodec, nullptr},
    {TLibraryKind::lkAVDevice, "avdevice", kAVDeviceMajor, Bind_avdevice, Unbind_avdevice,
     Version_avdevice, nullptr},
    {TLibraryKind::lkAVFilter, "avfilter", kAVFilterMajor, Bind_avfilter, Unbind_avfilter,
     Version_avfilter, "libpostproc.so.56"},
    {TLibraryKind::lkAVFormat, "avformat", kAVFormatMajor, Bind_avformat, Unbind_avformat,
     Version_avformat, nullptr},
    {TLibraryKind::lkAVUtil, "avutil", kAVUtilMajor, Bind_avutil, Unbind_avutil, Version_avutil,
     nullptr},
    {TLibraryKind::lkSWScale, "swscale", kSWScaleMajor, Bind_swscale, Unbind_swscale,
     Version_swscale, nullptr},
    {TLibraryKind::lkMyUtil, "myutil", -1, BindNothing, UnbindNothing, nullptr, nullptr},
    {TLibraryKind::lkSDL, "SDL", -1, BindNothing, UnbindNothing, nullptr, nullptr},
    {TLibraryKind::lkSWResample, "swresample", kSWResampleMajor, Bind_swresample,
     Unbind_swresample, Version_swresample, nullptr},
};

// Dependencies first, so that a library loaded from the library folder finds
// its companions already loaded (the dynamic linker matches them by soname).
const TLibraryKind kLoadOrder[] = {
    TLibraryKind::lkAVUtil,  TLibraryKind::lkSWResample, TLibraryKind::lkSWScale,
    TLibraryKind::lkAVCodec, TLibraryKind::lkAVFormat,   TLibraryKind::lkAVFilter,
    TLibraryKind::lkAVDevice, TLibraryKind::lkMyUtil,    TLibraryKind::lkSDL,
};

const TLibraryItem &Item(TLibraryKind kind) { return kLibraryTable[static_cast<int>(kind)]; }

// Sanitizer builds keep unloaded libraries mapped: memory a library still
// points at is then not taken for a leak, and reports can name the library.
#ifdef VELMORA_KEEP_LIBRARIES_MAPPED
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
#else
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;
#endif

bool InSet(TLibraryKinds kinds, TLibraryKind kind) { return (kinds & KindBit(kind)) != 0; }

std::string FolderOf(const std::string &libraryPath) {
  if (libraryPath.empty()) return {};
  return libraryPath.back() == '/' ? libraryPath : libraryPath + "/";
}

bool IsExistingFile(const std::string &path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

TFFmpegLoader &TFFmpegLoader::Instance() {
  static TFFmpegLoader loader;
  return loader;
}

std::mutex &CodecLock() {
  static std::mutex lock;
  return lock;
}

std::string TFFmpegLoader::LibraryFileName(TLibraryKind kind) {
  const TLibraryItem &item = Item(kind);
  std::string name = std::string("lib") + item.baseName + ".so";
  if (item.version >= 0) name += "." + std::to_string(item.version);
  return name;
}

void TFFmpegLoader::SetLibraryPath(const std::string &path) {
  std::lock_guard<std::mutex> guard(mutex_);
  libraryPath_ = path;
}

std::string TFFmpegLoader::LibraryPath() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return libraryPath_;
}

std::string TFFmpegLoader::LastLoadError() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return lastError_;
}

void TFFmpegLoader::SetLogCallback(TLibraryLogCallback callback) {
  std::lock_guard<std::mutex> guard(mutex_);
  logCallback_ = callback;
  if (status_[static_cast<int>(TLibraryKind::lkAVUtil)].bound && callback)
    ff.av_log_set_callback(callback);
}

bool TFFmpegLoader::LoadLibraries(TLibraryKinds kinds) {
  std::lock_guard<std::mutex> guard(mutex_);
  for (TLibraryKind kind : kLoadOrder) {
    if (!InSet(kinds, kind)) continue;
    if (!LoadOne(kind)) {
      for (TLibraryKind k : kLoadOrder)
        if (InSet(kinds, k)) UnloadOne(k);
      return false;
    }
  }
  return true;
}

bool TFFmpegLoader::LibrariesLoaded(TLibraryKinds kinds) const {
  std::lock_guard<std::mutex> guard(mutex_);
  for (int k = 0; k < kLibraryKindCount; ++k)
    if ((kinds & (1u << k)) && !(status_[k].handle && status_[k].bound)) return false;
  return true;
}

bool TFFmpegLoader::LibraryLoaded(TLibraryKind kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  const Status &s = status_[static_cast<int>(kind)];
  return s.handle && s.bound;
}

bool TFFmpegLoader::LibraryHandleHeld(TLibraryKind kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return status_[static_cast<int>(kind)].handle != nullptr;
}

std::string TFFmpegLoader::LoadedFrom(TLibraryKind kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  void *handle = status_[static_cast<int>(kind)].handle;
  link_map *map = nullptr;
  if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
  return map->l_name;
}

void TFFmpegLoader::UnbindLibrary(TLibraryKind kind) {
  std::lock_guard<std::mutex> guard(mutex_);
  UnbindOne(kind);
}

void TFFmpegLoader::UnloadLibraries(TLibraryKinds kinds) {
  std::lock_guard<std::mutex> guard(mutex_);
  for (TLibraryKind kind : kLoadOrder)
    if (InSet(kinds, kind)) UnloadOne(kind);
}

bool TFFmpegLoader::LoadOne(TLibraryKind kind) {
  Status &s = status_[static_cast<int>(kind)];
  const TLibraryItem &item = Item(kind);
  if (!s.handle) {
    if (kind == TLibraryKind::lkMyUtil) {
      // The C runtime is part of the program itself.
      s.handle = dlopen(nullptr, RTLD_NOW);
    } else {
      const std::string file = LibraryFileName(kind);
      const std::string folder = FolderOf(libraryPath_);
      std::string target = file;
      if (!folder.empty() && IsExistingFile(folder + file)) {
        target = folder + file;
        if (item.companion && !s.companion && IsExistingFile(folder + item.companion))
          s.companion = dlopen((folder + item.companion).c_str(), kOpenFlags);
      }
      s.handle = dlopen(target.c_str(), kOpenFlags);
      if (!s.handle) {
        const char *message = dlerror();
        lastError_ = "Load library " + target + " error: " + (message ? message : "unknown");
        UnloadOne(kind);
        return false;
      }
    }
  }
  if (s.bound) return true;
  s.bound = BindOne(kind);
  if (!s.bound) {
    UnloadOne(kind);
    return false;
  }
  AfterBinding(kind);
  return true;
}

bool TFFmpegLoader::BindOne(TLibraryKind kind) {
  Status &s = status_[static_cast<int>(kind)];
  const TLibraryItem &item = Item(kind);
  const std::string file = LibraryFileName(kind);
  std::string error;
  if (!item.bind(s.handle, file, error)) {
    item.unbind();
    lastError_ = error;
    return false;
  }
  // Struct layouts differ between majors: refuse a library of another one.
  if (item.runtimeVersion) {
    const unsigned v = item.runtimeVersion();
    if (static_cast<int>(v >> 16) != item.version) {
      item.unbind();
      lastError_ = "Load library " + file + " error: version " + std::to_string(v >> 16) + "." +
                   std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF) +
                   " does not match the required major version " + std::to_string(item.version);
      return false;
    }
  }
  if (kind == TLibraryKind::lkAVDevice) ff.avdevice_register_all();
  return true;
}

void TFFmpegLoader::RunAfterBinding(TLibraryKind kind, void (*hook)()) {
  std::lock_guard<std::mutex> guard(mutex_);
  afterBinding_.push_back({kind, hook});
  if (status_[static_cast<int>(kind)].bound) hook();
}

void TFFmpegLoader::AfterBinding(TLibraryKind kind) {
  if (kind == TLibraryKind::lkAVUtil && logCallback_) ff.av_log_set_callback(logCallback_);
  for (const AfterBindingHook &entry : afterBinding_)
    if (entry.kind == kind) entry.hook();
}

void TFFmpegLoader::UnbindOne(TLibraryKind kind) {
  Status &s = status_[static_cast<int>(kind)];
  if (!s.bound) return;
  // The library keeps calling its log callback; give it back its own first.
  if (kind == TLibraryKind::lkAVUtil) ff.av_log_set_callback(ff.av_log_default_callback);
  Item(kind).unbind();
  s.bound = false;
}

void TFFmpegLoader::UnloadOne(TLibraryKind kind) {
  Status &s = status_[static_cast<int>(kind)];
  UnbindOne(kind);
  if (s.handle) {
    dlclose(s.handle);
    s.handle = nullptr;
  }
  if (s.companion) {
    dlclose(s.companion);
    s.companion = nullptr;
  }
}

}  // namespace velmora
