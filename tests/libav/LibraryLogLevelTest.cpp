#include "libav/LibraryLogLevel.h"

#include <gtest/gtest.h>

#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

TEST(LibraryLogLevel, MapsBothScales) {
  struct Case {
    int engine, library;
  };
  for (Case c : {Case{-1, AV_LOG_QUIET}, Case{0, AV_LOG_ERROR}, Case{1, AV_LOG_INFO},
                 Case{2, AV_LOG_DEBUG}, Case{3, AV_LOG_TRACE}, Case{7, AV_LOG_TRACE},
                 Case{-4, AV_LOG_QUIET}})
    EXPECT_EQ(LibraryLevelFromEngine(c.engine), c.library) << c.engine;
  for (Case c : {Case{-1, AV_LOG_QUIET}, Case{0, AV_LOG_PANIC}, Case{0, AV_LOG_FATAL},
                 Case{0, AV_LOG_ERROR}, Case{1, AV_LOG_WARNING}, Case{1, AV_LOG_INFO},
                 Case{1, AV_LOG_VERBOSE}, Case{2, AV_LOG_DEBUG}, Case{3, AV_LOG_TRACE}})
    EXPECT_EQ(EngineLevelFromLibrary(c.library), c.engine) << c.library;
}

TEST(LibraryLogLevel, SetsTheLibraryLevelAndReadsTheThresholdBack) {
  SetLibraryLogLevel(2);  // not loaded: nothing happens
  EXPECT_EQ(LibraryLogThreshold(), 1);
  test::LoadSystemLibraries();
  SetLibraryLogLevel(0);
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_ERROR);
  EXPECT_EQ(LibraryLogThreshold(), 0);
  SetLibraryLogLevel(2);
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_DEBUG);
  EXPECT_EQ(LibraryLogThreshold(), 2);
}

}  // namespace
}  // namespace velmora
