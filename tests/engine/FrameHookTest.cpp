// Frame-hook plug-ins, the per-picture decision, the custom hook and the
// preview step, driven on pictures made here.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "RecordingHook.h"
#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "media/Previewer.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

std::vector<std::string> gLibraryLog;

void CollectLibraryLog(void *, int level, const char *format, va_list args) {
  if (level > AV_LOG_ERROR) return;
  char line[1024];
  std::vsnprintf(line, sizeof line, format, args);
  gLibraryLog.emplace_back(line);
}

struct FrameFree {
  void operator()(AVFrame *frame) const { ff.av_frame_free(&frame); }
};
using Frame = std::unique_ptr<AVFrame, FrameFree>;

Frame MakeFrame(AVPixelFormat format, int width, int height, std::uint8_t fill) {
  Frame frame(ff.av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  EXPECT_GE(ff.av_frame_get_buffer(frame.get(), 0), 0);
  for (int plane = 0; plane < 4 && frame->data[plane]; ++plane) {
    const int rows = plane == 0 || format == AV_PIX_FMT_BGR24 ? height : (height + 1) / 2;
    for (int y = 0; y < rows; ++y)
      std::memset(frame->data[plane] + y * frame->linesize[plane], plane == 0 ? fill : 128,
                  static_cast<std::size_t>(frame->linesize[plane]));
  }
  return frame;
}

class FrameHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    gLibraryLog.clear();
    ff.av_log_set_callback(&CollectLibraryLog);
    engine.OnLog = [this](int level, const std::string &text) {
      engineLog.emplace_back(level, text);
    };
    test::TakeRecordingHookTrace();
  }
  void TearDown() override { ff.av_log_set_callback(ff.av_log_default_callback); }

  bool EngineLogged(const std::string &text) const {
    for (const auto &[level, line] : engineLog)
      if (level == 0 && line == text) return true;
    return false;
  }

  TCustomFFmpeg engine;
  std::vector<std::pair<int, std::string>> engineLog;
};

TEST_F(FrameHookTest, ALibraryAddedTwiceIsLoadedOnceAndRunsEachContextInOrder) {
  const std::string path = VELMORA_RECORDING_HOOK;
  const std::size_t loadedBefore = LoadedHookLibraryCount();
  engine.SetOption("vhook", path + " first x");
  engine.SetOption("vhook", path + "|second");
  EXPECT_TRUE(engine.Options().usingFrameHooks);
  const std::size_t loaded = LoadedHookLibraryCount();
  EXPECT_LE(loaded - loadedBefore, 1u);
  EXPECT_EQ(test::TakeRecordingHookTrace(), "configure:3:first:x;configure:2:second;");

  Frame frame = MakeFrame(AV_PIX_FMT_YUV420P, 16, 8, 10);
  engine.RunFrameHooks(frame.get(), frame->format, 16, 8, 40000);
  EXPECT_EQ(test::TakeRecordingHookTrace(), "first@40000;second@40000;");
  EXPECT_EQ(frame->data[0][0], 10);  // inverted twice

  // A second engine shares the loaded library.
  TCustomFFmpeg other;
  EXPECT_EQ(other.AddFrameHook({path}), 0);
  EXPECT_EQ(LoadedHookLibraryCount(), loaded);
  test::TakeRecordingHookTrace();

  engine.ClearEngine();
  EXPECT_EQ(test::TakeRecordingHookTrace(), "release:first;release:second;");
  engine.RunFrameHooks(frame.get(), frame->format, 16, 8, 0);
  EXPECT_EQ(test::TakeRecordingHookTrace(), "");
}

