// Loading frame-hook plug-ins and calling their entry points.
#include "engine/FrameHooks.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"

namespace velmora {

namespace {

using ConfigureFunction = int (*)(void **ctx, int argc, char *argv[]);
using ProcessFunction = void (*)(void *ctx, TFrameHookPicture *picture, int pixFmt, int width,
                                 int height, std::int64_t pts);
using ReleaseFunction = void (*)(void *ctx);

#ifdef VELMORA_KEEP_LIBRARIES_MAPPED
constexpr int kHookOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
#else
constexpr int kHookOpenFlags = RTLD_NOW | RTLD_LOCAL;
#endif

struct LibraryCloser {
  void operator()(void *handle) const {
    if (handle) dlclose(handle);
  }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

// Every plug-in library the process has loaded, keyed by the path exactly as
// given (file names are case-sensitive here: two spellings are two files).
// A library stays loaded until the program ends: contexts made by its
// Configure may outlive the engine that added it.
struct LibraryCache {
  std::mutex lock;
  std::map<std::string, LibraryHandle> libraries;
};

LibraryCache &Cache() {
  static LibraryCache cache;
  return cache;
}

void LibraryLog(const char *format, const std::string &text) {
  if (ff.av_log) ff.av_log(nullptr, LibraryLevelFromEngine(0), format, text.c_str());
}

// Loads `path` once per process. The path goes to the dynamic loader as it
// is; the loader searches the plug-in's own folder for the plug-in's
// dependencies when the plug-in was linked with the run path $ORIGIN
// (-Wl,-rpath,'$ORIGIN'), and otherwise the usual places (LD_LIBRARY_PATH,
// the loader cache, the system folders). Neither the current directory nor
// PATH takes part in that search, so neither is changed.
void *LoadLibrary(const std::string &path) {
  LibraryCache &cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  auto found = cache.libraries.find(path);
  if (found != cache.libraries.end()) return found->second.get();
  LibraryHandle handle(dlopen(path.c_str(), kHookOpenFlags));
  if (!handle) {
    const char *error = dlerror();
    LibraryLog("%s\n", error ? error : ("cannot load " + path));
    return nullptr;
  }
  void *raw = handle.get();
  cache.libraries.emplace(path, std::move(handle));
  return raw;
}

}  // namespace

std::size_t LoadedHookLibraryCount() {
  LibraryCache &cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  return cache.libraries.size();
}

// One use of a plug-in. Allocated zero-filled by the library's allocator,
// like every other record the plug-ins see.
struct TFrameHookList::Entry {
  ConfigureFunction configure;
  ProcessFunction process;
  ReleaseFunction release;
  void *context;
};

int TFrameHookList::Add(const std::vector<std::string> &words) {
  if (words.empty()) return -2;
  const std::string &path = words.front();
  void *library = LoadLibrary(path);
  if (!library) return -1;

  LibraryMemoryPtr<Entry> entry(static_cast<Entry *>(ff.av_mallocz(sizeof(Entry))));
  if (!entry) return -12;
  entry->configure = reinterpret_cast<ConfigureFunction>(dlsym(library, "Configure"));
  entry->process = reinterpret_cast<ProcessFunction>(dlsym(library, "Process"));
  entry->release = reinterpret_cast<ReleaseFunction>(dlsym(library, "Release"));

  if (!entry->process) {
    LibraryLog("Failed to find Process entrypoint in %s\n", path);
    return -2;
  }
  if (!entry->configure && words.size() > 1) {
    LibraryLog("Failed to find Configure entrypoint in %s\n", path);
    return -2;
  }
  if (entry->configure) {
    // The words are valid for the duration of the call only; a plug-in
    // copies what it keeps. argv[argc] is NULL, as for main().
    std::vector<std::string> copies(words);
    std::vector<char *> argv;
    for (std::string &word : copies) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (entry->configure(&entry->context, static_cast<int>(words.size()), argv.data()) != 0) {
      LibraryLog("Failed to Configure %s\n", path);
      return -22;
    }
  }
  entries_.push_back(std::move(entry));
  return 0;
}

void TFrameHookList::Run(TFrameHookPicture &picture, int pixelFormat, int width, int height,
                         std::int64_t pts) const {
  for (const auto &entry : entries_)
    entry->process(entry->context, &picture, pixelFormat, width, height, pts);
}

void TFrameHookList::Release() {
  for (const auto &entry : entries_)
    if (entry->release) entry->release(entry->context);
  entries_.clear();
}

}  // namespace velmora
