// The FFmpeg libraries are loaded by name at run time; no built program may
// name one among the libraries it needs.
#include <gtest/gtest.h>

#include <sstream>

#include "support/TestSupport.h"

namespace velmora {
namespace {

TEST(BinaryDependencies, NoProgramNeedsAnFFmpegLibrary) {
  std::istringstream programs(VELMORA_BUILT_PROGRAMS);
  std::string program;
  int checked = 0;
  while (std::getline(programs, program, '|')) {
    std::string output;
    ASSERT_EQ(test::RunProgram({"readelf", "-d", program}, &output), 0) << output;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.find("(NEEDED)") == std::string::npos) continue;
      for (const char *library : {"libav", "libsw", "libpostproc"})
        EXPECT_EQ(line.find(std::string("[") + library), std::string::npos)
            << program << ": " << line;
    }
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace velmora
