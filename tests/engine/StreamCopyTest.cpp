// Stream copy end to end on generated files: the output has the input's
// streams, codecs, frames and duration; join mode continues one input after
// the other; -t, -ss and timestamp jumps of the input.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using test::MediaSummary;
using test::StreamSummary;

bool FfmpegHasEncoder(const std::string &name) {
  std::string output;
  test::RunProgram({"ffmpeg", "-hide_banner", "-encoders"}, &output);
  return output.find(" " + name + " ") != std::string::npos;
}

std::vector<std::string> Mp4Codecs() {
  if (FfmpegHasEncoder("libx264"))
    return {"-c:v", "libx264", "-preset", "ultrafast", "-g", "5", "-c:a", "aac", "-shortest"};
  return {"-c:v", "mpeg4", "-g", "5", "-c:a", "aac", "-shortest"};
}
std::vector<std::string> AviCodecs() {
  return {"-c:v", "mpeg4", "-g", "5", "-c:a", FfmpegHasEncoder("libmp3lame") ? "libmp3lame" : "mp2",
          "-shortest"};
}
std::vector<std::string> MpegCodecs() {
  return {"-c:v", "mpeg2video", "-g", "5", "-c:a", "mp2", "-shortest", "-f", "mpeg"};
}

const std::vector<std::string> kCopy = {"-vcodec", "copy", "-acodec", "copy"};

std::vector<std::string> CopyArgs(const std::vector<std::string> &inputs, const std::string &output,
                                  std::vector<std::string> before = {},
                                  std::vector<std::string> after = {}) {
  std::vector<std::string> args = before;
  for (const std::string &input : inputs) {
    args.push_back("-i");
    args.push_back(input);
  }
  args.insert(args.end(), kCopy.begin(), kCopy.end());
  args.insert(args.end(), after.begin(), after.end());
  args.push_back(output);
  return args;
}

double Length(const StreamSummary &s) { return s.end - s.start; }

class StreamCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
  }
  test::TempDir dir;
};

TEST_F(StreamCopyTest, KeepsStreamsCodecsFramesAndDuration) {
  struct Case {
    const char *input;
    std::vector<std::string> codecs;
    const char *output;
  };
  const Case cases[] = {
      {"in.mp4", Mp4Codecs(), "out.mkv"},
      {"in.mp4", Mp4Codecs(), "out.mov"},
      {"in.avi", AviCodecs(), "out.avi"},
      {"in.mpg", MpegCodecs(), "out.mpg"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.input) + " -> " + c.output);
    const std::string input = dir.file(c.input);
    test::MakeClip(input, 1.6, c.codecs);
    const test::TaskResult result = test::RunTask(CopyArgs({input}, dir.file(c.output)));
    ASSERT_TRUE(result.finished) << result.error;
    const MediaSummary in = test::Summarize(input);
    const MediaSummary out = test::Summarize(dir.file(c.output));
    ASSERT_EQ(out.streams.size(), in.streams.size());
    for (std::size_t i = 0; i < in.streams.size(); ++i) {
      const StreamSummary *source = &in.streams[i];
      const StreamSummary *copy = out.Find(source->type);
      ASSERT_NE(copy, nullptr);
      EXPECT_EQ(copy->codec, source->codec);
      EXPECT_EQ(copy->packets, source->packets);
      // Audio decoders may drop priming frames; pictures all come out.
      if (source->type == AVMEDIA_TYPE_VIDEO) {
        EXPECT_EQ(copy->frames, source->frames);
      }
      EXPECT_TRUE(copy->dtsIncreasing);
    }
    const StreamSummary *video = in.Find(AVMEDIA_TYPE_VIDEO);
    EXPECT_GT(video->frames, 30);
    EXPECT_NEAR(Length(*out.Find(AVMEDIA_TYPE_VIDEO)), Length(*video), video->frameDuration);
    EXPECT_NEAR(out.duration, in.duration, video->frameDuration);
  }
}

