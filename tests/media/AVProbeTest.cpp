// The media probe on small generated files: the information text line by
// line, the records, the failure messages with their library log lines, and
// files that cannot be described.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ScopedLocale.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "media/AVProbe.h"
#include "media/ProbeText.h"
#include "media/UnicodeProtocol.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Library log lines written without a context, which is how the probe logs.

struct LogLine {
  int level;
  std::string text;
};
std::vector<LogLine> gLogLines;

void CaptureLog(void *context, int level, const char *format, va_list args) {
  // The library's own lines; its tracing runs without a context.
  if (context || level > AV_LOG_INFO) return;
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  gLogLines.push_back({level, text});
}

// Sets TZ for one test and puts the previous value back.

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end with CR LF: " << text.substr(start);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << lines.back();
    start = end + 2;
  }
  return lines;
}

// A value the ffprobe tool reports, e.g. ("format=duration", -1) or
// ("stream=start_time", 1).
std::string FfprobeValue(const std::string &file, const std::string &entry, int stream = -1) {
  std::vector<std::string> args = {"ffprobe", "-v", "error"};
  if (stream >= 0) args.insert(args.end(), {"-select_streams", std::to_string(stream)});
  args.insert(args.end(), {"-show_entries", entry, "-of", "default=nw=1:nk=1", file});
  std::string output;
  EXPECT_EQ(test::RunProgram(args, &output), 0) << output;
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

// "1.469933" seconds as microseconds, without floating-point rounding.
std::int64_t Microseconds(const std::string &seconds) {
  const std::size_t dot = seconds.find('.');
  std::string fraction = dot == std::string::npos ? "" : seconds.substr(dot + 1);
  fraction.resize(6, '0');
  return std::stoll(seconds.substr(0, dot)) * 1000000 + std::stoll(fraction);
}

std::string FfprobeDump(const std::string &file) {
  std::string output;
  EXPECT_EQ(test::RunProgram({"ffprobe", "-hide_banner", file}, &output), 0) << output;
  return output;
}

// A stream line is checked exactly around the codec description, which is
// the library's own text: it must start with `kind` and be what the ffprobe
// tool shows for that stream too.
void ExpectStreamLine(const std::string &line, const std::string &head,
                      const std::string &kind, const std::string &tail,
                      const std::string &dump) {
  SCOPED_TRACE(line);
  ASSERT_GE(line.size(), head.size() + tail.size());
  EXPECT_EQ(line.substr(0, head.size()), head);
  EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
  const std::string description = line.substr(head.size(), line.size() - head.size() - tail.size());
  EXPECT_EQ(description.rfind(kind, 0), 0u) << description;
  EXPECT_NE(dump.find(description), std::string::npos) << description << "\nnot in\n" << dump;
}

void WriteBytes(const std::string &path, std::size_t count, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char &byte : bytes) byte = static_cast<char>(random() & 0xFF);
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::vector<std::string> kVideoInput = {"-f", "lavfi", "-i",
                                              "testsrc2=size=64x48:rate=10:duration=1"};
std::vector<std::string> SineInput(int rate, int frequency = 440) {
  return {"-f", "lavfi", "-i",
          "sine=frequency=" + std::to_string(frequency) + ":sample_rate=" +
              std::to_string(rate) + ":duration=1"};
}
std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(test::LoadSystemLibraries());
    ff.av_log_set_callback(CaptureLog);
    gLogLines.clear();
  }
  void TearDown() override { ff.av_log_set_callback(ff.av_log_default_callback); }

  std::string Make(const std::string &name, const std::vector<std::string> &args) {
    const std::string path = dir_.file(name);
    std::vector<std::string> all = args;
    all.push_back(path);
    test::Ffmpeg(all);
    return path;
  }
  std::string Load(const std::string &path, const std::string &format = std::string()) {
    EXPECT_TRUE(probe_.LoadFile(path, format)) << probe_.LastError();
    return probe_.InfoText();
  }
  // The file lines every loaded file starts with, values from ffprobe.
  std::vector<std::string> FileLines(const std::string &path, const std::string &formatName,
                                     const std::string &longName) {
    const std::int64_t bitRate = std::stoll(FfprobeValue(path, "format=bit_rate"));
    return {"File Name: " + path,
            "Format Name: " + formatName,
            "Format Long Name: " + longName,
            "File Size: " + SizeText(static_cast<std::int64_t>(fs::file_size(path))),
            "StartTime: " + StartTimeText(Microseconds(FfprobeValue(path, "format=start_time"))),
            "Duration: " + TimeText(Microseconds(FfprobeValue(path, "format=duration"))),
            "Bit Rate: " + std::to_string(bitRate / 1000) + " Kbps"};
  }
  void ExpectLogged(int level, const std::string &text) {
    ASSERT_FALSE(gLogLines.empty()) << text;
    EXPECT_EQ(gLogLines.back().level, level) << text;
    EXPECT_EQ(gLogLines.back().text, text + "\n");
    EXPECT_EQ(probe_.LastError(), text);
  }

  test::TempDir dir_;
  TAVProbe probe_;
};

