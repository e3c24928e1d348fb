// Frame hooks and previews inside real encodes: a flat grey 25 fps source is
// re-encoded losslessly, and the pictures of the result show which ones the
// hooks changed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "RecordingHook.h"
#include "libav/FFmpegLoader.h"
#include "media/Previewer.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using test::Ffmpeg;
using test::RunTask;
using test::TaskResult;

constexpr int kWidth = 64, kHeight = 48, kRate = 25;
constexpr int kGrey = 100;  // red, green and blue of every source picture

class HookedEncodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
    test::TakeRecordingHookTrace();
  }

  // A flat grey picture of `seconds`, lossless.
  std::string Source(double seconds) {
    const std::string file = dir_.file("grey.mkv");
    Ffmpeg({"-f", "lavfi", "-i",
            "color=c=0x646464:size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                ":rate=" + std::to_string(kRate) + ":duration=" + std::to_string(seconds),
            "-pix_fmt", "yuv420p", "-c:v", "ffv1", file});
    return file;
  }

  // Encodes `source` losslessly through `engine` with `options` first.
  std::string Encode(TCustomFFmpeg &engine, const std::string &source,
                     std::vector<std::string> options = {}) {
    const std::string output = dir_.file("out.mkv");
    std::vector<std::string> args = {"-i", source};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"-vcodec", "ffv1", "-y", output});
    const TaskResult result = RunTask(engine, args);
    EXPECT_TRUE(result.opened && result.finished) << result.error;
    log_ = result.log;
    return output;
  }

  // The pictures of `file` as `pixelFormat` bytes, one string per picture.
  std::vector<std::string> Pictures(const std::string &file, const std::string &pixelFormat,
                                    int bytesPerPixel) {
    const std::string raw = dir_.file("pictures.raw");
    Ffmpeg({"-i", file, "-f", "rawvideo", "-pix_fmt", pixelFormat, raw});
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t size = static_cast<std::size_t>(kWidth) * kHeight * bytesPerPixel;
    std::vector<std::string> pictures;
    for (std::size_t at = 0; at + size <= bytes.size(); at += size)
      pictures.push_back(bytes.substr(at, size));
    return pictures;
  }

  // Per output picture: whether the hook inverted its luma.
  std::vector<bool> Inverted(const std::string &file) {
    std::vector<bool> inverted;
    for (const std::string &picture : Pictures(file, "gray", 1))
      inverted.push_back(std::abs(static_cast<unsigned char>(picture[0]) - kGrey) > 30);
    return inverted;
  }

  bool Logged(const std::string &text) const {
    for (const auto &[level, line] : log_)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  test::TempDir dir_;
  std::vector<std::pair<int, std::string>> log_;
};

// Pictures 0..n-1 where `hooked(i)` says which ones a hook should change.
std::vector<bool> Expected(int n, const std::function<bool(int)> &hooked) {
  std::vector<bool> expected;
  for (int i = 0; i < n; ++i) expected.push_back(hooked(i));
  return expected;
}

TEST_F(HookedEncodeTest, PluginsChangeExactlyThePicturesInTheRanges) {
  const std::string source = Source(14);
  TCustomFFmpeg engine;
  // Given out of order, as a user may type them.
  engine.SetHookRanges({{10000000, 12000000}, {0, 5000000}});
  const std::string output =
      Encode(engine, source, {"-vhook", std::string(VELMORA_RECORDING_HOOK) + " ranges"});
  // Picture i shows at i/25 s: 0..5 s is pictures 0..125, 10..12 s 250..300.
  EXPECT_EQ(Inverted(output), Expected(14 * kRate, [](int i) {
              return i <= 125 || (i >= 250 && i <= 300);
            }));
  // One Process call per hooked picture, then Release when the engine is cleared.
  const std::string trace = test::TakeRecordingHookTrace();
  EXPECT_NE(trace.find("ranges@12000000;release:ranges;"), std::string::npos);
  EXPECT_EQ(trace.find("ranges@12040000"), std::string::npos);
}

TEST_F(HookedEncodeTest, TheBeforeHookIgnoresOnePictureAndARaiseEndsHooking) {
  const std::string source = Source(3);
  TCustomFFmpeg engine;
  engine.OnBeforeHook = [](THookAction &action, std::int64_t pts) {
    if (pts == 1000000) action = haIgnore;   // picture 25
    if (pts == 1040000) action = haContinue;  // picture 26
    if (pts == 2000000) throw std::runtime_error("decider broke");  // picture 50
  };
  const std::string output =
      Encode(engine, source, {"-vhook", std::string(VELMORA_RECORDING_HOOK) + " before"});
  EXPECT_EQ(Inverted(output),
            Expected(3 * kRate, [](int i) { return i < 50 && i != 25; }));
  EXPECT_TRUE(Logged("Error occurs OnBeforeHook: decider broke"));
}

