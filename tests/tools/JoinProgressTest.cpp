// velmora-join's plain step lines: how long each source took, whether the
// sources ran one after another or several at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/JoinProgress.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using TClock = TMergeProgress::TClock;

// Feeds the report a list of snapshots, each at its second since the start,
// and returns what it printed.
std::string Report(const std::vector<std::pair<int, TMergeView>> &snapshots) {
  char *text = nullptr;
  std::size_t size = 0;
  std::FILE *out = open_memstream(&text, &size);
  {
    TMergeProgress progress(out, false);
    const TClock::time_point start = TClock::now();
    for (const auto &[second, view] : snapshots)
      progress.Show(view, {}, start + std::chrono::seconds(second));
  }
  std::fclose(out);
  std::string printed(text, size);
  std::free(text);
  return printed;
}

TMergeView Rows(std::initializer_list<const char *> statuses) {
  TMergeView view;
  int i = 0;
  for (const char *status : statuses) view.Rows.push_back({"s" + std::to_string(++i), status});
  return view;
}

TEST(JoinProgressTest, EachSourceIsTimedFromTheFreeSlotItTook) {
  const char *ready = "准备", *running = "转换中...", *done = "完成";
  // One at a time: the second starts when the first ends and reports late.
  const std::string serial = Report({{0, Rows({ready, ready})},
                                     {5, Rows({done, ready})},
                                     {7, Rows({done, running})},
                                     {12, Rows({done, done})}});
  EXPECT_NE(serial.find("s1: done in 5.0 s"), std::string::npos) << serial;
  EXPECT_NE(serial.find("s2: done in 7.0 s"), std::string::npos) << serial;
  // Two at once: both start with the merge, the third when the first ends.
  const std::string parallel = Report({{0, Rows({ready, ready, ready})},
                                       {1, Rows({running, running, ready})},
                                       {4, Rows({done, running, ready})},
                                       {5, Rows({done, running, running})},
                                       {6, Rows({done, done, running})},
                                       {9, Rows({done, done, done})}});
  EXPECT_NE(parallel.find("s1: done in 4.0 s"), std::string::npos) << parallel;
  EXPECT_NE(parallel.find("s2: done in 6.0 s"), std::string::npos) << parallel;
  EXPECT_NE(parallel.find("s3: done in 5.0 s"), std::string::npos) << parallel;
}

}  // namespace
}  // namespace velmora