TEST_F(FrameHookTest, LibrariesThatCannotBeUsedAreRefusedWithTheirReason) {
  struct Case {
    std::vector<std::string> words;
    int result;
    std::string libraryLog;  // empty: any text (the loader's)
  };
  const std::string noProcess = VELMORA_NO_PROCESS_HOOK;
  const std::string noConfigure = VELMORA_NO_CONFIGURE_HOOK;
  const std::string recording = VELMORA_RECORDING_HOOK;
  const std::vector<Case> cases = {
      {{}, -2, ""},
      {{noProcess}, -2, "Failed to find Process entrypoint in " + noProcess + "\n"},
      {{noConfigure, "arg"}, -2, "Failed to find Configure entrypoint in " + noConfigure + "\n"},
      {{recording, "fail"}, -22, "Failed to Configure " + recording + "\n"},
      {{"/nonexistent/hook.so"}, -1, ""},
  };
  for (const Case &c : cases) {
    gLibraryLog.clear();
    TCustomFFmpeg fresh;
    EXPECT_EQ(fresh.AddFrameHook(c.words), c.result) << testing::PrintToString(c.words);
    if (c.words.empty()) continue;
    ASSERT_EQ(gLibraryLog.size(), 1u) << testing::PrintToString(c.words);
    if (!c.libraryLog.empty()) {
      EXPECT_EQ(gLibraryLog[0], c.libraryLog);
    }
  }
  // Without arguments a library without Configure is fine.
  EXPECT_EQ(engine.AddFrameHook({noConfigure}), 0);

  // Through the option, the value is named in the error.
  const std::string value = noProcess + " a b";
  try {
    engine.SetOption("vhook", value);
    ADD_FAILURE() << "accepted";
  } catch (const FFmpegException &e) {
    EXPECT_EQ(std::string(e.what()), "Failed to add video hook function: " + value);
  }
}

TEST_F(FrameHookTest, RangesChooseThePicturesAndEndHookingAfterTheLast) {
  engine.Options().usingFrameHooks = true;
  engine.SetHookRanges({{10000000, 12000000}, {0, 5000000}});
  struct Step {
    std::int64_t pts;
    bool hooked;
  };
  const std::vector<Step> steps = {
      {0, true},         {2500000, true},   {5000000, true},   {5040000, false},
      {9960000, false},  {10000000, true},  {12000000, true},  {12040000, false},
      {11000000, false},  // after the last range hooking stays off
  };
  for (const Step &s : steps) EXPECT_EQ(engine.FrameHooksApply(s.pts), s.hooked) << s.pts;
  EXPECT_FALSE(engine.Options().usingFrameHooks);
  EXPECT_EQ(engine.HookAction(), haStop);
}

TEST_F(FrameHookTest, TheBeforeHookKeepsItsActionAndARaiseEndsHooking) {
  engine.Options().usingFrameHooks = true;
  std::vector<THookAction> seen;
  engine.OnBeforeHook = [&](THookAction &action, std::int64_t pts) {
    seen.push_back(action);
    if (pts == 1) action = haIgnore;
    if (pts == 3) action = haContinue;
    if (pts == 5) throw std::runtime_error("handler broke");
  };
  std::vector<bool> hooked;
  for (std::int64_t pts = 0; pts < 7; ++pts) hooked.push_back(engine.FrameHooksApply(pts));
  EXPECT_EQ(seen, (std::vector<THookAction>{haContinue, haContinue, haIgnore, haIgnore,
                                            haContinue, haContinue}));
  EXPECT_EQ(hooked, (std::vector<bool>{true, false, false, true, true, false, false}));
  EXPECT_TRUE(EngineLogged("Error occurs OnBeforeHook: handler broke"));
}

