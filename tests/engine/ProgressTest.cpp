// Progress reports: the values handed to the progress receiver, their
// spacing by the report interval, and the last report of a run.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

struct Report {
  int frame;
  int fps;
  int durationMs;
  float quality;
  float bitRate;
  std::int64_t size;
  int total;
};

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_QUIET);
  }
  std::vector<Report> Run(const std::vector<std::string> &args, std::int64_t interval) {
    std::vector<Report> reports;
    TCustomFFmpeg engine;
    engine.ProgressInterval = interval;
    engine.OnProgress = [&](int frame, int fps, int durationMs, float quality, float bitRate,
                            std::int64_t size, int total) {
      reports.push_back({frame, fps, durationMs, quality, bitRate, size, total});
    };
    const test::TaskResult result = test::RunTask(engine, args);
    EXPECT_TRUE(result.finished) << result.error;
    return reports;
  }
  test::TempDir dir;
};

TEST_F(ProgressTest, AudioOnlyOutputReportsNoPictureValues) {
  const std::string input = dir.file("tone.wav");
  test::MakeClip(input, 1, {"-vn", "-c:a", "pcm_s16le"});
  const std::string output = dir.file("copy.wav");
  const std::vector<Report> reports = Run({"-i", input, "-acodec", "copy", output}, 1000000000);
  ASSERT_EQ(reports.size(), 1u);  // only the last report within a huge interval
  const Report &last = reports.back();
  EXPECT_EQ(last.frame, -1);
  EXPECT_EQ(last.fps, -1);
  EXPECT_EQ(last.quality, -1.0f);
  EXPECT_NEAR(last.durationMs, 1000, 30);
  EXPECT_EQ(last.total, 1000);
  EXPECT_EQ(last.size, static_cast<std::int64_t>(std::filesystem::file_size(output)));
  EXPECT_NEAR(last.bitRate, 44100 * 16 / 1000.0, 30);
}

TEST_F(ProgressTest, ReportsAreSpacedByTheIntervalAndEndWithTheLast) {
  const std::string input = dir.file("clip.mpg");
  test::MakeClip(input, 2, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  const std::string output = dir.file("copy.mkv");
  const std::int64_t interval = 1000;  // microseconds
  const auto start = std::chrono::steady_clock::now();
  const std::vector<Report> reports =
      Run({"-i", input, "-vcodec", "copy", "-acodec", "copy", output}, interval);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_GE(reports.size(), 1u);
  // At most one report per interval over the run, plus the last one. (The
  // gap between two single calls also holds the time each report took to
  // build, so only the whole run is compared.)
  const auto intervals = elapsed / std::chrono::microseconds(interval);
  EXPECT_LE(static_cast<long long>(reports.size()), static_cast<long long>(intervals) + 2);
  for (std::size_t i = 1; i < reports.size(); ++i) {
    EXPECT_GE(reports[i].frame, reports[i - 1].frame);
    EXPECT_GE(reports[i].durationMs, reports[i - 1].durationMs);
  }
  const Report &last = reports.back();
  EXPECT_EQ(last.frame, 50);
  EXPECT_EQ(last.quality, -1.0f);  // copied pictures have no quantiser
  EXPECT_NEAR(last.durationMs, 2000, 60);
  EXPECT_EQ(last.size, static_cast<std::int64_t>(std::filesystem::file_size(output)));
}

// The clock of a re-encoded video includes its last frame: a 4-second
// source reports 4.00 s at the end, not one frame less.
TEST_F(ProgressTest, AReencodedVideoReportsItsWholeDuration) {
  const std::string input = dir.file("clip.avi");
  test::MakeClip(input, 4, {"-an", "-c:v", "mpeg4"});
  const std::vector<Report> reports =
      Run({"-i", input, "-vcodec", "mpeg4", dir.file("out.avi")}, 1000000000);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().frame, 100);
  EXPECT_EQ(reports.back().durationMs, 4000);
}

// Whatever a receiver throws ends the run with an error of the engine's
// kind, never the process.
TEST_F(ProgressTest, AnExceptionFromAReceiverEndsTheRunWithAnError) {
  const std::string input = dir.file("clip.mpg");
  test::MakeClip(input, 1, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  struct Case {
    std::function<void()> raise;
    std::string message;
  };
  const Case cases[] = {
      {[] { throw 42; }, "The run was ended by an exception of unknown type"},
      {[] { throw std::runtime_error("receiver failed"); }, "receiver failed"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    TCustomFFmpeg engine;
    engine.OnProgress = [&](int, int, int, float, float, std::int64_t, int) { c.raise(); };
    const test::TaskResult result = test::RunTask(
        engine, {"-i", input, "-vcodec", "copy", "-acodec", "copy", dir.file("out.mkv")});
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.finished);
    EXPECT_EQ(result.error, c.message);
  }
}

// A stop request ends the loop at its next turn; the trailer and the last
// report are still written, and the run does not count as finished.
TEST_F(ProgressTest, AStopRequestStillClosesTheOutput) {
  const std::string input = dir.file("clip.mpg");
  test::MakeClip(input, 2, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  const std::string output = dir.file("stopped.mkv");
  TCustomFFmpeg engine;
  engine.ProgressInterval = 0;
  std::vector<int> frames;
  engine.OnProgress = [&](int frame, int, int, float, float, std::int64_t, int) {
    frames.push_back(frame);
    if (frame >= 10) engine.RunControl().RequestStop();
  };
  const test::TaskResult result = test::RunTask(
      engine, {"-i", input, "-vcodec", "copy", "-acodec", "copy", output});
  EXPECT_TRUE(result.opened) << result.error;
  EXPECT_TRUE(result.error.empty()) << result.error;
  EXPECT_FALSE(result.finished);
  ASSERT_GE(frames.size(), 2u);
  const test::MediaSummary out = test::Summarize(output);
  EXPECT_GT(out.duration, 0);  // the trailer made the file whole
  EXPECT_EQ(out.Find(AVMEDIA_TYPE_VIDEO)->frames, frames.back());
  EXPECT_LT(frames.back(), 50);
}

}  // namespace
}  // namespace velmora
