// The engine's own additions for merges: chapters of an output (-chapter)
// and codec threads of a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DecodedMedia.h"
#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

struct Chapter {
  double start, end;
  std::string title;
};

std::vector<Chapter> ReadChapters(const std::string &file) {
  std::vector<Chapter> chapters;
  AVFormatContext *context = nullptr;
  if (ff.avformat_open_input(&context, file.c_str(), nullptr, nullptr) < 0) return chapters;
  for (unsigned i = 0; i < context->nb_chapters; ++i) {
    const AVChapter *chapter = context->chapters[i];
    const AVDictionaryEntry *title = ff.av_dict_get(chapter->metadata, "title", nullptr, 0);
    chapters.push_back({chapter->start * av_q2d(chapter->time_base),
                        chapter->end * av_q2d(chapter->time_base), title ? title->value : ""});
  }
  ff.avformat_close_input(&context);
  return chapters;
}

class ChaptersAndThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::LoadSystemLibraries(); }
  std::string Source() {
    return test::SharedMedia("chapters-source.mp4",
                             test::ClipArgs(2.0, {"-c:v", "mpeg4", "-c:a", "aac"}));
  }
  test::TempDir dir_;
};

TEST_F(ChaptersAndThreadsTest, ChaptersReachContainersThatHoldThem) {
  for (const char *extension : {"mkv", "mp4", "mov", "avi"}) {
    const std::string out = dir_.file(std::string("out.") + extension);
    const test::TaskResult result =
        test::RunTask({"-i", Source(), "-chapter", "0|1.25|第一段", "-chapter", "1.25|2|b|c",
                       "-vcodec", "copy", "-acodec", "copy", out});
    ASSERT_TRUE(result.finished) << extension << ": " << result.error;
    const std::vector<Chapter> chapters = ReadChapters(out);
    if (std::string(extension) == "avi") {
      EXPECT_TRUE(chapters.empty());
      continue;
    }
    ASSERT_EQ(chapters.size(), 2u) << extension;
    EXPECT_DOUBLE_EQ(chapters[0].start, 0);
    EXPECT_DOUBLE_EQ(chapters[0].end, 1.25);
    EXPECT_EQ(chapters[0].title, "第一段");
    EXPECT_DOUBLE_EQ(chapters[1].start, 1.25);
    EXPECT_EQ(chapters[1].title, "b|c");
  }
}

TEST_F(ChaptersAndThreadsTest, AMalformedChapterIsRefused) {
  for (const char *value : {"1.25", "0|x|title", "2|1|backwards", "-1|1|early"}) {
    const test::TaskResult result =
        test::RunTask({"-i", Source(), "-chapter", value, dir_.file("out.mkv")});
    EXPECT_EQ(result.error, std::string("Invalid chapter specification: ") + value);
  }
}

// Codec threads change how fast a run goes, not what it gives.
TEST_F(ChaptersAndThreadsTest, CodecThreadsKeepTheOutput) {
  double durations[2] = {};
  int frames[2] = {};
  for (int threads : {0, 2}) {
    TCustomFFmpeg engine;
    engine.CodecThreads = threads;
    const std::string out = dir_.file("threads" + std::to_string(threads) + ".mp4");
    const test::TaskResult result =
        test::RunTask(engine, {"-i", Source(), "-vcodec", "mpeg4", "-acodec", "aac", out});
    ASSERT_TRUE(result.finished) << result.error;
    const test::DecodedMedia media = test::Decode(out);
    const test::DecodedStream *video = media.Find(AVMEDIA_TYPE_VIDEO);
    ASSERT_NE(video, nullptr);
    durations[threads / 2] = video->Duration();
    frames[threads / 2] = video->frames;
  }
  EXPECT_EQ(frames[0], frames[1]);
  EXPECT_DOUBLE_EQ(durations[0], durations[1]);
}

}  // namespace
}  // namespace velmora
