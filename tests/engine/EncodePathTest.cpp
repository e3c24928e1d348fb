// Re-encoding end to end on small generated sources, checked by decoding
// the results: the audio path (conversion, volume, clock correction,
// parameter changes inside one input) and the video path (scaling, crop
// and pad, filters, frame-rate synchronisation, frame limits, two passes).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DecodedMedia.h"
#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using test::Decode;
using test::DecodedMedia;
using test::DecodedStream;
using test::Ffmpeg;
using test::RunTask;
using test::TaskResult;

class EncodePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
  }
  std::string File(const std::string &name) const { return dir_.file(name); }
  // Runs one task and expects it to finish.
  TaskResult Run(const std::vector<std::string> &args, bool join = false) {
    TaskResult result = RunTask(args, join);
    EXPECT_TRUE(result.opened && result.finished) << result.error;
    return result;
  }
  // A tone of `seconds` at `rate` Hz with `channels` channels, in `format`.
  std::string Tone(const std::string &name, int rate, int channels, double seconds,
                   const std::string &codec = "pcm_s16le") {
    const std::string file = File(name);
    Ffmpeg({"-f", "lavfi", "-i",
            "sine=frequency=440:sample_rate=" + std::to_string(rate) +
                ":duration=" + std::to_string(seconds),
            "-ac", std::to_string(channels), "-c:a", codec, file});
    return file;
  }
  // A test picture of `seconds` at 25 frames per second, without B-frames
  // so that decoding order is display order; `filter` changes timestamps.
  std::string Picture(const std::string &name, const std::string &size, double seconds,
                      const std::string &filter = "null", int rate = 25) {
    const std::string file = File(name);
    Ffmpeg({"-f", "lavfi", "-i",
            "testsrc2=size=" + size + ":rate=" + std::to_string(rate) +
                ":duration=" + std::to_string(seconds),
            "-vf", filter, "-fps_mode", "passthrough", "-c:v", "ffv1", file});
    return file;
  }

  test::TempDir dir_;
};

// ---- audio ----

TEST_F(EncodePathTest, AudioConvertsChannelsRateAndSampleFormat) {
  struct Case {
    const char *name;
    int inRate, inChannels;
    const char *inCodec;
    std::vector<std::string> options;
    int outRate, outChannels;
  };
  const Case cases[] = {
      {"mono22050", 22050, 1, "pcm_s16le", {"-ac", "2", "-ar", "44100"}, 44100, 2},
      {"float", 44100, 2, "pcm_f32le", {"-ac", "2", "-ar", "44100"}, 44100, 2},
      {"stereo48000", 48000, 2, "pcm_s16le", {"-ac", "1", "-ar", "8000"}, 8000, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in = Tone(std::string(c.name) + ".wav", c.inRate, c.inChannels, 1.0, c.inCodec);
    const std::string out = File(std::string(c.name) + "-out.wav");
    std::vector<std::string> args = {"-i", in};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-acodec", "pcm_s16le", out});
    Run(args);
    const DecodedMedia media = Decode(out);
    const DecodedStream *audio = media.Find(AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->codec, "pcm_s16le");
    EXPECT_EQ(audio->sampleRate, c.outRate);
    EXPECT_EQ(audio->channels, c.outChannels);
    EXPECT_NEAR(audio->Duration(), 1.0, 0.01);
    // The tone keeps its level through the conversion: a single channel
    // goes to both at full level, two equal channels mix to the same.
    EXPECT_NEAR(audio->peak, Decode(in).Find(AVMEDIA_TYPE_AUDIO)->peak, 0.005);
  }
}

TEST_F(EncodePathTest, Volume512DoublesTheAmplitude) {
  const std::string in = Tone("tone.wav", 44100, 1, 0.5);
  Run({"-i", in, "-vol", "512", "-acodec", "pcm_s16le", File("loud.wav")});
  Run({"-i", in, "-acodec", "pcm_s16le", File("plain.wav")});
  const double loud = Decode(File("loud.wav")).Find(AVMEDIA_TYPE_AUDIO)->peak;
  const double plain = Decode(File("plain.wav")).Find(AVMEDIA_TYPE_AUDIO)->peak;
  EXPECT_NEAR(loud / plain, 2.0, 0.01);
}

TEST_F(EncodePathTest, Async1FillsALateAudioStartWithSilence) {
  // Video from 0 s to 3 s, audio from 2 s to 3 s.
  const std::string source = File("late.mkv");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=3", "-itsoffset", "2", "-f",
          "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-c:v", "ffv1", "-c:a",
          "pcm_s16le", source});
  for (const char *async : {"1", "0"}) {
    SCOPED_TRACE(async);
    const std::string out = File(std::string("synced") + async + ".mkv");
    Run({"-i", source, "-async", async, "-vcodec", "mpeg4", "-acodec", "pcm_s16le", out});
    const DecodedMedia media = Decode(out);
    const DecodedStream *audio = media.Find(AVMEDIA_TYPE_AUDIO);
    const DecodedStream *video = media.Find(AVMEDIA_TYPE_VIDEO);
    ASSERT_TRUE(audio && video);
    if (std::string(async) == "1") {
      // The tone begins at 2 s of the decoded audio: both streams end together.
      EXPECT_NEAR(audio->firstLoud, 2.0, 0.01);
      EXPECT_NEAR(audio->Duration(), video->Duration(), 0.05);
    } else {
      EXPECT_NEAR(audio->firstLoud, 0.0, 0.03);
    }
  }
}