// ---------------------------------------------------------------------------

TEST(ProbeText, FormatsSizesTimesAndRates) {
  const std::pair<std::int64_t, const char *> sizes[] = {
      {0, "0 Byte"},
      {1024, "1024 Byte"},
      {1025, "1.00 KB"},
      {1048576, "1024.00 KB"},
      {1048577, "1.00 MB"},
      {1073741824, "1024.00 MB"},
      {1073741825, "1.00 GB"},
      {5368709120, "5.00 GB"},
  };
  for (const auto &[bytes, text] : sizes) EXPECT_EQ(SizeText(bytes), text) << bytes;

  const std::pair<std::int64_t, const char *> durations[] = {
      {3723004000, "01:02:03.004"}, {-1, "00:00:00.000"},      {0, "00:00:00.000"},
      {59999999, "00:00:59.999"},   {360000000000, "100:00:00.000"},
  };
  for (const auto &[t, text] : durations) EXPECT_EQ(TimeText(t), text) << t;

  const std::pair<std::int64_t, const char *> starts[] = {
      {1500000, "1.500000"}, {0, "0.000000"}, {-1, "0.-000001"}, {-2500000, "-2.-500000"},
      {1469933, "1.469933"},
  };
  for (const auto &[t, text] : starts) EXPECT_EQ(StartTimeText(t), text) << t;

  struct Rate {
    double value;
    const char *text;
  };
  const Rate rates[] = {
      {25, ", 25 tbr"},           {29.97002997, ", 29.97 tbr"}, {23.976, ", 23.98 tbr"},
      {90000, ", 90k tbr"},       {1200000, ", 1200k tbr"},     {90001, ", 90001 tbr"},
      {0.5, ", 0.50 tbr"},
  };
  for (const Rate &rate : rates) EXPECT_EQ(RateText(rate.value, "tbr"), rate.text) << rate.value;
}

// A locale whose decimal point is ",", compiled into a temporary folder.
TEST(ProbeText, DecimalPointDoesNotFollowTheLocale) {
  test::TempDir folder;
  if (test::RunProgram({"localedef", "-i", "de_DE", "-f", "UTF-8", folder.file("de_DE.UTF-8")}) !=
      0)
    GTEST_SKIP() << "localedef cannot make a de_DE locale here";
  setenv("LOCPATH", folder.path().c_str(), 1);
  std::string size, rate;
  {
    test::ScopedLocale locale("de_DE.UTF-8");
    size = SizeText(1025);
    rate = RateText(29.97, "tbr");
  }
  unsetenv("LOCPATH");
  EXPECT_EQ(size, "1.00 KB");
  EXPECT_EQ(rate, ", 29.97 tbr");
}

TEST(ProbeText, TimeStampsShowLocalStandardTime) {
  test::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(TimeStampText(1577934245), "2020-01-02 04:04:05");  // winter: UTC+1
  EXPECT_EQ(TimeStampText(1593604800), "2020-07-01 13:00:00");  // summer: still UTC+1
}