TEST_F(HookedEncodeTest, TheCustomHookPaintsKeepsAndStopsInTheOutput) {
  const std::string source = Source(2);
  TCustomFFmpeg engine;
  engine.CustomHookInstalled = true;
  engine.OnCustomHook = [](TBitmap &bitmap, bool &stop, bool &update, std::int64_t,
                           int frameNumber) {
    // A blue 16x16 square in the top-left corner (the bitmap is BGR).
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        std::uint8_t *p = bitmap.Row(y) + 3 * x;
        p[0] = 255, p[1] = 0, p[2] = 0;
      }
    if (frameNumber == 10) update = false;
    if (frameNumber == 20) stop = true;
  };
  const std::string output = Encode(engine, source);
  std::vector<bool> painted;
  for (const std::string &picture : Pictures(output, "rgb24", 3)) {
    const std::size_t inside = (8 * kWidth + 8) * 3, outside = (40 * kWidth + 40) * 3;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(picture[i]); };
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(at(outside + c), kGrey, 1) << "outside the square";
    painted.push_back(at(inside + 2) > 200 && at(inside) < 60);
  }
  // Frame numbers count from 1: number 10 is picture 9, number 20 picture 19
  // (painted, and the last one).
  EXPECT_EQ(painted, Expected(2 * kRate, [](int i) { return i < 20 && i != 9; }));
  EXPECT_FALSE(engine.CustomHookInstalled);
}

// Previews are throttled by running time: a custom hook that leaves the
// pictures alone but takes `milliseconds` on each makes a run long enough
// for several.
void SlowEachPicture(TCustomFFmpeg &engine, int milliseconds) {
  engine.CustomHookInstalled = true;
  engine.OnCustomHook = [milliseconds](TBitmap &, bool &, bool &update, std::int64_t, int) {
    update = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
    }
  };
}

TEST_F(HookedEncodeTest, PreviewsOfARunAreThrottled) {
  const std::string source = Source(3);
  TCustomFFmpeg engine;
  SlowEachPicture(engine, 8);  // 75 pictures: at least 0.6 s
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> arrivals;
  std::vector<int> frameNumbers;
  engine.OnPreviewBitmapReceiver = [&](const TBitmap &bitmap, int frameNumber, std::int64_t) {
    EXPECT_EQ(bitmap.Width, kWidth);
    arrivals.push_back(Clock::now());
    frameNumbers.push_back(frameNumber);
  };
  engine.PreviewFlags = 2;
  const Clock::time_point start = Clock::now();
  Encode(engine, source);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_FALSE(arrivals.empty());
  EXPECT_EQ(frameNumbers.front(), 1);
  // The engine decides more than 0.1 s apart, so the run holds at most one
  // preview per 0.1 s. An arrival is timed after the picture's conversion,
  // whose length varies on a loaded machine, so two arrivals can be a little
  // closer than the decisions were; unthrottled they would be one picture
  // (8 ms) apart.
  EXPECT_LE(arrivals.size(), 1 + static_cast<std::size_t>(seconds / 0.1));
  for (std::size_t i = 1; i < arrivals.size(); ++i)
    EXPECT_GT(arrivals[i] - arrivals[i - 1], std::chrono::milliseconds(50));
  EXPECT_GE(arrivals.size(), 3u);
}

// A preview window the user closes while it shows its third picture.
struct ClosingWindow : IPreviewWindow {
  std::vector<std::string> *captions = nullptr;
  std::function<void()> closed;
  void Show(int, int) override {}
  void SetCaption(const std::string &caption) override { captions->push_back(caption); }
  void Paint(const TBitmap &) override {
    if (captions->size() == 3) closed();
  }
};

TEST_F(HookedEncodeTest, ClosingThePreviewWindowEndsPreviewsNotTheRun) {
  const std::string source = Source(3);
  std::vector<std::string> captions;
  SetPreviewWindowFactory([&](std::function<void()> closed) {
    auto window = std::make_unique<ClosingWindow>();
    window->captions = &captions;
    window->closed = std::move(closed);
    return window;
  });
  TCustomFFmpeg engine;
  SlowEachPicture(engine, 8);
  engine.PreviewFlags = 1;
  const std::string output = Encode(engine, source);
  SetPreviewWindowFactory(nullptr);
  EXPECT_EQ(captions.size(), 3u);
  EXPECT_EQ(engine.PreviewFlags, 0);
  EXPECT_EQ(Pictures(output, "gray", 1).size(), 3u * kRate);
}

}  // namespace
}  // namespace velmora
