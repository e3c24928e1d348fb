// The final encodes the output presets ask for, one row each: the result
// opens, has the expected codecs, picture size and rate, sample rate and
// channels, and lasts as long as the one-second source.
#include <gtest/gtest.h>

#include <cmath>

#include "DecodedMedia.h"
#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

// The media type letter of an installed encoder ('V', 'A', 'S'), or 0 when
// the ffmpeg tool's library has no encoder of that name.
char EncoderType(const std::string &name) {
  static std::string list;
  if (list.empty()) test::RunProgram({"ffmpeg", "-hide_banner", "-encoders"}, &list);
  const std::size_t at = list.find(" " + name + " ");
  if (at == std::string::npos) return 0;
  const std::size_t line = list.rfind('\n', at);
  return list[line == std::string::npos ? 0 : line + 2];  // " V....D name"
}

// The engine's refusal when an output names an encoder the library lacks.
std::string UnknownEncoderText(const std::string &name, char type) {
  return std::string(type == 'V' ? "new_video_stream" : "new_audio_stream") +
         " fail: Unknown encoder '" + name + "'";
}


struct Row {
  const char *name;
  const char *output;
  std::vector<std::string> options;
  const char *video;  // "" for audio only
  int width, height;
  double fps;
  const char *audio;
  int sampleRate, channels;
  std::vector<std::string> encoders;  // needed on this machine
};

const std::vector<Row> &Rows() {
  static const std::vector<Row> rows = {
      {"avi-dx50", "a.avi", {"-vcodec", "mpeg4", "-vtag", "DX50", "-s", "320x240", "-b", "528k", "-acodec", "libmp3lame", "-ab", "128k"}, "mpeg4", 320, 240, 25, "mp3", 44100, 2, {"libmp3lame"}},
      {"avi-xvid", "b.avi", {"-vcodec", "mpeg4", "-vtag", "XVID", "-s", "320x240", "-acodec", "libmp3lame"}, "mpeg4", 320, 240, 25, "mp3", 44100, 2, {"libmp3lame"}},
      {"mpeg1", "a.mpg", {"-vcodec", "mpeg1video", "-acodec", "mp2"}, "mpeg1video", 160, 120, 25, "mp2", 44100, 2, {}},
      {"mpeg2", "b.mpg", {"-vcodec", "mpeg2video", "-acodec", "mp2"}, "mpeg2video", 160, 120, 25, "mp2", 44100, 2, {}},
      {"wmv", "a.wmv", {"-vcodec", "wmv2", "-acodec", "wmav2"}, "wmv2", 160, 120, 25, "wmav2", 44100, 2, {}},
      {"mp4-mpeg4", "a.mp4", {"-vcodec", "mpeg4", "-acodec", "aac"}, "mpeg4", 160, 120, 25, "aac", 44100, 2, {}},
      {"mp4-x264", "b.mp4", {"-vcodec", "libx264", "-s", "640x480", "-qmin", "10", "-qmax", "51", "-qdiff", "4", "-qcomp", "0.6", "-me_range", "16", "-subq", "7", "-g", "250", "-i_qfactor", "0.71", "-bf", "3", "-acodec", "aac"}, "h264", 640, 480, 25, "aac", 44100, 2, {"libx264"}},
      // Nothing but the encoder: its own defaults make it usable.
      {"mp4-x264-own-defaults", "c.mp4", {"-vcodec", "libx264", "-acodec", "aac"}, "h264", 160, 120, 25, "aac", 44100, 2, {"libx264"}},
      {"3gp", "a.3gp", {"-s", "176x144", "-r", "15", "-acodec", "aac", "-ac", "1", "-ar", "8000", "-ab", "12k"}, "h263", 176, 144, 15, "aac", 8000, 1, {}},
      {"vcd-pal", "vcd-pal.mpg", {"-target", "pal-vcd"}, "mpeg1video", 352, 288, 25, "mp2", 44100, 2, {}},
      {"vcd-ntsc", "vcd-ntsc.mpg", {"-target", "ntsc-vcd"}, "mpeg1video", 352, 240, 30000.0 / 1001, "mp2", 44100, 2, {}},
      {"svcd-pal", "svcd-pal.mpg", {"-target", "pal-svcd"}, "mpeg2video", 480, 576, 25, "mp2", 44100, 2, {}},
      {"svcd-ntsc", "svcd-ntsc.mpg", {"-target", "ntsc-svcd"}, "mpeg2video", 480, 480, 30000.0 / 1001, "mp2", 44100, 2, {}},
      {"dvd-pal", "dvd-pal.mpg", {"-target", "pal-dvd"}, "mpeg2video", 720, 576, 25, "ac3", 48000, 2, {}},
      {"dvd-ntsc", "dvd-ntsc.mpg", {"-target", "ntsc-dvd"}, "mpeg2video", 720, 480, 30000.0 / 1001, "ac3", 48000, 2, {}},
      {"asf", "a.asf", {"-vcodec", "msmpeg4", "-acodec", "wmav2"}, "msmpeg4v3", 160, 120, 25, "wmav2", 44100, 2, {}},
      {"rm", "a.rm", {"-vcodec", "rv10", "-s", "176x144", "-acodec", "ac3"}, "rv10", 176, 144, 25, "ac3", 44100, 2, {}},
      {"swf", "a.swf", {"-acodec", "libmp3lame"}, "flv1", 160, 120, 25, "mp3", 44100, 2, {"libmp3lame"}},
      {"flv", "a.flv", {"-acodec", "libmp3lame"}, "flv1", 160, 120, 25, "mp3", 44100, 2, {"libmp3lame"}},
      {"mkv", "a.mkv", {"-vcodec", "mpeg4", "-acodec", "libvorbis"}, "mpeg4", 160, 120, 25, "vorbis", 44100, 2, {"libvorbis"}},
      {"mov", "a.mov", {"-vcodec", "mpeg4", "-acodec", "aac"}, "mpeg4", 160, 120, 25, "aac", 44100, 2, {}},
      {"avi-mjpeg", "c.avi", {"-vcodec", "mjpeg", "-acodec", "libmp3lame"}, "mjpeg", 160, 120, 25, "mp3", 44100, 2, {"libmp3lame"}},
      {"mp3", "a.mp3", {"-vn", "-acodec", "libmp3lame", "-ab", "128k"}, "", 0, 0, 0, "mp3", 44100, 2, {"libmp3lame"}},
      {"wma", "a.wma", {"-vn", "-acodec", "wmav2"}, "", 0, 0, 0, "wmav2", 44100, 2, {}},
      {"wav", "a.wav", {"-vn", "-acodec", "pcm_s16le"}, "", 0, 0, 0, "pcm_s16le", 44100, 2, {}},
      {"m4a", "a.m4a", {"-vn", "-acodec", "aac"}, "", 0, 0, 0, "aac", 44100, 2, {}},
      {"ac3", "a.ac3", {"-vn", "-acodec", "ac3", "-ar", "22050"}, "", 0, 0, 0, "ac3", 32000, 2, {}},
      {"ogg", "a.ogg", {"-vn", "-acodec", "libvorbis"}, "", 0, 0, 0, "vorbis", 44100, 2, {"libvorbis"}},
      {"mp2", "a.mp2", {"-vn", "-acodec", "mp2"}, "", 0, 0, 0, "mp2", 44100, 2, {}},
      {"flac", "a.flac", {"-vn", "-acodec", "flac"}, "", 0, 0, 0, "flac", 44100, 2, {}},
      {"rm-audio", "b.rm", {"-vn", "-acodec", "ac3"}, "", 0, 0, 0, "ac3", 44100, 2, {}},
      {"amr", "a.amr", {"-vn", "-acodec", "libopencore_amrnb", "-ac", "1", "-ar", "8000"}, "", 0, 0, 0, "amr_nb", 8000, 1, {"libopencore_amrnb"}},
  };
  return rows;
}