// The second and third inputs continue the first: durations add up, the
// decoding times keep increasing, and the frame numbers go on.
TEST_F(StreamCopyTest, JoinModeAppendsTheInputsInTurn) {
  struct Case {
    int inputs;
    const char *extension;
    std::vector<std::string> codecs;
    const char *output;
  };
  const Case cases[] = {
      {2, "mpg", MpegCodecs(), "joined.mpg"},
      {3, "mp4", Mp4Codecs(), "joined.mkv"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.output);
    std::vector<std::string> inputs;
    double length = 0;
    int frames = 0;
    double frameDuration = 0;
    for (int i = 0; i < c.inputs; ++i) {
      inputs.push_back(dir.file("part" + std::to_string(i) + "." + c.extension));
      test::MakeClip(inputs.back(), 0.8 + 0.4 * i, c.codecs);
      const MediaSummary part = test::Summarize(inputs.back());
      length += Length(*part.Find(AVMEDIA_TYPE_VIDEO));
      frames += part.Find(AVMEDIA_TYPE_VIDEO)->frames;
      frameDuration = part.Find(AVMEDIA_TYPE_VIDEO)->frameDuration;
    }
    TCustomFFmpeg engine;
    int lastFrame = 0;
    int totalDuration = 0;
    engine.OnProgress = [&](int frame, int, int, float, float, std::int64_t, int total) {
      lastFrame = frame;
      totalDuration = total;
    };
    const std::string output = dir.file(c.output);
    const test::TaskResult result = test::RunTask(engine, CopyArgs(inputs, output), true);
    ASSERT_TRUE(result.finished) << result.error;
    const MediaSummary out = test::Summarize(output);
    const StreamSummary *video = out.Find(AVMEDIA_TYPE_VIDEO);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->frames, frames);
    EXPECT_EQ(lastFrame, frames);
    EXPECT_NEAR(Length(*video), length, c.inputs * frameDuration);
    EXPECT_NEAR(totalDuration, length * 1000, c.inputs * 50);
    for (const StreamSummary &s : out.streams) EXPECT_TRUE(s.dtsIncreasing) << s.codec;
  }
}

TEST_F(StreamCopyTest, RecordingTimeAndStartTimeCutTheOutput) {
  const std::string input = dir.file("five.mpg");
  test::MakeClip(input, 5, MpegCodecs());
  const std::string cut = dir.file("two.mkv");
  ASSERT_TRUE(test::RunTask(CopyArgs({input}, cut, {}, {"-t", "2"})).finished);
  const MediaSummary first = test::Summarize(cut);
  EXPECT_NEAR(Length(*first.Find(AVMEDIA_TYPE_VIDEO)), 2.0, 0.04 + 1e-6);

  // -ss before the input seeks it; the output starts at the new start.
  const std::string short2 = dir.file("two.mp4");
  test::MakeClip(short2, 2, Mp4Codecs());
  const std::string skipped = dir.file("skipped.mkv");
  ASSERT_TRUE(test::RunTask(CopyArgs({short2}, skipped, {"-ss", "1"})).finished);
  const MediaSummary out = test::Summarize(skipped);
  EXPECT_NEAR(Length(*out.Find(AVMEDIA_TYPE_VIDEO)), 1.0, 0.04 + 1e-6);
  EXPECT_EQ(out.Find(AVMEDIA_TYPE_VIDEO)->frames, 25);
}

// Two transport stream segments, the second shifted 30 s later: the input's
// offset absorbs the jump and the output stays continuous.
TEST_F(StreamCopyTest, TimestampJumpOfTheInputIsAbsorbed) {
  const std::string first = dir.file("a.ts");
  const std::string second = dir.file("b.ts");
  const std::vector<std::string> ts = {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts"};
  test::MakeClip(first, 1, ts);
  std::vector<std::string> shifted = ts;
  shifted.insert(shifted.end() - 2, {"-output_ts_offset", "30"});
  test::MakeClip(second, 1, shifted);
  const std::string joined = dir.file("jump.ts");
  {
    std::ofstream out(joined, std::ios::binary);
    out << std::ifstream(first, std::ios::binary).rdbuf() << std::ifstream(second, std::ios::binary).rdbuf();
  }
  ASSERT_GT(test::Summarize(joined, false).duration, 25);

  const std::string output = dir.file("continuous.mkv");
  ASSERT_TRUE(test::RunTask(CopyArgs({joined}, output)).finished);
  const MediaSummary out = test::Summarize(output);
  EXPECT_NEAR(out.duration, 2.0, 0.1);
  EXPECT_EQ(out.Find(AVMEDIA_TYPE_VIDEO)->frames, 50);
  EXPECT_TRUE(out.Find(AVMEDIA_TYPE_VIDEO)->dtsIncreasing);
}

}  // namespace
}  // namespace velmora
