// Closing the main window while a source is being converted: the
// converters' events are detached, the conversion stops, and the window goes
// away without a crash.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "FormFixture.h"
#include "libav/MainThread.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FormFixture;

using ClosingTest = FormFixture;

TEST_F(ClosingTest, ClosingDuringAConversionStopsItWithoutACrash) {
  // Long enough that the conversion is still running when the window closes:
  // it is held at its first progress report.
  const std::string source = (fs::path(sourceFolder) / "long.mpg").string();
  fs::copy_file(test::SharedMedia("closing-source.mpg",
                                  {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=60", "-f",
                                   "lavfi", "-i", "sine=d=60", "-c:v", "mpeg1video", "-c:a",
                                   "mp2", "-f", "mpeg"}),
                source);
  Add(source);
  ASSERT_EQ(form->SourceConverter.TaskCount(), 1);
  const fs::path temp = fs::path(programFolder) / "temp";
  fs::create_directories(temp);

  TFFmpegVCL &converter = form->SourceConverter;
  std::atomic<int> progress{0}, terminations{0};
  converter.SetProgressInterval(100);
  converter.OnProgress = [&](int, int, int, int, float, float, std::int64_t, int) {
    if (progress++ == 0) converter.PauseTasks();
  };
  converter.OnTerminate = [&](int, bool, bool, const std::string &) { ++terminations; };
  converter.StartTasks(1);  // on a worker thread, as a merge runs them
  ASSERT_TRUE(TMainThread::WaitWhileServing([&] { return progress > 0; },
                                            std::chrono::seconds(60)));

  EXPECT_TRUE(form->FormCloseQuery());
  const int progressWhenClosed = progress;
  EXPECT_TRUE(converter.Task(0).IsTerminated());
  EXPECT_FALSE(converter.Task(0).FinishedRun());
  EXPECT_FALSE(converter.OnProgress || converter.OnTerminate || converter.OnLog);
  form->FormClose();
  form.reset();
  EXPECT_EQ(progress, progressWhenClosed);
  EXPECT_EQ(terminations, 0);  // detached before the stop
  EXPECT_FALSE(fs::exists(temp));
}

}  // namespace
}  // namespace velmora
