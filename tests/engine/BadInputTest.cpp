// Inputs that cannot be read, or only in part: each is refused with the
// open-error message of its kind, or runs to an end; never a crash or hang.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

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

}  // namespace
}  // namespace velmora
