// Re-encoding end to end on small generated sources, checked by decoding
// the results: the audio path (conversion, volume, clock correction,
// parameter changes inside one input) and the video path (scaling, crop
// and pad, filters, frame-rate synchronisation, frame limits, two passes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DecodedMedia.h"
#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryPtr.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using test::Decode;
using test::DecodedMedia;
using test::DecodedStream;
using test::Ffmpeg;
using test::RunTask;
using test::TaskResult;

// Replaces one library slot for the lifetime of the object.
template <typename Slot>
class SlotReplacement {
 public:
  SlotReplacement(Slot &slot, Slot replacement) : slot_(slot), saved_(slot) { slot = replacement; }
  ~SlotReplacement() { slot_ = saved_; }
  SlotReplacement(const SlotReplacement &) = delete;
  SlotReplacement &operator=(const SlotReplacement &) = delete;

 private:
  Slot &slot_;
  Slot saved_;
};

// Every decoded audio frame stays shared with a second reference, beside a
// copy of its first plane taken as it left the decoder.
struct SharedFrames {
  decltype(ff.avcodec_receive_frame) receive = nullptr;
  std::vector<FramePtr> references;
  std::vector<std::vector<std::uint8_t>> copies;
};
SharedFrames g_shared;

int ReceiveSharedFrame(AVCodecContext *decoder, AVFrame *frame) {
  const int result = g_shared.receive(decoder, frame);
  if (result >= 0 && decoder->codec_type == AVMEDIA_TYPE_AUDIO) {
    FramePtr reference(ff.av_frame_alloc());
    if (reference) ff.av_frame_ref(reference.get(), frame);
    g_shared.references.push_back(std::move(reference));
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int channels = ff.av_sample_fmt_is_planar(format) ? 1 : frame->ch_layout.nb_channels;
    const std::size_t bytes = static_cast<std::size_t>(frame->nb_samples) * channels *
                              ff.av_get_bytes_per_sample(format);
    g_shared.copies.emplace_back(frame->extended_data[0], frame->extended_data[0] + bytes);
  }
  return result;
}

// Counts the writes into audio FIFOs and lets the one numbered `failing`
// fail as a failed allocation would.
struct FifoWrites {
  decltype(ff.av_audio_fifo_write) write = nullptr;
  int count = 0;
  int failing = 0;
};
FifoWrites g_fifoWrites;

int CountedFifoWrite(AVAudioFifo *fifo, void **data, int samples) {
  if (++g_fifoWrites.count == g_fifoWrites.failing) return AVERROR(ENOMEM);
  return g_fifoWrites.write(fifo, data, samples);
}

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

// The volume step changes the frame it hands on, never a buffer the decoder
// still shares.
TEST_F(EncodePathTest, VolumeLeavesSharedDecodedFramesAlone) {
  const std::string in = Tone("shared.wav", 44100, 1, 0.5);
  g_shared = {ff.avcodec_receive_frame, {}, {}};
  {
    const SlotReplacement receive(ff.avcodec_receive_frame, &ReceiveSharedFrame);
    Run({"-i", in, "-vol", "512", "-acodec", "pcm_s16le", File("loud.wav")});
  }
  ASSERT_FALSE(g_shared.references.empty());
  for (std::size_t i = 0; i < g_shared.references.size(); ++i) {
    const std::uint8_t *data = g_shared.references[i]->extended_data[0];
    EXPECT_TRUE(std::equal(g_shared.copies[i].begin(), g_shared.copies[i].end(), data))
        << "frame " << i << " was changed";
  }
  g_shared = {};
  // The output is still made louder.
  EXPECT_NEAR(Decode(File("loud.wav")).Find(AVMEDIA_TYPE_AUDIO)->peak /
                  Decode(in).Find(AVMEDIA_TYPE_AUDIO)->peak,
              2.0, 0.01);
}

// Audio that cannot be appended to the FIFO ends the run with an error
// instead of being lost without a word: here the last append, the samples
// the resampler still held (44.1 to 48 kHz) or the silence that fills the
// last MP2 frame.
TEST_F(EncodePathTest, AFailedFifoWriteEndsTheRun) {
  const std::string in = Tone("fifo.wav", 44100, 1, 1.0);
  const std::vector<std::vector<std::string>> cases = {
      {"-ar", "48000", "-acodec", "pcm_s16le", File("fifo48.wav")},
      {"-acodec", "mp2", File("fifo.mp2")},
  };
  for (const std::vector<std::string> &options : cases) {
    SCOPED_TRACE(options.back());
    std::vector<std::string> args = {"-i", in};
    args.insert(args.end(), options.begin(), options.end());
    g_fifoWrites = {ff.av_audio_fifo_write, 0, 0};
    const SlotReplacement write(ff.av_audio_fifo_write, &CountedFifoWrite);
    Run(args);
    const int writes = g_fifoWrites.count;
    g_fifoWrites = {g_fifoWrites.write, 0, writes};
    const TaskResult failed = RunTask(args);
    EXPECT_FALSE(failed.finished);
    EXPECT_EQ(failed.error, "av_fifo_realloc2() failed");
  }
}

