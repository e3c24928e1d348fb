// The converter tool's command line: options applied in order, the first
// rejection printed with its exact text, and library loading from LibAV.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string output;
};

ToolRun RunConvert(std::vector<std::string> args, const std::string &program = VELMORA_CONVERT) {
  args.insert(args.begin(), program);
  ToolRun run{};
  run.status = test::RunProgram(args, &run.output);
  return run;
}

TEST(ConvertTool, PrintsTheFirstRejectionAndFails) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"-s", "353x288"}, "Frame size must be a multiple of 2"},
      {{"-threads", "2"}, "TODO: option - threads"},
      {{"-aspect", "16:0"}, "Incorrect aspect ratio specification."},
      {{"-an", "-r", "25", "-vtag", "XVI", "-s", "353x288"}, "video tag parameter must be 4 chars"},
      {{"-ab"}, "Missing argument for option 'ab'"},
  };
  for (const Case &c : cases) {
    const ToolRun run = RunConvert(c.args);
    EXPECT_NE(run.status, 0) << c.message;
    EXPECT_EQ(run.output, c.message + "\n");
  }
}

TEST(ConvertTool, AppliesAValidOptionListAndReportsVersions) {
  ToolRun run = RunConvert({"-vcodec", "mpeg2video", "-b", "2000000", "-an", "-y", "-ss",
                            "-1", "-s", "720x576", "-croptop", "16"});
  EXPECT_EQ(run.status, 0) << run.output;
  run = RunConvert({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("libavcodec     59."), std::string::npos) << run.output;
}

TEST(ConvertTool, ABrokenLibraryInLibAVLoadsNothing) {
  test::TempDir dir;
  const fs::path copy = dir.path() / "velmora-convert";
  fs::copy_file(VELMORA_CONVERT, copy);
  fs::create_directory(dir.path() / "LibAV");
  const fs::path broken = dir.path() / "LibAV" / "libswscale.so.6";
  std::ofstream(broken) << "not a library";
  const ToolRun run = RunConvert({"--version"}, copy.string());
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output.rfind("Load library " + broken.string() + " error: ", 0), 0u)
      << run.output;
}

// A one-second MPEG-1 clip for the tool to convert.
std::string MakeSource(const test::TempDir &dir) {
  const std::string source = dir.file("source.mpg");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=1:s=64x48:r=25", "-c:v", "mpeg1video", source});
  return source;
}

std::string VideoCodecOf(const std::string &file) {
  std::string output;
  test::RunProgram({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                    "stream=codec_name", "-of", "csv=p=0", file},
                   &output);
  return output;
}

TEST(ConvertTool, RefusesNamesNeitherTheEngineNorTheLibraryKnows) {
  test::TempDir dir;
  const std::string source = MakeSource(dir);
  const std::string out = dir.file("out.avi");
  ToolRun run = RunConvert({"-i", source, "-frobnicate", "3", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Unrecognized option 'frobnicate'.\n");
  EXPECT_FALSE(fs::exists(out));
  // Library options and private options of encoders are known.
  run = RunConvert({"-i", source, "-g", "12", "-an", "-vcodec", "mpeg4", "-trellis", "0", out});
  EXPECT_EQ(run.status, 0) << run.output;
}

TEST(ConvertTool, TodaysSpellingsMapToTheEngineOptions) {
  test::TempDir dir;
  const std::string source = MakeSource(dir);
  const std::string out = dir.file("out.avi");
  const ToolRun run = RunConvert({"-nostdin", "-hide_banner", "-i", source, "-c:v", "mjpeg",
                                  "-q:v", "3", "-vf", "hflip", "-an", out});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(VideoCodecOf(out), "mjpeg\n");
}

TEST(ConvertTool, AnExistingOutputIsOverwrittenOnlyWithY) {
  test::TempDir dir;
  const std::string source = MakeSource(dir);
  const std::string out = dir.file("out.mpg");
  std::ofstream(out) << "keep me";
  ToolRun run = RunConvert({"-i", source, "-an", out});  // standard input is no terminal
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "File '" + out + "' already exists; give -y to overwrite it.\n");
  EXPECT_EQ(fs::file_size(out), 7u);
  run = RunConvert({"-i", source, "-an", "-y", out});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_GT(fs::file_size(out), 7u);
}

TEST(ConvertTool, HelpAndNoArgumentsPrintTheUsage) {
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{}, {"-h"}, {"--help"}, {"-i", "x.avi", "-h"}}) {
    const ToolRun run = RunConvert(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("usage: velmora-convert ", 0), 0u) << run.output;
  }
}

}  // namespace
}  // namespace velmora