TEST_F(EncodePathTest, AudioParametersChangingInsideOneInputMakeANewResampler) {
  // One MP2 stream whose second half has another rate and channel count.
  const std::string first = Tone("first.mp2", 22050, 1, 1.0, "mp2");
  const std::string second = Tone("second.mp2", 44100, 2, 1.0, "mp2");
  const std::string joined = File("joined.mp2");
  {
    std::ofstream out(joined, std::ios::binary);
    for (const std::string &part : {first, second}) {
      std::ifstream in(part, std::ios::binary);
      out << in.rdbuf();
    }
  }
  const std::string out = File("joined.wav");
  Run({"-i", joined, "-ar", "48000", "-ac", "2", "-acodec", "pcm_s16le", out});
  const DecodedMedia audioMedia = Decode(out);
  const DecodedStream *audio = audioMedia.Find(AVMEDIA_TYPE_AUDIO);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->sampleRate, 48000);
  // Both halves keep their length; converting the second with the first
  // half's parameters would halve it.
  EXPECT_NEAR(audio->Duration(), 2.0, 0.1);
}

TEST_F(EncodePathTest, UnsupportedSampleRateBecomesTheNearestListedRate) {
  const std::string in = Tone("tone22050.wav", 22050, 2, 1.0);
  const std::string out = File("tone.ac3");
  const TaskResult result = Run({"-i", in, "-ar", "22050", "-acodec", "ac3", out});
  EXPECT_TRUE(result.Logged("using 32000 Hz")) << "no level-1 line about the rate";
  const DecodedMedia audioMedia = Decode(out);
  const DecodedStream *audio = audioMedia.Find(AVMEDIA_TYPE_AUDIO);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->sampleRate, 32000);
  EXPECT_NEAR(audio->Duration(), 1.0, 0.05);
}

// ---- video ----

TEST_F(EncodePathTest, ScalesToTheOutputSize) {
  const std::string in = Picture("big.mkv", "320x240", 1.0);
  const std::string out = File("small.avi");
  Run({"-i", in, "-s", "176x144", "-vcodec", "mpeg4", out});
  const DecodedMedia videoMedia = Decode(out);
  const DecodedStream *video = videoMedia.Find(AVMEDIA_TYPE_VIDEO);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->width, 176);
  EXPECT_EQ(video->height, 144);
  EXPECT_EQ(video->frames, 25);
}