// -target dv takes 44.1 kHz sound: the resampled audio keeps pace with its
// time stamps, so every DV frame finds its samples.
TEST_F(EncodePathTest, DvTargetsTakeA44100HzSource) {
  const std::string in = File("dv-source.avi");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=20", "-f", "lavfi", "-i",
          "sine=frequency=440:sample_rate=44100:duration=20", "-c:v", "mpeg4", "-c:a",
          "pcm_s16le", in});
  for (const char *target : {"pal-dv", "ntsc-dv"}) {
    SCOPED_TRACE(target);
    const std::string out = File(std::string(target) + ".dv");
    test::LibraryLog libraryLog(AV_LOG_ERROR);
    Run({"-i", in, "-target", target, out});
    EXPECT_EQ(libraryLog.Count("Can't process DV frame"), 0);
    const test::MediaSummary summary = test::Summarize(out, false);
    ASSERT_NE(summary.Find(AVMEDIA_TYPE_AUDIO), nullptr);
    EXPECT_NEAR(summary.Find(AVMEDIA_TYPE_VIDEO)->end, 20.0, 0.1);
    EXPECT_NEAR(summary.Find(AVMEDIA_TYPE_AUDIO)->end, 20.0, 0.1);
  }
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

// Today's decoders report no picture quality: -sameq then leaves the
// encoder at its default quality instead of the finest quantiser.
TEST_F(EncodePathTest, SameQualityWithoutADecoderQualityKeepsTheEncodersDefault) {
  const std::string in = Picture("sameq.mkv", "160x120", 1.0);
  Run({"-i", in, "-vcodec", "mpeg4", File("default.avi")});
  Run({"-i", in, "-sameq", "-vcodec", "mpeg4", File("sameq.avi")});
  EXPECT_EQ(std::filesystem::file_size(File("sameq.avi")),
            std::filesystem::file_size(File("default.avi")));
}

// One statistics line per encoded picture, numbered from 1, each with the
// time at the end of its picture.
TEST_F(EncodePathTest, StatisticsLinesCountPicturesFromOne) {
  const std::string in = Picture("vstats.mkv", "96x64", 0.4);
  const std::string stats = File("vstats.log");
  Run({"-i", in, "-vstats_file", stats, "-vcodec", "mpeg4", File("vstats.avi")});
  std::ifstream file(stats);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 10u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    char frame[32], time[32];
    std::snprintf(frame, sizeof frame, "frame= %5d ", static_cast<int>(i + 1));
    std::snprintf(time, sizeof time, " time= %0.3f ", (i + 1) * 0.04);
    EXPECT_EQ(lines[i].rfind(frame, 0), 0u) << lines[i];
    EXPECT_NE(lines[i].find(time), std::string::npos) << lines[i];
  }
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

// ---- subtitles ----

// Text subtitles into a container whose own subtitle codec is another text
// codec: encoded with the styles of their decoder and their display times;
// into a picture codec: refused.
TEST_F(EncodePathTest, TextSubtitlesTakeTheContainersSubtitleCodec) {
  const std::string srt = File("events.srt");
  std::ofstream(srt) << "1\n00:00:00,500 --> 00:00:01,500\nHello\n\n"
                        "2\n00:00:02,000 --> 00:00:03,000\nWorld\n";
  const std::string in = File("subtitled.mkv");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25:duration=3", "-i", srt, "-map", "0",
          "-map", "1", "-c:v", "ffv1", "-c:s", "srt", in});
  const std::string out = File("styled.mkv");
  Run({"-i", in, "-vcodec", "copy", out});
  const test::MediaSummary summary = test::Summarize(out, false);
  const test::StreamSummary *subtitles = summary.Find(AVMEDIA_TYPE_SUBTITLE);
  ASSERT_NE(subtitles, nullptr);
  EXPECT_EQ(subtitles->codec, "ass");
  EXPECT_EQ(subtitles->packets, 2);
  EXPECT_NEAR(subtitles->start, 0.5, 0.01);
  EXPECT_NEAR(subtitles->end, 3.0, 0.01);

  const TaskResult pictures =
      RunTask({"-i", in, "-vcodec", "copy", "-scodec", "dvdsub", File("pictures.mkv")});
  EXPECT_FALSE(pictures.finished);
  EXPECT_EQ(pictures.error,
            "Subtitle encoding currently only possible from text to text or bitmap to bitmap");
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
  // A copied stream follows the same rule.
  const TaskResult copied =
      Run({"-i", File("tag.avi"), "-vcodec", "copy", "-vtag", "DX50", File("copy.mp4")});
  EXPECT_TRUE(copied.Logged("Codec tag DX50 cannot be stored in mp4"));
  const DecodedMedia copy = Decode(File("copy.mp4"));
  ASSERT_NE(copy.Find(AVMEDIA_TYPE_VIDEO), nullptr);
  EXPECT_EQ(copy.Find(AVMEDIA_TYPE_VIDEO)->frames, 10);
  EXPECT_EQ(copy.Find(AVMEDIA_TYPE_VIDEO)->codecTag, MKTAG('m', 'p', '4', 'v'));
}

}  // namespace
}  // namespace velmora
