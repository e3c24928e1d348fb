// Inputs that cannot be read, or only in part: each is refused with the
// open-error message of its kind, or runs to an end; never a crash or hang.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryTexts.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const std::string &file, const std::string &bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_QUIET);
  }
  test::TempDir dir;
};

TEST_F(BadInputTest, UnreadableInputsGiveTheOpenErrorText) {
  const std::string empty = dir.file("empty.avi");
  WriteBytes(empty, "");
  const std::string noise = dir.file("noise.avi");
  std::mt19937 random(7);
  std::string bytes(64 * 1024, '\0');
  for (char &b : bytes) b = static_cast<char>(random());
  WriteBytes(noise, bytes);
  const std::string whole = dir.file("whole.mp4");
  test::MakeClip(whole, 1, {"-c:v", "mpeg4", "-c:a", "aac"});
  const std::string truncated = dir.file("truncated.mp4");
  const std::string content = ReadBytes(whole);
  WriteBytes(truncated, content.substr(0, content.size() / 2));  // the index is at the end
  const std::string folder = dir.file("folder");
  fs::create_directory(folder);

  struct Case {
    std::string file;
    int code;  // the library's error code the text is chosen by
  };
  std::vector<Case> cases = {
      {empty, AVERROR_INVALIDDATA},
      {noise, AVERROR_INVALIDDATA},
      {truncated, AVERROR_INVALIDDATA},
      {folder, AVERROR(EISDIR)},
      {dir.file("missing.avi"), AVERROR(ENOENT)},
      // A file whose every read fails (the start of the process's memory).
      {"/proc/self/mem", AVERROR(EIO)},
  };
  if (geteuid() != 0) {
    // Permissions do not stop the superuser, so only others try this one.
    const std::string locked = dir.file("locked.avi");
    WriteBytes(locked, content);
    fs::permissions(locked, fs::perms::none);
    cases.push_back({locked, AVERROR(EACCES)});
  }
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    TCustomFFmpeg engine;
    engine.CreateOptionContexts();
    EXPECT_FALSE(engine.OpenInputFile(c.file));
    EXPECT_EQ(engine.LastError(), OpenErrorText(c.file, c.code));
    EXPECT_EQ(engine.InputFileCount(), 0);
    EXPECT_EQ(engine.TotalOutputDuration(), -1);
  }
}

// Damage inside a file that opens: the run reads to the end and writes what
// it could take, whether copying or decoding.
TEST_F(BadInputTest, DamagedStreamsRunToTheirEnd) {
  const std::string whole = dir.file("whole.mpg");
  test::MakeClip(whole, 2, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  std::string content = ReadBytes(whole);
  std::mt19937 random(11);
  for (std::size_t i = content.size() / 3; i < content.size() / 3 + 20000; ++i)
    content[i] = static_cast<char>(random());
  const std::string damaged = dir.file("damaged.mpg");
  WriteBytes(damaged, content);
  const std::string cut = dir.file("cut.mpg");
  WriteBytes(cut, ReadBytes(whole).substr(0, content.size() / 2));

  for (const std::string &input : {damaged, cut}) {
    SCOPED_TRACE(input);
    const std::string output = input + ".mkv";
    const test::TaskResult result =
        test::RunTask({"-i", input, "-vcodec", "copy", "-acodec", "copy", output});
    EXPECT_TRUE(result.finished) << result.error;
    EXPECT_GT(test::Summarize(output).Find(AVMEDIA_TYPE_VIDEO)->frames, 5);
  }
}

// A file cut short after its index: the probe knows the picture size but
// not the pixel format. Re-encoding it is refused before any scaler is made
// (the scaler would abort the process), and the task ends with the reason.
TEST_F(BadInputTest, VideoWithoutAPixelFormatIsRefused) {
  const std::string whole = dir.file("whole.mp4");
  test::MakeClip(whole, 1, {"-c:v", "libx264", "-c:a", "aac", "-movflags", "+faststart"});
  const std::string content = ReadBytes(whole);
  const std::size_t media = content.find("mdat");
  ASSERT_NE(media, std::string::npos);
  const std::string cut = dir.file("cut.mp4");
  WriteBytes(cut, content.substr(0, media + 200));
  for (const std::vector<std::string> &video :
       {std::vector<std::string>{"-vcodec", "mpeg4"},
        std::vector<std::string>{"-vcodec", "mpeg4", "-vfilters", "negate"}}) {
    std::vector<std::string> args = {"-i", cut};
    args.insert(args.end(), video.begin(), video.end());
    args.push_back(dir.file("out.avi"));
    const test::TaskResult result = test::RunTask(args);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.finished);
    EXPECT_EQ(result.error,
              "Cannot decode input stream #0.0 (Video): its picture size or pixel format is "
              "unknown (the file may be damaged or cut short)");
  }
}