// Test names print the row's name, not its bytes.
void PrintTo(const Row &row, std::ostream *out) { *out << row.name; }

// The type an encoder has in a row: the option that names it (-vcodec, -acodec).
char TypeInRow(const Row &row, const std::string &encoder) {
  for (std::size_t i = 0; i + 1 < row.options.size(); ++i)
    if (row.options[i + 1] == encoder) return row.options[i] == "-vcodec" ? 'V' : 'A';
  return 0;
}

class OutputFormatsTest : public ::testing::TestWithParam<Row> {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
  }
  test::TempDir dir_;
};

TEST_P(OutputFormatsTest, EncodesAndDecodesBack) {
  const Row &row = GetParam();
  const std::string source = test::SharedMedia(
      "formats-source.mkv", test::ClipArgs(1.0, {"-c:v", "ffv1", "-c:a", "pcm_s16le", "-ac", "2"}));
  const std::string out = dir_.file(row.output);
  std::vector<std::string> args = {"-i", source};
  args.insert(args.end(), row.options.begin(), row.options.end());
  args.push_back(out);
  for (const std::string &encoder : row.encoders) {
    const char type = EncoderType(encoder);
    if (type == 0) {
      // Without it the engine names the missing encoder.
      const test::TaskResult refused = test::RunTask(args);
      EXPECT_EQ(refused.error, UnknownEncoderText(encoder, TypeInRow(row, encoder)));
      GTEST_SKIP() << encoder << " is not installed";
    }
    EXPECT_EQ(type, TypeInRow(row, encoder)) << encoder;
  }
  const test::TaskResult result = test::RunTask(args);
  ASSERT_TRUE(result.opened && result.finished) << result.error;
  const test::DecodedMedia media = test::Decode(out);
  ASSERT_TRUE(media.opened);
  if (*row.video) {
    const test::DecodedStream *video = media.Find(AVMEDIA_TYPE_VIDEO);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->codec, row.video);
    EXPECT_EQ(video->width, row.width);
    EXPECT_EQ(video->height, row.height);
    EXPECT_NEAR(video->frameRate, row.fps, 0.01);
    EXPECT_NEAR(video->frames / row.fps, 1.0, 1.01 / row.fps) << video->frames << " frames";
  } else {
    EXPECT_EQ(media.Find(AVMEDIA_TYPE_VIDEO), nullptr);
  }
  const test::DecodedStream *audio = media.Find(AVMEDIA_TYPE_AUDIO);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->codec, row.audio);
  EXPECT_EQ(audio->sampleRate, row.sampleRate);
  EXPECT_EQ(audio->channels, row.channels);
  // Within one encoder frame of the source (and the encoders' priming).
  EXPECT_NEAR(audio->Duration(), 1.0, 0.07);
}

INSTANTIATE_TEST_SUITE_P(Presets, OutputFormatsTest, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row> &info) {
                           std::string name = info.param.name;
                           for (char &c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace velmora
