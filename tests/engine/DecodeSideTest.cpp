// The decode side of re-encoding: every packet of a stream that is
// re-encoded is decoded into frames, the decoders are drained at the end of
// each input, and the stream clocks advance frame by frame. The encoders are
// replaced by counters here.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

class CountingEngine : public TCustomFFmpeg {
 public:
  std::vector<std::int64_t> videoPts;
  std::vector<std::int64_t> audioPts;
  std::int64_t audioSamples = 0;

 protected:
  // Like an encoder, one output frame per picture: the output clock moves.
  void EncodeVideo(OutputStreamRecord &output, InputStreamRecord &source, AVFrame *frame) override {
    EXPECT_GT(frame->width, 0);
    videoPts.push_back(source.pts);
    ++output.syncPts;
    ++output.frameNumber;
  }
  void EncodeAudio(OutputStreamRecord &, InputStreamRecord &source, AVFrame *frame) override {
    audioPts.push_back(source.pts);
    audioSamples += frame->nb_samples;
  }
};

class DecodeSideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_QUIET);
  }
  // The counters write no packet: the run goes through its loop, drain and
  // trailers and then ends with the error of an output without packets.
  static void ExpectRunThrough(const test::TaskResult &result) {
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.error, "Output file is empty, nothing was encoded");
  }
  // Steps of the clock, within the rounding of the 90 kHz packet times.
  static void ExpectSteps(const std::vector<std::int64_t> &pts, std::int64_t step) {
    for (std::size_t i = 1; i < pts.size(); ++i) ASSERT_NEAR(pts[i] - pts[i - 1], step, 25) << i;
  }
  test::TempDir dir;
  const std::vector<std::string> mpeg = {"-c:v", "mpeg2video", "-bf", "2", "-c:a", "mp2", "-f", "mpeg"};
  const std::vector<std::string> reencode = {"-vcodec", "mpeg4", "-acodec", "mp2"};
};

TEST_F(DecodeSideTest, EveryPacketIsDecodedAndTheClocksAdvanceByFrame) {
  const std::string input = dir.file("clip.mpg");
  test::MakeClip(input, 1.2, mpeg);
  CountingEngine engine;
  std::vector<std::string> args = {"-i", input};
  args.insert(args.end(), reencode.begin(), reencode.end());
  args.push_back(dir.file("out.avi"));
  const test::TaskResult result = test::RunTask(engine, args);
  ExpectRunThrough(result);
  EXPECT_EQ(engine.videoPts.size(), 30u);  // the delayed pictures come out in the drain
  ExpectSteps(engine.videoPts, 40000);
  EXPECT_NEAR(engine.audioSamples, 1.2 * 44100, 1152);
  ExpectSteps(engine.audioPts, 1152 * 1000000LL / 44100);
}

TEST_F(DecodeSideTest, JoinModeDrainsAndReusesTheDecodersPerInput) {
  const std::string first = dir.file("a.mpg");
  const std::string second = dir.file("b.mpg");
  test::MakeClip(first, 0.8, mpeg);
  test::MakeClip(second, 0.4, mpeg);
  CountingEngine engine;
  std::vector<std::string> args = {"-i", first, "-i", second};
  args.insert(args.end(), reencode.begin(), reencode.end());
  args.push_back(dir.file("joined.avi"));
  const test::TaskResult result = test::RunTask(engine, args, true);
  ExpectRunThrough(result);
  ASSERT_EQ(engine.videoPts.size(), 30u);
  // The second input's clock goes on where the first one ended.
  ExpectSteps(engine.videoPts, 40000);
  EXPECT_NEAR(engine.audioSamples, 1.2 * 44100, 2 * 1152);
}

TEST_F(DecodeSideTest, DamagedPacketsAreLoggedOrConcealedAndTheRunGoesOn) {
  const std::string whole = dir.file("whole.mpg");
  test::MakeClip(whole, 2, mpeg);
  std::string content;
  {
    std::ifstream in(whole, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::mt19937 random(3);
  for (std::size_t i = content.size() / 3; i < content.size() / 3 + 30000; ++i)
    content[i] = static_cast<char>(random());
  const std::string damaged = dir.file("damaged.mpg");
  std::ofstream(damaged, std::ios::binary) << content;
  CountingEngine engine;
  std::vector<std::string> args = {"-i", damaged};
  args.insert(args.end(), reencode.begin(), reencode.end());
  args.push_back(dir.file("out.avi"));
  const test::TaskResult result = test::RunTask(engine, args);
  ExpectRunThrough(result);
  EXPECT_GT(engine.videoPts.size(), 20u);
  EXPECT_LT(engine.videoPts.size(), 60u);
}

}  // namespace
}  // namespace velmora