TEST_F(FrameHookTest, TheCustomHookPaintsKeepsOrStopsAsTold) {
  // A blue square in the top-left quarter; `update` and `stop` per call.
  struct Call {
    bool update;
    bool stop;
    bool raise;
  };
  for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_BGR24}) {
    TCustomFFmpeg hooked;
    hooked.OnLog = engine.OnLog;
    hooked.CustomHookInstalled = true;
    std::vector<Call> calls = {{true, false, false}, {false, false, false},
                               {true, false, true}, {true, true, false}};
    std::size_t next = 0;
    std::vector<int> frameNumbers;
    hooked.OnCustomHook = [&](TBitmap &bitmap, bool &stop, bool &update, std::int64_t,
                              int frame) {
      frameNumbers.push_back(frame);
      const Call call = calls.at(next++);
      for (int y = 0; y < bitmap.Height / 2; ++y)
        for (int x = 0; x < bitmap.Width / 2; ++x) {
          std::uint8_t *p = bitmap.Row(y) + 3 * x;
          p[0] = 255, p[1] = 0, p[2] = 0;
        }
      update = call.update;
      stop = call.stop;
      if (call.raise) throw std::runtime_error("painter broke");
    };
    auto painted = [&](int frameNumber) {
      Frame frame = MakeFrame(format, 32, 16, 100);
      const int before = frame->data[0][0];
      hooked.HookPicture(frame.get(), frameNumber * 40000, frameNumber);
      // The way back from the bitmap may round the unpainted part by one.
      const int outside = frame->data[0][31 * (format == AV_PIX_FMT_BGR24 ? 3 : 1)];
      EXPECT_LE(std::abs(outside - before), 1) << "outside the square";
      return std::abs(frame->data[0][0] - before) > 20;
    };
    EXPECT_TRUE(painted(1));
    EXPECT_FALSE(painted(2));  // update false
    EXPECT_FALSE(painted(3));  // raised
    EXPECT_TRUE(painted(4));   // stop: this picture keeps its paint
    EXPECT_FALSE(painted(5));  // and no hook sees the next
    EXPECT_EQ(frameNumbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(hooked.CustomHookInstalled);
    EXPECT_EQ(hooked.HookAction(), haStop);
  }
  EXPECT_TRUE(EngineLogged("Error occurs OnCustomHook: painter broke"));
}

// A preview window that records its captions; it is closed by the user
// while it shows picture number `closeAt`.
struct RecordingWindow : IPreviewWindow {
  std::vector<std::string> *captions = nullptr;
  std::function<void()> closed;
  std::size_t closeAt = 0;
  void Show(int, int) override {}
  void SetCaption(const std::string &caption) override { captions->push_back(caption); }
  void Paint(const TBitmap &) override {
    if (captions->size() == closeAt) closed();
  }
};

TEST_F(FrameHookTest, PreviewsAreThrottledTheBitmapReceiverWinsAndClosingEndsThem) {
  std::vector<std::string> captions;
  SetPreviewWindowFactory([&](std::function<void()> closed) {
    auto window = std::make_unique<RecordingWindow>();
    window->captions = &captions;
    window->closed = std::move(closed);
    window->closeAt = 1;
    return window;
  });
  CodecContextPtr encoder(ff.avcodec_alloc_context3(nullptr));
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->width = 32;
  encoder->height = 16;
  encoder->time_base = AVRational{1, 25};
  Frame frame = MakeFrame(AV_PIX_FMT_YUV420P, 32, 16, 50);
  frame->pts = 25;

  // Both flags and a receiver: only the receiver is served; the picture
  // right after the first is not previewed.
  std::vector<std::int64_t> delivered;
  engine.OnPreviewBitmapReceiver = [&](const TBitmap &bitmap, int, std::int64_t pts) {
    EXPECT_EQ(bitmap.Width, 32);
    delivered.push_back(pts);
  };
  engine.PreviewFlags = 3;
  engine.PreviewPicture(frame.get(), encoder.get(), 1);
  engine.PreviewPicture(frame.get(), encoder.get(), 2);
  EXPECT_EQ(delivered, (std::vector<std::int64_t>{1000000}));
  EXPECT_TRUE(captions.empty());
  EXPECT_EQ(engine.PreviewFlags, 3);

  // The window alone; the user closes it on the first picture, which ends
  // previewing for the task.
  TCustomFFmpeg windowed;
  windowed.PreviewFlags = 1;
  frame->pts = AV_NOPTS_VALUE;
  windowed.PreviewPicture(frame.get(), encoder.get(), 1);
  EXPECT_EQ(captions, (std::vector<std::string>{"N/A"}));
  EXPECT_EQ(windowed.PreviewFlags, 0);
  SetPreviewWindowFactory(nullptr);
}

}  // namespace
}  // namespace velmora
