// The messages a user meets when a task cannot be set up, and what such a
// task leaves behind: no empty output file, and the sources untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class SetupMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_QUIET);
    input = dir.file("in.mpg");
    test::MakeClip(input, 0.5, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"});
  }
  test::TempDir dir;
  std::string input;
};

TEST_F(SetupMessagesTest, RefusedTasksSayWhyAndLeaveNoEmptyOutput) {
  struct Case {
    std::vector<std::string> before;  // options before the input
    std::vector<std::string> after;   // options after it
    std::string output;               // in the test folder
    std::string message;              // "%s" stands for the output path
    std::function<void(TCustomFFmpeg &)> prepare;
  };
  const std::vector<std::string> copy = {"-vcodec", "copy", "-acodec", "copy"};
  auto with = [&](std::vector<std::string> extra) {
    extra.insert(extra.end(), copy.begin(), copy.end());
    return extra;
  };
  const Case cases[] = {
      {{}, copy, "out.nosuchformat", "Unable to find a suitable output format for '%s'", {}},
      {{}, copy, "missing/out.mkv", "Could not open '%s'", {}},
      {{}, with({"-map", "0.0"}), "out.mkv",
       "Number of stream maps must match number of output streams", {}},
      {{}, with({"-map", "0.0", "-map", "0.7"}), "out.mkv", "Could not find input stream #0.7", {}},
      {{}, with({"-map", "0.1", "-map", "0.0"}), "out.mkv",
       "Codec type mismatch for mapping #0.1 (Audio) -> #0.0 (Video)", {}},
      {{}, with({"-vol", "512"}), "out.mkv",
       "-acodec copy and -vol are incompatible (frames are not decoded)", {}},
      {{}, copy, "out.mkv", "-vcodec copy and PostHooks are incompatible (frames are not decoded)",
       [](TCustomFFmpeg &e) { e.PreviewFlags = 1; }},
      {{}, copy, "out.mkv",
       "-vcodec copy and CustomHook are incompatible (frames are not decoded)",
       [](TCustomFFmpeg &e) { e.CustomHookInstalled = true; }},
      {{}, {"-vcodec", "nosuch", "-acodec", "copy"}, "out.mkv",
       "new_video_stream fail: Unknown encoder 'nosuch'", {}},
      {{}, {"-vcodec", "aac", "-acodec", "copy"}, "out.mkv",
       "new_video_stream fail: Invalid encoder type 'aac'", {}},
      {{}, {"-vn", "-an"}, "out.mkv", "Output file #0 does not contain any stream", {}},
      {{"-acodec", "nosuch"}, copy, "out.mkv", "Unknown decoder 'nosuch'", {}},
      // Runs that write nothing: everything before the start, or no frame allowed.
      {{}, with({"-ss", "100"}), "out.mkv", "Output file is empty, nothing was encoded", {}},
      {{}, with({"-vframes", "0"}), "out.mpg", "Output file is empty, nothing was encoded", {}},
      // An encoder that refuses its parameters (MP2 takes at most two channels).
      {{}, {"-vn", "-ac", "8", "-acodec", "mp2"}, "out.mp2",
       "Error while opening codec for output stream #0.0 (Audio) - maybe incorrect parameters "
       "such as bit_rate, rate, width or height",
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    const std::string output = dir.file(c.output);
    std::vector<std::string> args = c.before;
    args.insert(args.end(), {"-i", input});
    args.insert(args.end(), c.after.begin(), c.after.end());
    args.push_back(output);
    TCustomFFmpeg engine;
    if (c.prepare) c.prepare(engine);
    const test::TaskResult result = test::RunTask(engine, args);
    std::string expected = c.message;
    if (const auto at = expected.find("%s"); at != std::string::npos)
      expected.replace(at, 2, output);
    EXPECT_EQ(result.error, expected);
    EXPECT_FALSE(result.finished);
    std::error_code error;
    EXPECT_FALSE(fs::exists(output, error) && fs::file_size(output, error) == 0)
        << "an empty output was left behind";
  }
  EXPECT_TRUE(fs::exists(input));
}

TEST_F(SetupMessagesTest, JoinModeTakesOneOutputOnly) {
  TCustomFFmpeg engine;
  engine.CreateOptionContexts();
  ASSERT_TRUE(engine.OpenInputFile(input));
  ASSERT_TRUE(engine.OpenInputFile(input));
  engine.SetOption("vcodec", "copy");
  engine.SetOption("acodec", "copy");
  EXPECT_EQ(engine.OpenOutputFile(dir.file("joined.mpg"), true), 2);
  EXPECT_TRUE(engine.JoinMode());
  EXPECT_EQ(engine.OpenOutputFile(dir.file("second.mpg"), true), -1);
  EXPECT_EQ(engine.LastError(), "Cannot join more than one output file.");
  engine.ClearEngine();
  // Nothing was written: the opened output is removed again.
  EXPECT_FALSE(fs::exists(dir.file("joined.mpg")));
}

TEST_F(SetupMessagesTest, ASourceIsNeverTheOutput) {
  const auto size = fs::file_size(input);
  const test::TaskResult result =
      test::RunTask({"-i", input, "-vcodec", "copy", "-acodec", "copy", "-f", "mpeg", input});
  EXPECT_EQ(result.error, "Output file '" + input + "' is an input file");
  EXPECT_EQ(fs::file_size(input), size);
}

}  // namespace
}  // namespace velmora
