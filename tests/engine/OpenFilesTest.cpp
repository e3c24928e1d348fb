// Opening inputs and outputs: the option values taken over from an input,
// the options that apply to one input only, the streams an output gets, the
// disc presets and the container options that reach the muxer.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "EngineTestSupport.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

class OpenFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_QUIET);
    engine.CreateOptionContexts();
    engine.OnLog = [this](int, const std::string &text) { log.push_back(text); };
  }
  bool Logged(const std::string &text) const {
    return std::find(log.begin(), log.end(), text) != log.end();
  }
  std::int64_t VideoOption(const char *name) {
    std::int64_t value = -1;
    ff.av_opt_get_int(engine.CodecTemplate(AVMEDIA_TYPE_VIDEO), name, 0, &value);
    return value;
  }
  test::TempDir dir;
  TCustomFFmpeg engine;
  std::vector<std::string> log;
};

TEST_F(OpenFilesTest, AnInputHandsItsParametersToTheOptions) {
  // Two pictures of different sizes and a tone: the last video stream wins.
  const std::string input = dir.file("two.mkv");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=1", "-f", "lavfi",
                "-i", "testsrc2=size=320x180:rate=30:duration=1.5", "-f", "lavfi", "-i",
                "sine=sample_rate=22050:duration=1", "-map", "0", "-map", "1", "-map", "2",
                "-c:v", "mpeg4", "-c:a", "pcm_s16le", input});
  engine.SetOption("itsoffset", "2");
  engine.SetOption("ss", "60");  // beyond the end: the input still opens
  engine.SetOption("acodec", "pcm_s16le");
  ASSERT_TRUE(engine.OpenInputFile(input)) << engine.LastError();
  const TOptionState &o = engine.Options();
  EXPECT_EQ(o.frameWidth, 320);
  EXPECT_EQ(o.frameHeight, 180);
  EXPECT_NEAR(o.frameAspectRatio, 16.0 / 9.0, 1e-5);
  EXPECT_EQ(o.pixelFormat, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(o.frameRate.num, 30);
  EXPECT_EQ(o.frameRate.den, 1);
  EXPECT_EQ(o.audioChannels, 1);
  EXPECT_EQ(o.audioSampleRate, 22050);
  EXPECT_EQ(o.sampleFormat, AV_SAMPLE_FMT_S16);
  EXPECT_NEAR(engine.TotalOutputDuration(), 1500, 20);
  // -ss and the codec names apply to one input, -itsoffset to all later ones.
  EXPECT_EQ(o.startTime, 0);
  EXPECT_FALSE(o.audioCodecName.has_value());
  EXPECT_EQ(o.inputTsOffset, 2000000);
  EXPECT_EQ(engine.InputFileCount(), 1);
  EXPECT_NE(engine.InputContext(0), nullptr);
  EXPECT_EQ(engine.InputContext(1), nullptr);
}

