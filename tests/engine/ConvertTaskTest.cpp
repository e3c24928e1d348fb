// velmora-convert runs one task: it converts, joins with -join, prints the
// report line as progress, and its exit status says whether the task ended
// with an output.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

TEST(ConvertTask, JoinsTwoSourcesAndReportsProgress) {
  test::LoadSystemLibraries();
  test::TempDir dir;
  const std::vector<std::string> mpeg = {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"};
  test::MakeClip(dir.file("a.mpg"), 0.6, mpeg);
  test::MakeClip(dir.file("b.mpg"), 0.4, mpeg);
  const std::string output = dir.file("joined.mpg");
  std::string text;
  const int status = test::RunProgram({VELMORA_CONVERT, "-i", dir.file("a.mpg"), "-i",
                                       dir.file("b.mpg"), "-vcodec", "copy", "-acodec", "copy",
                                       "-join", output},
                                      &text);
  EXPECT_EQ(status, 0) << text;
  EXPECT_NE(text.find("frame=   25"), std::string::npos) << text;
  EXPECT_EQ(test::Summarize(output).Find(AVMEDIA_TYPE_VIDEO)->frames, 25);

  const std::string missing = dir.file("missing.mpg");
  EXPECT_NE(test::RunProgram({VELMORA_CONVERT, "-i", missing, dir.file("x.mkv")}, &text), 0);
  EXPECT_EQ(text, missing + ": no such file or directory\n");

  // A run that wrote nothing did not end well.
  EXPECT_EQ(test::RunProgram({VELMORA_CONVERT, "-i", dir.file("a.mpg"), "-ss", "100", "-vcodec",
                              "copy", "-acodec", "copy", dir.file("empty.mkv")},
                             &text),
            1);
  EXPECT_NE(text.find("Output file is empty, nothing was encoded\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace velmora
