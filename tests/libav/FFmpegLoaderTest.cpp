#include "libav/FFmpegLoader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr TLibraryKind kStandardKinds[] = {
    TLibraryKind::lkAVCodec,  TLibraryKind::lkAVFilter, TLibraryKind::lkAVFormat,
    TLibraryKind::lkAVUtil,   TLibraryKind::lkSWScale,  TLibraryKind::lkMyUtil,
    TLibraryKind::lkSWResample};

// Where the system's dynamic linker finds a library of the standard set,
// read from its cache so that nothing is loaded before the loader runs.
std::string SystemPathOf(TLibraryKind kind) {
  std::string cache;
  test::RunProgram({"/sbin/ldconfig", "-p"}, &cache);
  const std::string key = TFFmpegLoader::LibraryFileName(kind) + " (";
  const std::size_t line = cache.find("\t" + key);
  const std::size_t arrow = cache.find("=> ", line);
  if (line == std::string::npos || arrow == std::string::npos) return {};
  const std::size_t end = cache.find('\n', arrow);
  return fs::canonical(cache.substr(arrow + 3, end - arrow - 3)).string();
}

void ExpectNothingLoaded() {
  auto &loader = TFFmpegLoader::Instance();
  for (TLibraryKind kind : kStandardKinds)
    EXPECT_FALSE(loader.LibraryHandleHeld(kind)) << TFFmpegLoader::LibraryFileName(kind);
  EXPECT_FALSE(loader.LibrariesLoaded(kStandardLibraries));
  EXPECT_EQ(ff.avcodec_open2, nullptr);
  EXPECT_EQ(ff.av_malloc, nullptr);
}

TEST(FFmpegLoader, FileNamesFollowTheSonameRule) {
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkAVCodec), "libavcodec.so.59");
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkAVFilter), "libavfilter.so.8");
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkAVUtil), "libavutil.so.57");
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkSWScale), "libswscale.so.6");
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkSWResample), "libswresample.so.4");
  EXPECT_EQ(TFFmpegLoader::LibraryFileName(TLibraryKind::lkSDL), "libSDL.so");
}

TEST(FFmpegLoader, LoadsFromTheLibraryFolderWhenItHoldsTheLibraries) {
  TempDir dir;
  fs::path libav = dir.path() / "LibAV";
  fs::create_directory(libav);
  const TLibraryKind inFolder[] = {TLibraryKind::lkAVCodec, TLibraryKind::lkAVFilter,
                                   TLibraryKind::lkAVFormat, TLibraryKind::lkAVUtil,
                                   TLibraryKind::lkSWScale, TLibraryKind::lkSWResample};
  for (TLibraryKind kind : inFolder)
    fs::create_symlink(SystemPathOf(kind), libav / TFFmpegLoader::LibraryFileName(kind));

  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(libav.string());  // no trailing separator
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  for (TLibraryKind kind : inFolder)
    EXPECT_EQ(loader.LoadedFrom(kind), (libav / TFFmpegLoader::LibraryFileName(kind)).string());
  EXPECT_TRUE(loader.LibrariesLoaded(kStandardLibraries));
  EXPECT_EQ(static_cast<int>(ff.avcodec_version() >> 16), LIBAVCODEC_VERSION_MAJOR);
  loader.UnloadLibraries(kStandardLibraries);
  ExpectNothingLoaded();
}

TEST(FFmpegLoader, FallsBackToTheNormalSearchForLibrariesMissingFromTheFolder) {
  TempDir dir;
  // Only avutil is in the folder; every other library comes from the system.
  fs::create_symlink(SystemPathOf(TLibraryKind::lkAVUtil),
                     dir.path() / TFFmpegLoader::LibraryFileName(TLibraryKind::lkAVUtil));
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(dir.path().string() + "/");
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  EXPECT_EQ(loader.LoadedFrom(TLibraryKind::lkAVUtil),
            dir.file(TFFmpegLoader::LibraryFileName(TLibraryKind::lkAVUtil)));
  EXPECT_EQ(fs::canonical(loader.LoadedFrom(TLibraryKind::lkAVCodec)).string(),
            SystemPathOf(TLibraryKind::lkAVCodec));
  EXPECT_TRUE(ff.avformat_open_input != nullptr);
}