TEST_F(EncodePathTest, CropAndPadKeepTheSizeAndFillThePadColour) {
  const std::string in = Picture("crop.mkv", "160x120", 0.2);
  const std::string out = File("padded.mkv");
  Run({"-i", in, "-croptop", "16", "-padtop", "16", "-padcolor", "255", "-vcodec", "ffv1", out});
  const DecodedMedia media = Decode(out);
  const DecodedStream *video = media.Find(AVMEDIA_TYPE_VIDEO);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->width, 160);
  EXPECT_EQ(video->height, 120);
  const DecodedMedia source = Decode(in);
  for (int x : {0, 80, 159}) {
    const auto border = media.Pixel(x, 4);
    EXPECT_GT(border[0], 200) << x;
    EXPECT_LT(border[1], 40) << x;
    EXPECT_LT(border[2], 40) << x;
  }
  // Below the border the picture is the source's, rows unmoved (the
  // cropped top 16 rows are covered by the border).
  for (int y : {20, 60, 110}) {
    const auto got = media.Pixel(40, y);
    const auto want = source.Pixel(40, y);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], 12) << "row " << y;
  }
}

TEST_F(EncodePathTest, FilterChainFlipsAndNegatesThePicture) {
  const std::string in = Picture("filters.mkv", "96x64", 0.2);
  const std::string out = File("flipped.mkv");
  Run({"-i", in, "-vfilters", "hflip,vflip,negate", "-vcodec", "ffv1", out});
  const DecodedMedia media = Decode(out);
  const DecodedMedia source = Decode(in);
  ASSERT_EQ(media.pictureWidth, 96);
  ASSERT_EQ(media.pictureHeight, 64);
  for (auto [x, y] : {std::pair{3, 5}, {50, 30}, {90, 60}, {20, 40}}) {
    const auto got = media.Pixel(x, y);
    const auto want = source.Pixel(95 - x, 63 - y);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], 255 - want[c], 12) << x << "," << y;
  }
}

TEST_F(EncodePathTest, FiltersRefuseCropAndPadWithResizing) {
  const std::string in = Picture("refuse.mkv", "96x64", 0.2);
  const TaskResult crop = RunTask({"-i", in, "-croptop", "16", "-vfilters", "negate", "-vcodec",
                                   "ffv1", File("crop.mkv")});
  EXPECT_EQ(crop.error, "Cannot enable crop options and filters at the same time.");
  const std::string padText =
      "Cannot enable pad options and the filters which resize frame at the same time. (crop, "
      "rotate, scale, transpose, etc.)";
  // A named resizing filter is refused when the output is opened, any
  // other filter that resizes when the graph is built.
  const TaskResult scale = RunTask({"-i", in, "-padtop", "16", "-vfilters", "scale=48:32",
                                    "-vcodec", "ffv1", File("scale.mkv")});
  EXPECT_EQ(scale.error, padText);
  const TaskResult pad = RunTask({"-i", in, "-padtop", "16", "-vfilters", "pad=128:80", "-vcodec",
                                  "ffv1", File("pad.mkv")});
  EXPECT_EQ(pad.error, "Error opening filters: " + padText);
}

