// The generic path against the real library: which template an option name
// reaches, refusals, copying into real contexts and the private options of
// muxers and encoders.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

// The engine's refusal lines; the library adds its own reasons beside them.
std::vector<std::string> InvalidValueLines(const test::LibraryLog &libraryLog) {
  std::vector<std::string> lines;
  for (const auto &[level, text] : libraryLog.Pieces())
    if (level == AV_LOG_ERROR && text.rfind("Invalid value", 0) == 0) lines.push_back(text);
  return lines;
}

std::int64_t IntOption(void *object, const char *name) {
  std::int64_t value = -12345;
  EXPECT_GE(ff.av_opt_get_int(object, name, 0, &value), 0) << name;
  return value;
}

class GenericOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    libraryLog = std::make_unique<test::LibraryLog>(AV_LOG_ERROR);
    engine.CreateOptionContexts();
    engine.OnLog = [this](int level, const std::string &text) { log.emplace_back(level, text); };
  }
  void TearDown() override { libraryLog.reset(); }

  AVCodecContext *Codec(AVMediaType type) { return engine.CodecTemplate(type); }

  std::unique_ptr<test::LibraryLog> libraryLog;
  TCustomFFmpeg engine;
  std::vector<std::pair<int, std::string>> log;
};

TEST_F(GenericOptionsTest, NamesReachTheTemplatesOfTheirTypes) {
  const std::int64_t defaultRate = IntOption(Codec(AVMEDIA_TYPE_VIDEO), "b");
  const std::int64_t defaultTolerance = IntOption(Codec(AVMEDIA_TYPE_AUDIO), "bt");
  struct Case {
    const char *name;
    const char *value;
    const char *recorded;  // the library's name of the option
    const char *field;
    std::int64_t video, audio, subtitle;
  };
  const Case cases[] = {
      // The video bit rate of the older generation: the video template only,
      // although today's library flags "b" for audio too.
      {"b", "800000", "b", "b", 800000, defaultRate, defaultRate},
      // The audio alias of the bit rate.
      {"ab", "64000", "ab", "b", defaultRate, 64000, defaultRate},
      // A type letter before a codec option: that option of that template only.
      {"vb", "1500000", "b", "b", 1500000, defaultRate, defaultRate},
      {"abt", "3000", "bt", "bt", defaultTolerance, 3000, defaultTolerance},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TCustomFFmpeg fresh;
    fresh.CreateOptionContexts();
    ASSERT_TRUE(fresh.SetGenericOption(c.name, c.value));
    EXPECT_EQ(fresh.GenericOptionNames(), std::vector<std::string>{c.recorded});
    EXPECT_EQ(IntOption(fresh.CodecTemplate(AVMEDIA_TYPE_VIDEO), c.field), c.video);
    EXPECT_EQ(IntOption(fresh.CodecTemplate(AVMEDIA_TYPE_AUDIO), c.field), c.audio);
    EXPECT_EQ(IntOption(fresh.CodecTemplate(AVMEDIA_TYPE_SUBTITLE), c.field), c.subtitle);
  }
}