TEST_F(Probe, DescribesAVideoAndAudioMp4) {
  TFileStreamInfo file;
  probe_.GetFileStreamInfo(file);  // nothing loaded yet: all unknown
  EXPECT_EQ(file.BitRate, -1);
  EXPECT_EQ(file.Timestamp, -1);
  EXPECT_EQ(file.Year, -1);
  ExpectLogged(AV_LOG_INFO, "file not loaded.");
  gLogLines.clear();

  const std::string path =
      Make("av.mp4", Join({kVideoInput, SineInput(8000), {"-c:v", "mpeg4", "-c:a", "aac"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  std::vector<std::string> expected =
      FileLines(path, "mov,mp4,m4a,3gp,3g2,mj2", "QuickTime / MOV");
  ASSERT_EQ(lines.size(), expected.size() + 2);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
  EXPECT_EQ(lines[4], "StartTime: 0.000000");
  EXPECT_EQ(lines[5], "Duration: 00:00:01.000");
  const std::string dump = FfprobeDump(path);
  ExpectStreamLine(lines[7], "Stream #0[0x1](und), 1/10240: ", "Video: mpeg4",
                   ", 10 tbr, 10240 tbn, 10 tbc, StartTime: 0.000000, Duration: 00:00:01.000",
                   dump);
  ExpectStreamLine(lines[8], "Stream #1[0x2](und), 1/8000: ", "Audio: aac",
                   ", StartTime: 0.000000, Duration: 00:00:01.000", dump);

  EXPECT_EQ(probe_.FileName(), path);
  EXPECT_EQ(probe_.FormatName(), "mov,mp4,m4a,3gp,3g2,mj2");
  EXPECT_EQ(probe_.FormatLongName(), "QuickTime / MOV");
  EXPECT_EQ(probe_.StreamCount(), 2);
  EXPECT_EQ(probe_.VideoStreamCount(), 1);
  EXPECT_EQ(probe_.AudioStreamCount(), 1);
  EXPECT_EQ(probe_.SubtitleStreamCount(), 0);
  EXPECT_EQ(probe_.FirstVideoStreamIndex(), 0);
  EXPECT_EQ(probe_.FirstAudioStreamIndex(), 1);
  EXPECT_EQ(probe_.FirstSubtitleStreamIndex(), -1);
  EXPECT_TRUE(probe_.OwnsContext());

  probe_.GetFileStreamInfo(file);
  EXPECT_EQ(file.StartTime, 0);
  EXPECT_EQ(file.Duration, 1000000);
  EXPECT_EQ(file.BitRate, std::stoi(FfprobeValue(path, "format=bit_rate")));
  EXPECT_EQ(file.Timestamp, 0);  // loaded, but no time stamp or year in the file
  EXPECT_EQ(file.Year, 0);
  EXPECT_EQ(file.Track, 0);
  EXPECT_EQ(file.Title, "");

  TVideoStreamInfo video;
  probe_.GetVideoStreamInfo(-1, video);
  EXPECT_EQ(video.CodecName.rfind("mpeg4(", 0), 0u) << video.CodecName;
  EXPECT_EQ(video.CodecName.back(), ')');
  EXPECT_EQ(video.Language, "und");
  EXPECT_EQ(video.StartTimeRaw, 0);
  EXPECT_EQ(video.StartTime, 0);
  EXPECT_EQ(video.DurationRaw, std::stoll(FfprobeValue(path, "stream=duration_ts", 0)));
  EXPECT_EQ(video.Duration, 1000000);
  EXPECT_EQ(video.BitRate, std::stoi(FfprobeValue(path, "stream=bit_rate", 0)));
  EXPECT_EQ(video.Width, 64);
  EXPECT_EQ(video.Height, 48);
  EXPECT_FLOAT_EQ(video.DisplayAspect, 4.0f / 3.0f);
  EXPECT_EQ(video.PixelFormat, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(video.FrameRateNum, 10);
  EXPECT_EQ(video.FrameRateDen, 1);

  TAudioStreamInfo audio;
  probe_.GetAudioStreamInfo(-5, audio);  // any negative index: the first audio stream
  EXPECT_EQ(audio.CodecName.rfind("aac(", 0), 0u) << audio.CodecName;
  EXPECT_EQ(audio.SampleRate, 8000);
  EXPECT_EQ(audio.Channels, 1);
  EXPECT_EQ(audio.SampleFormat, AV_SAMPLE_FMT_FLTP);
  EXPECT_EQ(audio.DurationRaw, 8000);
  EXPECT_EQ(audio.Duration, 1000000);
  EXPECT_GT(audio.BitRate, 0);
  EXPECT_TRUE(gLogLines.empty());
}

TEST_F(Probe, DescribesAnMp3WithTagsAndNoVideo) {
  const std::string path = Make(
      "tags.mp3", Join({SineInput(8000),
                        {"-c:a", "libmp3lame", "-metadata", "title=A Title", "-metadata",
                         "author=Some Author", "-metadata", "comment=No comment", "-metadata",
                         "copyright=(c) Us", "-metadata", "album=Album X", "-metadata",
                         "genre=Test", "-metadata", "date=2009", "-metadata", "track=3/12"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  std::vector<std::string> expected = FileLines(path, "mp3", "MP2/3 (MPEG audio layer 2/3)");
  for (const char *line : {"Title: A Title", "Author: Some Author", "Copyright: (c) Us",
                           "Comment: No comment", "Album: Album X", "Genre: Test", "Year: 2009",
                           "Track: #3"})
    expected.push_back(line);
  ASSERT_EQ(lines.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
  ExpectStreamLine(lines.back(), "Stream #0, 1/14112000: ", "Audio: mp3",
                   ", StartTime: " +
                       StartTimeText(Microseconds(FfprobeValue(path, "stream=start_time", 0))) +
                       ", Duration: " +
                       TimeText(Microseconds(FfprobeValue(path, "stream=duration", 0))),
                   FfprobeDump(path));

  TFileStreamInfo file;
  probe_.GetFileStreamInfo(file);
  EXPECT_EQ(file.Title, "A Title");
  EXPECT_EQ(file.Author, "Some Author");
  EXPECT_EQ(file.Copyright, "(c) Us");
  EXPECT_EQ(file.Comment, "No comment");
  EXPECT_EQ(file.Album, "Album X");
  EXPECT_EQ(file.Genre, "Test");
  EXPECT_EQ(file.Year, 2009);
  EXPECT_EQ(file.Track, 3);

  EXPECT_EQ(probe_.VideoStreamCount(), 0);
  EXPECT_EQ(probe_.FirstVideoStreamIndex(), -1);
  TVideoStreamInfo video;
  video.Width = 640;
  probe_.GetVideoStreamInfo(-1, video);
  ExpectLogged(AV_LOG_ERROR, "no video stream.");
  EXPECT_EQ(video.Width, -1);
  EXPECT_EQ(video.Height, -1);
  EXPECT_EQ(video.FrameRateNum, -1);
  EXPECT_EQ(video.FrameRateDen, -1);
  EXPECT_EQ(video.BitRate, -1);
  EXPECT_EQ(video.DisplayAspect, -1.0f);
  EXPECT_EQ(video.CodecName, "");
}

TEST_F(Probe, TellsTwoAudioStreamsApart) {
  const std::string path =
      Make("two.mp4", Join({SineInput(8000), SineInput(16000, 880),
                            {"-map", "0", "-map", "1", "-c:a", "aac", "-metadata:s:a:1",
                             "language=eng"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  ASSERT_EQ(lines.size(), 9u);
  const std::string dump = FfprobeDump(path);
  ExpectStreamLine(lines[7], "Stream #0[0x1](und), 1/8000: ", "Audio: aac",
                   ", StartTime: 0.000000, Duration: 00:00:01.000", dump);
  ExpectStreamLine(lines[8], "Stream #1[0x2](eng), 1/16000: ", "Audio: aac",
                   ", StartTime: 0.000000, Duration: 00:00:01.000", dump);
  EXPECT_EQ(probe_.AudioStreamCount(), 2);
  EXPECT_EQ(probe_.FirstAudioStreamIndex(), 0);

  TAudioStreamInfo first, second;
  probe_.GetAudioStreamInfo(-1, first);
  probe_.GetAudioStreamInfo(1, second);
  EXPECT_EQ(first.SampleRate, 8000);
  EXPECT_EQ(first.Language, "und");
  EXPECT_EQ(second.SampleRate, 16000);
  EXPECT_EQ(second.Language, "eng");
  EXPECT_EQ(second.DurationRaw, 16000);
}

TEST_F(Probe, RefusesStreamsOfTheWrongKindOrIndex) {
  const std::string path =
      Make("audio-first.mp4", Join({SineInput(8000), kVideoInput,
                                    {"-map", "0:a", "-map", "1:v", "-c:v", "mpeg4", "-c:a", "aac"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  ASSERT_EQ(lines.size(), 9u);
  const std::string dump = FfprobeDump(path);
  ExpectStreamLine(lines[7], "Stream #0[0x1](und), 1/8000: ", "Audio: aac",
                   ", StartTime: 0.000000, Duration: 00:00:01.000", dump);
  ExpectStreamLine(lines[8], "Stream #1[0x2](und), 1/10240: ", "Video: mpeg4",
                   ", 10 tbr, 10240 tbn, 10 tbc, StartTime: 0.000000, Duration: 00:00:01.000",
                   dump);
  EXPECT_EQ(probe_.FirstAudioStreamIndex(), 0);
  EXPECT_EQ(probe_.FirstVideoStreamIndex(), 1);

  TVideoStreamInfo video;
  probe_.GetVideoStreamInfo(-1, video);
  EXPECT_EQ(video.Width, 64);

  struct Case {
    bool audio;
    int index;
    const char *message;
  };
  const Case cases[] = {
      {true, 1, "stream #1 is not audio stream."},
      {false, 0, "stream #0 is not video stream."},
      {true, 2, "stream index #2 is invalid."},
      {false, 7, "stream index #7 is invalid."},
  };
  for (const Case &c : cases) {
    TAudioStreamInfo audio;
    TVideoStreamInfo video;
    if (c.audio)
      probe_.GetAudioStreamInfo(c.index, audio);
    else
      probe_.GetVideoStreamInfo(c.index, video);
    ExpectLogged(AV_LOG_ERROR, c.message);
    EXPECT_EQ(audio.SampleRate, -1);
    EXPECT_EQ(video.Width, -1);
  }
}

TEST_F(Probe, ListsTheStreamsOfEachProgram) {
  const std::string path =
      Make("program.ts", Join({kVideoInput, SineInput(16000),
                               {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  const std::vector<std::string> expected =
      FileLines(path, "mpegts", "MPEG-TS (MPEG-2 Transport Stream)");
  ASSERT_EQ(lines.size(), expected.size() + 3);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
  // Today's demuxer calls the program's names service provider and name.
  EXPECT_EQ(lines[7], "Program 1 FFmpeg@Service01");
  const std::string dump = FfprobeDump(path);
  auto timing = [&](int stream) {
    return ", StartTime: " +
           StartTimeText(Microseconds(FfprobeValue(path, "stream=start_time", stream))) +
           ", Duration: " + TimeText(Microseconds(FfprobeValue(path, "stream=duration", stream)));
  };
  // MPEG-2 video counts two codec ticks per frame.
  ExpectStreamLine(lines[8], "Stream #0[0x100], 1/90000: ", "Video: mpeg2video",
                   ", 10 tbr, 90k tbn, 20 tbc" + timing(0), dump);
  EXPECT_EQ(timing(0), ", StartTime: 1.500000, Duration: 00:00:01.000");
  ExpectStreamLine(lines[9], "Stream #1[0x101], 1/90000: ", "Audio: mp2", timing(1), dump);
}

TEST_F(Probe, RewritesTheLineWhenTheContainerChangesTheAspect) {
  const std::string source = Make("plain.mp4", Join({kVideoInput, {"-c:v", "mpeg4"}}));
  const std::string path = Make("wide.mkv", {"-i", source, "-c", "copy", "-aspect", "16:9"});
  const std::vector<std::string> lines = Lines(Load(path));
  ASSERT_FALSE(lines.empty());
  const std::string &line = lines.back();
  const std::string description = ", PAR 4:3 DAR 16:9, 10 tbr, 1k tbn, 10 tbc, StartTime: ";
  EXPECT_NE(line.find("[SAR 1:1 DAR 4:3]" + description), std::string::npos) << line;
  TVideoStreamInfo video;
  probe_.GetVideoStreamInfo(-1, video);
  EXPECT_FLOAT_EQ(video.DisplayAspect, 16.0f / 9.0f);
}

// Raw MJPEG carries no times and no container bit rate.
TEST_F(Probe, PrintsUnknownTimesAndBitRate) {
  const std::string path =
      Make("unknown.mjpeg", Join({kVideoInput, {"-c:v", "mjpeg", "-f", "mjpeg"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "File Size: " + SizeText(static_cast<std::int64_t>(fs::file_size(path))));
  EXPECT_EQ(lines[4], "StartTime: 0.-000001");
  EXPECT_EQ(lines[5], "Duration: 00:00:00.000");
  EXPECT_EQ(lines[6], "Bit Rate: N/A");
  ExpectStreamLine(lines[7], "Stream #0, 1/1200000: ", "Video: mjpeg",
                   ", 25 tbr, 1200k tbn, 25 tbc, Duration: N/A", FfprobeDump(path));
  TFileStreamInfo file;
  probe_.GetFileStreamInfo(file);
  EXPECT_EQ(file.StartTime, -1);
  EXPECT_EQ(file.Duration, -1);
  EXPECT_EQ(file.BitRate, 0);
  TVideoStreamInfo video;
  probe_.GetVideoStreamInfo(0, video);
  EXPECT_EQ(video.StartTimeRaw, -1);
  EXPECT_EQ(video.StartTime, -1);
  EXPECT_EQ(video.Duration, -1);
}

// Any bytes are raw samples to a forced raw audio demuxer, which makes files
// of an exact size easy.
TEST_F(Probe, PrintsTheSizeOfFilesAtTheUnitBoundaries) {
  const std::pair<std::size_t, const char *> sizes[] = {
      {1024, "File Size: 1024 Byte"},
      {1025, "File Size: 1.00 KB"},
      {1048576, "File Size: 1024.00 KB"},
  };
  for (const auto &[bytes, line] : sizes) {
    const std::string path = dir_.file(std::to_string(bytes) + ".raw");
    WriteBytes(path, bytes);
    const std::vector<std::string> lines = Lines(Load(path, "u8"));
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Format Name: u8");
    EXPECT_EQ(lines[3], line);
    EXPECT_EQ(probe_.ForceFormat(), "u8");
  }
  EXPECT_FALSE(probe_.LoadFile(dir_.file("1024.raw"), "nosuchformat"));
  EXPECT_EQ(probe_.LastError(), "Unknown input format: nosuchformat");
  EXPECT_EQ(probe_.StreamCount(), -1);
  EXPECT_EQ(probe_.ForceFormat(), "");
}

TEST_F(Probe, GivesBackANameThatNeededTheUnicodeUrl) {
  test::ScopedLocale locale("C");
  const std::string path = Make("视频.mp4", Join({SineInput(8000), {"-c:a", "aac"}}));
  const std::vector<std::string> lines = Lines(Load(path));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "File Name: " + path);
  EXPECT_EQ(probe_.FileName(), path);
  EXPECT_EQ(lines[3], "File Size: " + SizeText(static_cast<std::int64_t>(fs::file_size(path))));
}

TEST_F(Probe, LeavesAnAttachedInputOpen) {
  const std::string path = Make("input.mp4", Join({kVideoInput, {"-c:v", "mpeg4"}}));
  AVFormatContext *input = nullptr;
  ASSERT_EQ(OpenInputUrl(&input, UrlForFileName(path), nullptr, nullptr), 0);
  ASSERT_GE(ff.avformat_find_stream_info(input, nullptr), 0);
  {
    TAVProbe probe;
    probe.AttachContext(input);
    EXPECT_FALSE(probe.OwnsContext());
    EXPECT_EQ(probe.Context(), input);
    EXPECT_EQ(probe.StreamCount(), 1);
    EXPECT_EQ(probe.FirstVideoStreamIndex(), 0);
    EXPECT_EQ(Lines(probe.InfoText())[0], "File Name: " + path);
    probe.CloseFile();
    EXPECT_EQ(probe.Context(), nullptr);
    EXPECT_EQ(probe.StreamCount(), -1);
    probe.AttachContext(input);  // and once more, left to the destructor
  }
  // Still open and readable.
  AVPacket *packet = ff.av_packet_alloc();
  EXPECT_GE(ff.av_read_frame(input, packet), 0);
  ff.av_packet_free(&packet);
  CloseInputUrl(&input);
}

TEST_F(Probe, ReportsFilesItCannotDescribe) {
  const std::string good = Make("good.mp4", Join({kVideoInput, {"-c:v", "mpeg4"}}));
  const std::string empty = dir_.file("empty.mp4");
  std::ofstream(empty).close();
  const std::string noise = dir_.file("noise.mp4");
  WriteBytes(noise, 4000);
  const std::string truncated = dir_.file("truncated.mp4");
  fs::copy_file(good, truncated);
  fs::resize_file(truncated, fs::file_size(good) / 2);
  const std::string folder = dir_.file("folder");
  fs::create_directory(folder);
  const std::string missing = dir_.file("missing.mp4");

  const std::pair<std::string, std::string> cases[] = {
      {empty, empty + ": Unknown format"},
      {noise, noise + ": Unknown format"},
      {truncated, truncated + ": Unknown format"},  // the index is at the end
      {folder, folder + ": Error while opening file"},
      {missing, missing + ": no such file or directory"},
  };
  for (const auto &[path, message] : cases) {
    ASSERT_TRUE(probe_.LoadFile(good));
    EXPECT_FALSE(probe_.LoadFile(path)) << path;
    EXPECT_EQ(probe_.LastError(), message);
    // A failed load leaves the probe closed.
    EXPECT_EQ(probe_.Context(), nullptr);
    EXPECT_EQ(probe_.StreamCount(), -1);
    EXPECT_EQ(probe_.FirstAudioStreamIndex(), -1);
  }
}

TEST_F(Probe, QueriesWithoutAFileLogAndReturnNothing) {
  EXPECT_EQ(probe_.InfoText(), "");
  ExpectLogged(AV_LOG_INFO, "file not loaded.");
  gLogLines.clear();
  EXPECT_EQ(probe_.FileName(), "");
  EXPECT_EQ(probe_.FormatName(), "");
  EXPECT_EQ(probe_.FormatLongName(), "");
  TAudioStreamInfo audio;
  probe_.GetAudioStreamInfo(0, audio);
  EXPECT_EQ(audio.Channels, -1);
  ASSERT_EQ(gLogLines.size(), 4u);
  for (const LogLine &line : gLogLines) {
    EXPECT_EQ(line.level, AV_LOG_INFO);
    EXPECT_EQ(line.text, "file not loaded.\n");
  }
  EXPECT_EQ(probe_.LastError(), "file not loaded.");
  for (int count : {probe_.StreamCount(), probe_.AudioStreamCount(), probe_.VideoStreamCount(),
                    probe_.SubtitleStreamCount(), probe_.FirstAudioStreamIndex(),
                    probe_.FirstVideoStreamIndex(), probe_.FirstSubtitleStreamIndex()})
    EXPECT_EQ(count, -1);
}

TEST(ProbeLibraries, NamesTheFirstMissingLibrary) {
  ASSERT_NO_FATAL_FAILURE(test::LoadSystemLibraries());
  auto &loader = TFFmpegLoader::Instance();
  using K = TLibraryKind;
  struct Case {
    std::vector<K> unbound;
    const char *message;
  };
  const Case cases[] = {
      {{K::lkSWScale, K::lkAVUtil, K::lkAVFormat, K::lkAVCodec}, "LibAVCodec not loaded."},
      {{K::lkSWScale, K::lkAVFormat}, "LibAVFormat not loaded."},
      {{K::lkSWScale, K::lkAVUtil}, "LibAVUtil not loaded."},
      {{K::lkSWScale}, "LibSwScale not loaded."},
  };
  TAVProbe probe;
  for (const Case &c : cases) {
    for (K kind : c.unbound) loader.UnbindLibrary(kind);
    try {
      probe.LoadFile("/nonexistent.mp4");
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const FFmpegException &error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_THROW(probe.AttachContext(nullptr), FFmpegException) << c.message;
    EXPECT_EQ(probe.LastError(), "");  // not set
    ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  }
}

}  // namespace
}  // namespace velmora