TEST_F(EncodePathTest, ConstantRateDuplicatesIntoGapsAndDropsPicturesAhead) {
  struct Case {
    const char *name;
    const char *timestamps;  // setpts expression over the frame number N
    const char *counters;    // the last report's counters at -v 2
    const char *line;        // logged at -v 3
    int frames;
  };
  const Case cases[] = {
      // Frames 10, 11 and 12 are missing: frame 13 is written 3 times.
      {"gap", "(N+3*gte(N\\,10))/(25*TB)", "dup=2 drop=0", "*** 2 dup!", 22},
      // Frames 10 to 13 come 4 in one frame duration: two are dropped.
      {"ahead", "(N-0.75*(N-10)*between(N\\,10\\,13)-3*gte(N\\,14))/(25*TB)", "dup=0 drop=2",
       "*** drop!", 18},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in =
        Picture(std::string(c.name) + ".mkv", "64x48", 0.8, std::string("setpts=") + c.timestamps);
    const std::string out = File(std::string(c.name) + ".avi");
    const TaskResult report = Run({"-v", "2", "-i", in, "-vsync", "1", "-vcodec", "mpeg4", out});
    EXPECT_TRUE(report.Logged(c.counters));
    const TaskResult lines = Run({"-v", "3", "-i", in, "-vsync", "1", "-vcodec", "mpeg4", out});
    EXPECT_TRUE(lines.Logged(c.line));
    EXPECT_EQ(Decode(out).Find(AVMEDIA_TYPE_VIDEO)->frames, c.frames);
  }
}

TEST_F(EncodePathTest, FrameRateAndFrameLimit) {
  const std::string in = Picture("thirty.mkv", "64x48", 1.0, "null", 30);
  Run({"-i", in, "-r", "15", "-vcodec", "mpeg4", File("fifteen.avi")});
  const DecodedMedia halfMedia = Decode(File("fifteen.avi"));
  const DecodedStream *half = halfMedia.Find(AVMEDIA_TYPE_VIDEO);
  ASSERT_NE(half, nullptr);
  EXPECT_NEAR(half->frames, 15, 1);
  EXPECT_DOUBLE_EQ(half->frameRate, 15);

  const std::string longer = Picture("long.mkv", "64x48", 5.0);
  // -vframes stops at 100 even where -vsync 1 would duplicate past it.
  Run({"-i", longer, "-vframes", "100", "-r", "50", "-vsync", "1", "-vcodec", "mpeg4",
       File("hundred.avi")});
  EXPECT_EQ(Decode(File("hundred.avi")).Find(AVMEDIA_TYPE_VIDEO)->frames, 100);
}

TEST_F(EncodePathTest, TwoPassesWriteThenReadTheStatistics) {
  const std::string in = Picture("twopass.mkv", "96x64", 1.0);
  const std::string log = File("stats");
  Run({"-i", in, "-pass", "1", "-passlogfile", log, "-b", "200k", "-vcodec", "mpeg4", "-f", "avi",
       File("pass1.avi")});
  const std::string logFile = log + "-0.log";
  ASSERT_TRUE(std::filesystem::exists(logFile));
  EXPECT_GT(std::filesystem::file_size(logFile), 0u);
  Run({"-i", in, "-pass", "2", "-passlogfile", log, "-b", "200k", "-vcodec", "mpeg4",
       File("pass2.avi")});
  const DecodedMedia videoMedia = Decode(File("pass2.avi"));
  const DecodedStream *video = videoMedia.Find(AVMEDIA_TYPE_VIDEO);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->frames, 25);
}

TEST_F(EncodePathTest, ACodecTagTheContainerCannotStoreIsDropped) {
  const std::string in = Picture("tag.mkv", "96x64", 0.4);
  const TaskResult mp4 = Run({"-i", in, "-vcodec", "mpeg4", "-vtag", "DX50", File("tag.mp4")});
  EXPECT_TRUE(mp4.Logged("Codec tag DX50 cannot be stored in mp4"));
  EXPECT_EQ(Decode(File("tag.mp4")).Find(AVMEDIA_TYPE_VIDEO)->frames, 10);
  // Where the container has the tag it is kept.
  const TaskResult avi = Run({"-i", in, "-vcodec", "mpeg4", "-vtag", "DX50", File("tag.avi")});
  EXPECT_FALSE(avi.Logged("cannot be stored"));
  EXPECT_EQ(Decode(File("tag.avi")).Find(AVMEDIA_TYPE_VIDEO)->codecTag, MKTAG('D', 'X', '5', '0'));
}

}  // namespace
}  // namespace velmora