// Pictures that change size in the middle of a stream (a new sequence
// header, or damage) are scaled to the size the stream was set up for.
TEST_F(BadInputTest, PicturesChangingSizeInsideAStreamAreScaled) {
  const std::string small = dir.file("small.h264");
  const std::string large = dir.file("large.h264");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=1", "-c:v",
                "libx264", small});
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1", "-c:v",
                "libx264", large});
  for (const auto &[first, second] : {std::pair{small, large}, std::pair{large, small}}) {
    const std::string joined = dir.file("joined.h264");
    WriteBytes(joined, ReadBytes(first) + ReadBytes(second));
    for (const std::vector<std::string> &options :
         {std::vector<std::string>{"-padtop", "16"}, std::vector<std::string>{"-s", "96x64"},
          std::vector<std::string>{"-vfilters", "negate"}}) {
      SCOPED_TRACE(first + " then " + second + " " + options[0]);
      const std::string output = dir.file("out.mkv");
      std::vector<std::string> args = {"-i", joined};
      args.insert(args.end(), options.begin(), options.end());
      args.insert(args.end(), {"-vcodec", "ffv1", output});
      const test::TaskResult result = test::RunTask(args);
      EXPECT_TRUE(result.finished) << result.error;
      EXPECT_EQ(test::Summarize(output).Find(AVMEDIA_TYPE_VIDEO)->frames, 50);
    }
  }
}

// A transport stream whose first audio stream lost all its packets: the
// demuxer still announces it ("0 channels"), and the automatic choice takes
// the intact AC-3 stream behind it. An explicit -map still takes the
// announced one, which then gives nothing to write.
TEST_F(BadInputTest, AutomaticChoicePassesOverStreamsTheProbeCouldNotDescribe) {
  const std::string whole = dir.file("whole.ts");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=2", "-f", "lavfi",
                "-i", "sine=sample_rate=44100:duration=2", "-f", "lavfi", "-i",
                "sine=frequency=1000:sample_rate=48000:duration=2", "-map", "0", "-map", "1",
                "-map", "2", "-c:v", "mpeg2video", "-c:a:0", "mp2", "-c:a:1", "ac3", whole});
  // Drop every 188-byte packet of the MP2 stream (the muxer's second
  // elementary stream, PID 0x101).
  const std::string content = ReadBytes(whole);
  std::string damaged;
  for (std::size_t at = 0; at + 188 <= content.size(); at += 188) {
    const int pid = (static_cast<unsigned char>(content[at + 1]) & 0x1F) << 8 |
                    static_cast<unsigned char>(content[at + 2]);
    if (pid != 0x101) damaged += content.substr(at, 188);
  }
  const std::string input = dir.file("damaged.ts");
  WriteBytes(input, damaged);

  const std::string output = dir.file("audio.wav");
  const test::TaskResult chosen = test::RunTask({"-i", input, "-acodec", "pcm_s16le", output});
  ASSERT_TRUE(chosen.finished) << chosen.error;
  EXPECT_TRUE(chosen.Logged("  Stream #0.2 -> #0.0 (Audio)"));
  const test::MediaSummary audio = test::Summarize(output);
  ASSERT_NE(audio.Find(AVMEDIA_TYPE_AUDIO), nullptr);
  EXPECT_NEAR(audio.Find(AVMEDIA_TYPE_AUDIO)->end, 2.0, 0.1);

  const test::TaskResult mapped =
      test::RunTask({"-i", input, "-map", "0.1", "-acodec", "pcm_s16le", dir.file("mapped.wav")});
  EXPECT_TRUE(mapped.Logged("  Stream #0.1 -> #0.0 (Audio)"));
  EXPECT_FALSE(mapped.finished);
  EXPECT_EQ(mapped.error, "Output file is empty, nothing was encoded");
}

}  // namespace
}  // namespace velmora