TEST(FFmpegLoader, AFileThatIsNoLibraryGivesTheLoadLibraryText) {
  TempDir dir;
  const std::string fake = dir.file("libavutil.so.57");
  std::ofstream(fake) << "this is not a shared library\n";
  void *probe = dlopen(fake.c_str(), RTLD_NOW);
  ASSERT_EQ(probe, nullptr);
  const std::string platformMessage = dlerror();

  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(dir.path().string());
  EXPECT_FALSE(loader.LoadLibraries(kStandardLibraries));
  EXPECT_EQ(loader.LastLoadError(), "Load library " + fake + " error: " + platformMessage);
  ExpectNothingLoaded();
}

TEST(FFmpegLoader, AMissingFunctionGivesTheLoadFunctionTextAndLeavesNothingLoaded) {
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(STANDIN_MISSING_SYMBOL_DIR);
  EXPECT_FALSE(loader.LoadLibraries(kStandardLibraries));
  const std::string path = std::string(STANDIN_MISSING_SYMBOL_DIR) + "/libswscale.so.6";
  EXPECT_EQ(loader.LastLoadError(), "Load function sws_getContext@libswscale.so.6 error: " +
                                        path + ": undefined symbol: sws_getContext");
  ExpectNothingLoaded();
}

TEST(FFmpegLoader, ALibraryOfAnotherMajorVersionIsRefused) {
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(STANDIN_WRONG_MAJOR_DIR);
  EXPECT_FALSE(loader.LoadLibraries(kStandardLibraries));
  EXPECT_EQ(loader.LastLoadError(),
            "Load library libswscale.so.6 error: version 5.0.0 does not match the required "
            "major version 6");
  ExpectNothingLoaded();
}

int gAfterBindingRuns = 0;
void CountAfterBinding() {
  EXPECT_NE(ff.avformat_open_input, nullptr);  // the library is bound when the hook runs
  ++gAfterBindingRuns;
}

TEST(FFmpegLoader, LoadingTwiceIsHarmlessAndHooksRunAfterEachBinding) {
  auto &loader = TFFmpegLoader::Instance();
  loader.RunAfterBinding(TLibraryKind::lkAVFormat, &CountAfterBinding);
  EXPECT_EQ(gAfterBindingRuns, 0);  // nothing bound yet
  test::LoadSystemLibraries();
  EXPECT_EQ(gAfterBindingRuns, 1);
  const auto first = ff.avcodec_open2;
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  EXPECT_EQ(ff.avcodec_open2, first);
  EXPECT_EQ(gAfterBindingRuns, 1);  // already bound: not bound again
  loader.UnloadLibraries(kStandardLibraries);
  ExpectNothingLoaded();
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  EXPECT_TRUE(loader.LibrariesLoaded(kStandardLibraries));
  EXPECT_EQ(gAfterBindingRuns, 2);
  // A hook added while its library is bound runs at once.
  loader.RunAfterBinding(TLibraryKind::lkAVFormat, &CountAfterBinding);
  EXPECT_EQ(gAfterBindingRuns, 3);
}

TEST(FFmpegLoader, ALoadedButUnboundLibraryDoesNotCountAsLoaded) {
  test::LoadSystemLibraries();
  auto &loader = TFFmpegLoader::Instance();
  loader.UnbindLibrary(TLibraryKind::lkSWScale);
  EXPECT_TRUE(loader.LibraryHandleHeld(TLibraryKind::lkSWScale));
  EXPECT_FALSE(loader.LibraryLoaded(TLibraryKind::lkSWScale));
  EXPECT_FALSE(loader.LibrariesLoaded(kStandardLibraries));
  EXPECT_EQ(ff.sws_scale, nullptr);
  EXPECT_TRUE(loader.LibraryLoaded(TLibraryKind::lkAVCodec));
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries));
  EXPECT_TRUE(loader.LibrariesLoaded(kStandardLibraries));
  EXPECT_NE(ff.sws_scale, nullptr);
}

TEST(FFmpegLoader, OptionalKindsStayOutOfTheStandardSet) {
  test::LoadSystemLibraries();
  auto &loader = TFFmpegLoader::Instance();
  EXPECT_FALSE(loader.LibraryHandleHeld(TLibraryKind::lkAVDevice));
  EXPECT_TRUE(loader.LibraryLoaded(TLibraryKind::lkMyUtil));
  EXPECT_FALSE(loader.LoadLibraries(KindBit(TLibraryKind::lkSDL)));
  EXPECT_EQ(loader.LastLoadError().rfind("Load library libSDL.so error: ", 0), 0u);
  EXPECT_TRUE(loader.LoadLibraries(KindBit(TLibraryKind::lkAVDevice))) << loader.LastLoadError();
  EXPECT_NE(ff.avdevice_register_all, nullptr);
}

}  // namespace
}  // namespace velmora
