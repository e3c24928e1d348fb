// Splitting a converter command line into its steps.
#include "engine/CommandLine.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CommandLine, SplitsOptionsInputsAndOutput) {
  auto takesValue = [](const std::string &name) { return name != "an" && name != "y"; };
  const CommandLine line =
      ParseCommandLine({"-ss", "-1", "-i", "in.avi", "-an", "-ab", "128000", "-y", "out.mp4"},
                       takesValue);
  ASSERT_TRUE(line.error.empty()) << line.error;
  ASSERT_EQ(line.steps.size(), 6u);
  EXPECT_EQ(line.steps[0].value, "-1");
  EXPECT_EQ(line.steps[1].kind, CommandStep::Input);
  EXPECT_EQ(line.steps[2].name, "an");
  EXPECT_EQ(line.steps[2].value, "");
  EXPECT_EQ(line.steps[5].kind, CommandStep::Output);
  EXPECT_EQ(line.steps[5].value, "out.mp4");
  EXPECT_FALSE(ParseCommandLine({"out.mp4", "-an"}, takesValue).error.empty());
  EXPECT_FALSE(ParseCommandLine({"-i"}, takesValue).error.empty());
}

}  // namespace
}  // namespace velmora
