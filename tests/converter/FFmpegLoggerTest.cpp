#include "converter/FFmpegLogger.h"

#include <gtest/gtest.h>

#include <thread>

#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

struct Line {
  int level;
  std::string text;
  std::thread::id thread;
};

class RecordingTarget : public TLogLineTarget {
 public:
  RecordingTarget() { TComponentRegistry::Instance().Add(this); }
  ~RecordingTarget() override { TComponentRegistry::Instance().Remove(this); }
  void DeliverLibraryLine(int level, const std::string &line) override {
    lines.push_back({level, line, std::this_thread::get_id()});
  }
  std::vector<Line> lines;
};

class FFmpegLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    InstallLibraryLogCallback();
    ClearPendingLines();
    SetLibraryLogLevel(1);
  }
  RecordingTarget target;
};

TEST_F(FFmpegLoggerTest, PiecesOfOneThreadBecomeOneLineWithTheContextPrefix) {
  AVCodecContext *context = ff.avcodec_alloc_context3(nullptr);
  ff.av_log(context, AV_LOG_INFO, "first %d, ", 1);
  ff.av_log(context, AV_LOG_INFO, "second\n");
  ff.avcodec_free_context(&context);
  ASSERT_EQ(target.lines.size(), 1u);
  EXPECT_EQ(target.lines[0].level, 1);
  const std::string &text = target.lines[0].text;
  EXPECT_EQ(text.rfind("[NULL @ ", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.find(']')), "]first 1, second") << text;
  EXPECT_EQ(text.find(']') - text.find(" @ "), 3u + 16u);  // the full address in hex
}

TEST_F(FFmpegLoggerTest, TwoLineFeedsGiveTwoLinesAndKeepTheRest) {
  ff.av_log(nullptr, AV_LOG_ERROR, "one\ntwo\nthree");
  ASSERT_EQ(target.lines.size(), 2u);
  EXPECT_EQ(target.lines[0].text, "one");
  EXPECT_EQ(target.lines[1].text, "two");
  EXPECT_EQ(target.lines[1].level, 0);
  ff.av_log(nullptr, AV_LOG_ERROR, " and more\n");
  ASSERT_EQ(target.lines.size(), 3u);
  EXPECT_EQ(target.lines[2].text, "three and more");
}

TEST_F(FFmpegLoggerTest, ThreadsKeepTheirUnfinishedLinesApart) {
  ff.av_log(nullptr, AV_LOG_INFO, "main ");
  std::thread worker([] {
    ff.av_log(nullptr, AV_LOG_INFO, "worker ");
    ff.av_log(nullptr, AV_LOG_INFO, "done\n");
  });
  worker.join();
  ff.av_log(nullptr, AV_LOG_INFO, "done\n");
  ASSERT_EQ(target.lines.size(), 2u);
  EXPECT_EQ(target.lines[0].text, "worker done");
  EXPECT_NE(target.lines[0].thread, std::this_thread::get_id());
  EXPECT_EQ(target.lines[1].text, "main done");
}

TEST_F(FFmpegLoggerTest, MessagesAboveTheThresholdAreDropped) {
  SetLibraryLogLevel(0);
  ff.av_log(nullptr, AV_LOG_INFO, "dropped\n");
  ff.av_log(nullptr, AV_LOG_ERROR, "kept\n");
  ASSERT_EQ(target.lines.size(), 1u);
  EXPECT_EQ(target.lines[0].text, "kept");
}

TEST_F(FFmpegLoggerTest, OverlongTextIsCutWithoutLosingTheLineEnd) {
  const std::string longPiece(3000, 'x');
  ff.av_log(nullptr, AV_LOG_INFO, "%s", longPiece.c_str());
  ff.av_log(nullptr, AV_LOG_INFO, "%s\nnext\n", longPiece.c_str());
  ASSERT_EQ(target.lines.size(), 2u);
  EXPECT_EQ(target.lines[0].text.size(), kLogLineBufferSize - 1);
  EXPECT_EQ(target.lines[1].text, "next");
}

TEST_F(FFmpegLoggerTest, ClearingForgetsUnfinishedLines) {
  ff.av_log(nullptr, AV_LOG_INFO, "stale ");
  ClearPendingLines();
  ff.av_log(nullptr, AV_LOG_INFO, "fresh\n");
  ASSERT_EQ(target.lines.size(), 1u);
  EXPECT_EQ(target.lines[0].text, "fresh");
}

}  // namespace
}  // namespace velmora
