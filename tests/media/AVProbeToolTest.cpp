// velmora-probe: the information text of a file on standard output, the
// records on request, and the probe's error text with a failure status.
#include <gtest/gtest.h>

#include <string>

#include "libav/FFmpegLoader.h"
#include "media/AVProbe.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

TEST(ProbeTool, PrintsTheInformationTextAndTheRecords) {
  ASSERT_NO_FATAL_FAILURE(test::LoadSystemLibraries());
  test::TempDir dir;
  const std::string path = dir.file("clip.mp4");
  ASSERT_NO_FATAL_FAILURE(test::Ffmpeg({"-f", "lavfi", "-i",
                                        "sine=frequency=440:sample_rate=8000:duration=1",
                                        "-c:a", "aac", path}));
  TAVProbe probe;
  ASSERT_TRUE(probe.LoadFile(path)) << probe.LastError();
  const std::string text = probe.InfoText();

  std::string output;
  EXPECT_EQ(test::RunProgram({VELMORA_PROBE, path}, &output), 0);
  EXPECT_EQ(output, text);

  EXPECT_EQ(test::RunProgram({VELMORA_PROBE, "--records", path}, &output), 0);
  EXPECT_EQ(output.rfind(text, 0), 0u);
  std::string recordsAfter;  // the switch may also follow the file
  EXPECT_EQ(test::RunProgram({VELMORA_PROBE, path, "--records"}, &recordsAfter), 0);
  EXPECT_EQ(recordsAfter, output);
  for (const char *field : {"\n[File]\n", "\nDuration=1000000\n", "\n[Audio #0]\n",
                            "\nSampleRate=8000\n", "\n[Video #-1]\n", "\nWidth=-1\n",
                            "no video stream.\n"})
    EXPECT_NE(output.find(field), std::string::npos) << field << " in\n" << output;
}

TEST(ProbeTool, FailsWithTheProbesError) {
  std::string output;
  EXPECT_EQ(test::RunProgram({VELMORA_PROBE, "/nonexistent/clip.mp4"}, &output), 1);
  EXPECT_EQ(output, "/nonexistent/clip.mp4: no such file or directory\n");
  EXPECT_EQ(test::RunProgram({VELMORA_PROBE}, &output), 2);
  EXPECT_EQ(output, "usage: velmora-probe [--records] FILE\n");
}

}  // namespace
}  // namespace velmora