TEST_F(OpenFilesTest, AnOutputGetsOnlyStreamsItsInputsCanFeed) {
  const std::string tone = dir.file("tone.wav");
  test::MakeClip(tone, 0.5, {"-vn", "-c:a", "pcm_s16le"});
  const std::string clip = dir.file("clip.mpg");
  test::MakeClip(clip, 0.5, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  struct Case {
    std::vector<std::string> args;
    std::vector<AVMediaType> streams;
  };
  const Case cases[] = {
      // A container with a default video codec, but no picture in the input.
      {{"-i", tone, "-acodec", "copy", dir.file("tone.mkv")}, {AVMEDIA_TYPE_AUDIO}},
      {{"-i", clip, "-vn", "-acodec", "copy", dir.file("sound.mkv")}, {AVMEDIA_TYPE_AUDIO}},
      {{"-i", clip, "-an", "-vcodec", "copy", dir.file("picture.mkv")}, {AVMEDIA_TYPE_VIDEO}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.back());
    const test::TaskResult result = test::RunTask(c.args);
    ASSERT_TRUE(result.finished) << result.error;
    const test::MediaSummary out = test::Summarize(c.args.back(), false);
    ASSERT_EQ(out.streams.size(), c.streams.size());
    for (std::size_t i = 0; i < c.streams.size(); ++i) EXPECT_EQ(out.streams[i].type, c.streams[i]);
  }
}

TEST_F(OpenFilesTest, OlderCodecNamesFindTheirPresentDayCodec) {
  AVCodecID id = AV_CODEC_ID_NONE;
  EXPECT_TRUE(engine.FindCodecByName(std::string("libfaac"), AVMEDIA_TYPE_AUDIO, true, id));
  EXPECT_EQ(id, AV_CODEC_ID_AAC);
  EXPECT_TRUE(Logged("Using encoder 'aac' for 'libfaac'"));
  EXPECT_TRUE(engine.FindCodecByName(std::nullopt, AVMEDIA_TYPE_AUDIO, true, id));
  EXPECT_EQ(id, AV_CODEC_ID_NONE);
  EXPECT_FALSE(engine.FindCodecByName(std::string("nosuch"), AVMEDIA_TYPE_VIDEO, false, id));
  EXPECT_EQ(engine.LastError(), "Unknown decoder 'nosuch'");
}

TEST_F(OpenFilesTest, TargetPresetsFillTheOptions) {
  struct Case {
    const char *value;  // of -target
    const char *rate;   // -r given before, or nullptr
    int width, height;
    AVRational frameRate;
    const char *videoCodec;
    const char *format;
    int sampleRate;
    std::int64_t bitRate;
    std::int64_t gop;
    float aspect;
  };
  const Case cases[] = {
      {"vcd", "25", 352, 288, {25, 1}, "mpeg1video", "vcd", 44100, 1150000, 15, 4.0f / 3},
      {"ntsc-svcd", nullptr, 480, 480, {30000, 1001}, "mpeg2video", "svcd", 44100, 2040000, 18,
       4.0f / 3},
      {"dvd", "25", 720, 576, {25, 1}, "mpeg2video", "dvd", 48000, 6000000, 15, 16.0f / 9},
      {"film-dv50", nullptr, 720, 480, {24000, 1001}, nullptr, "dv", 48000, -1, -1, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.value);
    engine.ResetOptions();
    engine.CreateOptionContexts();
    log.clear();
    if (c.rate) engine.SetOption("r", c.rate);
    engine.SetOption("target", c.value);
    const TOptionState &o = engine.Options();
    EXPECT_EQ(o.frameWidth, c.width);
    EXPECT_EQ(o.frameHeight, c.height);
    EXPECT_EQ(o.frameRate.num, c.frameRate.num);
    EXPECT_EQ(o.frameRate.den, c.frameRate.den);
    EXPECT_EQ(o.videoCodecName.value_or(""), c.videoCodec ? c.videoCodec : "");
    ASSERT_NE(o.forcedOutputFormat, nullptr);
    EXPECT_STREQ(o.forcedOutputFormat->name, c.format);
    EXPECT_EQ(o.audioSampleRate, c.sampleRate);
    EXPECT_EQ(o.audioChannels, 2);
    if (c.bitRate > 0) {
      EXPECT_EQ(VideoOption("b"), c.bitRate);
      EXPECT_EQ(VideoOption("g"), c.gop);
    }
    EXPECT_NEAR(o.frameAspectRatio, c.aspect, 1e-6);
  }
  // The automatic norm follows -r; the aspect filled in is logged.
  engine.ResetOptions();
  engine.CreateOptionContexts();
  log.clear();
  engine.SetOption("r", "25");
  engine.ApplyTarget("dvd", "auto", "ntsc");
  EXPECT_EQ(engine.Options().frameHeight, 576);
  EXPECT_TRUE(Logged("Assuming PAL for target."));
  EXPECT_TRUE(Logged("Assuming 16:9 for aspect ratio"));
  EXPECT_EQ(engine.PrivateFormatOptions(), (TextPairs{{"muxrate", "10080000"}}));

  engine.ResetOptions();
  EXPECT_THROW(engine.SetOption("target", "vcd"), FFmpegException);  // no frame rate to go by
  EXPECT_THROW(engine.ApplyTarget("laserdisc", "pal", "ntsc"), FFmpegException);
}

// The VCD preset's container settings are private options of today's MPEG
// muxer: pack size, mux rate and preload all reach it.
TEST_F(OpenFilesTest, ContainerOptionsOfAPresetReachTheMuxer) {
  const std::string input = dir.file("vcd-source.mpg");
  test::MakeClip(input, 1, {"-c:v", "mpeg1video", "-c:a", "mp2", "-ac", "2", "-f", "mpeg"},
                 "352x288");
  auto startOf = [&](std::vector<std::string> options, const std::string &name) {
    std::vector<std::string> args = {"-i", input};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"-vcodec", "copy", "-acodec", "copy", dir.file(name)});
    const test::TaskResult result = test::RunTask(args);
    EXPECT_TRUE(result.finished) << result.error;
    return test::Summarize(dir.file(name), false).Find(AVMEDIA_TYPE_VIDEO)->start;
  };
  const double presetStart = startOf({"-target", "pal-vcd"}, "vcd.mpg");
  const double plainStart = startOf({"-f", "vcd"}, "plain.mpg");
  EXPECT_NEAR(plainStart - presetStart, 0.5 - 0.44, 0.005);  // preload 0.44 s instead of 0.5 s

  std::ifstream file(dir.file("vcd.mpg"), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(file), {});
  EXPECT_EQ(bytes.size() % 2324, 0u);
  ASSERT_GE(bytes.size(), 12u);
  ASSERT_EQ(bytes.substr(0, 4), std::string("\0\0\1\xba", 4));
  const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
  const int muxRate = ((byte(9) & 0x7f) << 15) | (byte(10) << 7) | (byte(11) >> 1);
  EXPECT_EQ(muxRate * 50 * 8, 1411200);
}

}  // namespace
}  // namespace velmora