// -b is the video bit rate beside -ab, in either order.
TEST_F(GenericOptionsTest, VideoBitRateLeavesTheAudioBitRateAlone) {
  ASSERT_TRUE(engine.SetGenericOption("ab", "64000"));
  ASSERT_TRUE(engine.SetGenericOption("b", "100000"));
  EXPECT_EQ(IntOption(Codec(AVMEDIA_TYPE_AUDIO), "b"), 64000);
  EXPECT_EQ(IntOption(Codec(AVMEDIA_TYPE_VIDEO), "b"), 100000);

  CodecContextPtr video(ff.avcodec_alloc_context3(nullptr));
  CodecContextPtr audio(ff.avcodec_alloc_context3(nullptr));
  engine.ApplyGenericOptions(video.get(), Codec(AVMEDIA_TYPE_VIDEO),
                             AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  engine.ApplyGenericOptions(audio.get(), Codec(AVMEDIA_TYPE_AUDIO),
                             AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  EXPECT_EQ(video->bit_rate, 100000);
  EXPECT_EQ(audio->bit_rate, 64000);
}

// The same through a whole run: the audio of the output has the bit rate
// -ab gave, or the encoder's own when only -b is given.
TEST_F(GenericOptionsTest, VideoBitRateDoesNotReachTheAudioEncoder) {
  test::TempDir dir;
  const std::string input = dir.file("in.avi");
  test::MakeClip(input, 1, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"});
  auto audioBitRate = [&](const std::vector<std::string> &options) {
    const std::string output = dir.file("out.mpg");
    std::vector<std::string> args = {"-i", input, "-vcodec", "mpeg1video", "-acodec", "mp2"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(output);
    const test::TaskResult result = test::RunTask(args);
    EXPECT_TRUE(result.finished) << result.error;
    AVFormatContext *context = nullptr;
    std::int64_t bitRate = -1;
    if (ff.avformat_open_input(&context, output.c_str(), nullptr, nullptr) >= 0 &&
        ff.avformat_find_stream_info(context, nullptr) >= 0) {
      for (unsigned i = 0; i < context->nb_streams; ++i)
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
          bitRate = context->streams[i]->codecpar->bit_rate;
    }
    ff.avformat_close_input(&context);
    return bitRate;
  };
  EXPECT_EQ(audioBitRate({"-ab", "64000", "-b", "300000"}), 64000);
  EXPECT_EQ(audioBitRate({"-b", "300000", "-ab", "64000"}), 64000);
  EXPECT_EQ(audioBitRate({"-b", "300000"}), audioBitRate({}));
}

TEST_F(GenericOptionsTest, ContainerAndScalerOptions) {
  EXPECT_TRUE(engine.SetGenericOption("packetsize", "2324"));
  EXPECT_EQ(IntOption(engine.FormatTemplate(), "packetsize"), 2324);
  // sws_flags has no row of its own among the options: the dispatcher hands
  // it to the generic path, which finds it on the scaler template.
  engine.SetOption("sws_flags", "bilinear");
  EXPECT_EQ(IntOption(engine.ScalerTemplate(), "sws_flags"), SWS_BILINEAR);
  EXPECT_EQ(engine.GenericOptionNames(), (std::vector<std::string>{"packetsize", "sws_flags"}));
}

TEST_F(GenericOptionsTest, UnknownOrEmptyNamesAreDroppedSilently) {
  EXPECT_FALSE(engine.SetGenericOption("no_such_option", "1"));
  EXPECT_FALSE(engine.SetGenericOption("", "1"));
  EXPECT_FALSE(engine.SetGenericOption("b", "  "));
  EXPECT_NO_THROW(engine.SetOption("no_such_option", "1"));
  EXPECT_TRUE(engine.GenericOptionNames().empty());
  EXPECT_TRUE(engine.PrivateFormatOptions().empty());
  EXPECT_TRUE(engine.PrivateCodecOptions().empty());
  EXPECT_TRUE(InvalidValueLines(*libraryLog).empty());
}

TEST_F(GenericOptionsTest, RefusedValueIsLoggedByTheLibrary) {
  EXPECT_FALSE(engine.SetGenericOption("b", "fast"));
  EXPECT_FALSE(engine.SetGenericOption("muxrate", "fast"));  // a private muxer option
  EXPECT_EQ(InvalidValueLines(*libraryLog),
            (std::vector<std::string>{"Invalid value \"fast\" for option \"b\"\n",
                                      "Invalid value \"fast\" for option \"muxrate\"\n"}));
  EXPECT_TRUE(engine.GenericOptionNames().empty());
  EXPECT_TRUE(engine.PrivateFormatOptions().empty());
}

TEST_F(GenericOptionsTest, WithoutContextsNothingIsSet) {
  engine.FreeOptionContexts();
  EXPECT_EQ(engine.CodecTemplate(AVMEDIA_TYPE_VIDEO), nullptr);
  EXPECT_FALSE(engine.SetGenericOption("b", "800000"));
}

TEST_F(GenericOptionsTest, NewContextsForgetEarlierOptions) {
  ASSERT_TRUE(engine.SetGenericOption("g", "48"));
  ASSERT_TRUE(engine.SetGenericOption("muxrate", "10080000"));
  engine.CreateOptionContexts();
  EXPECT_TRUE(engine.GenericOptionNames().empty());
  EXPECT_TRUE(engine.PrivateFormatOptions().empty());
  EXPECT_EQ(IntOption(Codec(AVMEDIA_TYPE_VIDEO), "g"), 12);
}

TEST_F(GenericOptionsTest, ApplyCopiesOptionsWithAllFlags) {
  ASSERT_TRUE(engine.SetGenericOption("b", "1234000"));
  ASSERT_TRUE(engine.SetGenericOption("g", "48"));
  ASSERT_TRUE(engine.SetGenericOption("flags", "+qscale"));
  ASSERT_TRUE(engine.SetGenericOption("muxrate", "10080000"));  // not on codec contexts

  AVCodecContext *encoder = ff.avcodec_alloc_context3(nullptr);
  AVCodecContext *subtitles = ff.avcodec_alloc_context3(nullptr);
  engine.ApplyGenericOptions(encoder, Codec(AVMEDIA_TYPE_VIDEO),
                             AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  // Neither "b" nor "g" is a subtitle option.
  engine.ApplyGenericOptions(subtitles, Codec(AVMEDIA_TYPE_VIDEO), AV_OPT_FLAG_SUBTITLE_PARAM);
  EXPECT_EQ(encoder->bit_rate, 1234000);
  EXPECT_EQ(encoder->gop_size, 48);
  EXPECT_TRUE(encoder->flags & AV_CODEC_FLAG_QSCALE);
  EXPECT_NE(subtitles->bit_rate, 1234000);
  EXPECT_EQ(subtitles->gop_size, 12);
  ff.avcodec_free_context(&encoder);
  ff.avcodec_free_context(&subtitles);
}

TEST_F(GenericOptionsTest, PrivateOptionsOfMuxersAndEncodersAreRecorded) {
  EXPECT_TRUE(engine.SetGenericOption("muxrate", "10080000"));
  EXPECT_TRUE(engine.SetGenericOption("preload", "440000"));
  EXPECT_TRUE(engine.SetGenericOption("muxrate", "3528000"));  // replaces the first value
  EXPECT_TRUE(engine.SetGenericOption("scan_offset", "1"));
  EXPECT_EQ(engine.PrivateFormatOptions(),
            (TextPairs{{"muxrate", "3528000"}, {"preload", "440000"}}));
  EXPECT_EQ(engine.PrivateCodecOptions(), (TextPairs{{"scan_offset", "1"}}));
  EXPECT_EQ(engine.GenericOptionNames(),
            (std::vector<std::string>{"muxrate", "preload", "muxrate", "scan_offset"}));
}

TEST_F(GenericOptionsTest, LowBitRateWarning) {
  const std::string warning =
      "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s";
  engine.SetOption("vb", "800000");
  EXPECT_TRUE(log.empty());
  engine.SetOption("vb", "800");
  EXPECT_EQ(log, (std::vector<std::pair<int, std::string>>{{1, warning}}));
  log.clear();
  engine.SetOption("ab", "64");  // read back from the audio template
  EXPECT_EQ(log.size(), 1u);
  log.clear();
  engine.SetOption("b", "");  // nothing set, nothing to warn about
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(IntOption(Codec(AVMEDIA_TYPE_VIDEO), "b"), 800);
}

TEST_F(GenericOptionsTest, DebugOptionsRaiseTheLogLevel) {
  std::vector<int> levels;
  engine.OnSetLogLevel = [&](int level) { levels.push_back(level); };
  ASSERT_TRUE(engine.SetGenericOption("g", "30"));
  EXPECT_TRUE(levels.empty());
  ASSERT_TRUE(engine.SetGenericOption("fdebug", "ts"));
  EXPECT_EQ(levels, std::vector<int>{2});

  // Without a setter the library's own level changes.
  TCustomFFmpeg direct;
  direct.CreateOptionContexts();
  ff.av_log_set_level(AV_LOG_INFO);
  ASSERT_TRUE(direct.SetGenericOption("debug", "mb_type"));
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_DEBUG);
}

TEST_F(GenericOptionsTest, VerbositySetsTheLibraryLevel) {
  engine.SetOption("v", "0");
  EXPECT_EQ(engine.Options().verbose, 0);
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_ERROR);
  engine.SetOption("v", "-1");
  EXPECT_EQ(ff.av_log_get_level(), AV_LOG_QUIET);
}

}  // namespace
}  // namespace velmora
