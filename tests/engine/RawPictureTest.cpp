// Pictures passed on unchanged: outputs that take raw pictures, and the
// 24-bit BGR bitmap that hooks and previews see, there and back.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "EngineTestSupport.h"
#include "engine/FrameHookBitmap.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using test::Ffmpeg;

class RawPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
  }
  // The pictures of `file` decoded as yuv420p bytes, by the ffmpeg tool.
  std::string Pixels(const std::string &file) {
    const std::string raw = dir_.file("pixels-" + std::to_string(count_++) + ".yuv");
    Ffmpeg({"-i", file, "-f", "rawvideo", "-pix_fmt", "yuv420p", raw});
    std::ifstream in(raw, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  test::TempDir dir_;
  int count_ = 0;
};

TEST_F(RawPictureTest, RawPictureOutputsKeepEveryPixel) {
  const std::string source = dir_.file("source.mkv");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4", "-pix_fmt",
          "yuv420p", "-c:v", "ffv1", source});
  const std::string expected = Pixels(source);
  ASSERT_EQ(expected.size(), 10u * 64 * 48 * 3 / 2);
  // yuv4mpegpipe takes the pictures themselves; rawvideo their bytes.
  for (const std::vector<std::string> &output :
       {std::vector<std::string>{dir_.file("out.y4m")},
        std::vector<std::string>{"-f", "rawvideo", dir_.file("out.yuv")}}) {
    std::vector<std::string> args = {"-i", source};
    args.insert(args.end(), output.begin(), output.end());
    const test::TaskResult result = test::RunTask(args);
    ASSERT_TRUE(result.finished) << result.error;
    if (output.size() == 1) {
      EXPECT_EQ(Pixels(output.back()), expected) << output.back();
    } else {
      std::ifstream in(output.back(), std::ios::binary);
      EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), expected);
    }
  }
}

struct FrameFree {
  void operator()(AVFrame *frame) const { ff.av_frame_free(&frame); }
};

std::unique_ptr<AVFrame, FrameFree> MakePicture(AVPixelFormat format, int width, int height) {
  std::unique_ptr<AVFrame, FrameFree> frame(ff.av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  EXPECT_GE(ff.av_frame_get_buffer(frame.get(), 0), 0);
  return frame;
}

TEST_F(RawPictureTest, TheBitmapRoundTripKeepsThePicture) {
  constexpr int kWidth = 34, kHeight = 18;  // rows not a multiple of 4 bytes
  TRgbFrameBuffer buffer;

  // A BGR picture is the bitmap's own layout: every byte comes back, and a
  // painted bitmap is written exactly.
  auto bgr = MakePicture(AV_PIX_FMT_BGR24, kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < 3 * kWidth; ++x) bgr->data[0][y * bgr->linesize[0] + x] = (x * 7 + y * 13) & 0xFF;
  ASSERT_TRUE(buffer.ToBitmap(bgr->data, bgr->linesize, AV_PIX_FMT_BGR24, kHeight, kWidth));
  for (int y = 0; y < kHeight; ++y)
    EXPECT_EQ(std::memcmp(buffer.Bitmap().Row(y), bgr->data[0] + y * bgr->linesize[0], 3 * kWidth), 0);
  buffer.Bitmap().Row(5)[7] = 1;
  ASSERT_TRUE(buffer.FromBitmap(bgr->data, bgr->linesize, AV_PIX_FMT_BGR24, kHeight, kWidth));
  EXPECT_EQ(bgr->data[0][5 * bgr->linesize[0] + 7], 1);

  // A YUV picture of colours a bitmap can hold comes back unchanged.
  struct Colour {
    const char *name;
    std::uint8_t y, u, v;
  };
  const Colour colours[] = {
      {"black", 16, 128, 128}, {"white", 235, 128, 128}, {"grey", 102, 128, 128},
      {"dark grey", 50, 128, 128}, {"red", 81, 90, 240}, {"blue", 41, 240, 110},
  };
  for (const Colour &c : colours) {
    auto yuv = MakePicture(AV_PIX_FMT_YUV420P, kWidth, kHeight);
    const std::uint8_t values[3] = {c.y, c.u, c.v};
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? kHeight / 2 : kHeight); ++y)
        std::memset(yuv->data[p] + y * yuv->linesize[p], values[p], p ? kWidth / 2 : kWidth);
    ASSERT_TRUE(buffer.ToBitmap(yuv->data, yuv->linesize, AV_PIX_FMT_YUV420P, kHeight, kWidth));
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? kHeight / 2 : kHeight); ++y)
        std::memset(yuv->data[p] + y * yuv->linesize[p], 0, p ? kWidth / 2 : kWidth);
    ASSERT_TRUE(buffer.FromBitmap(yuv->data, yuv->linesize, AV_PIX_FMT_YUV420P, kHeight, kWidth));
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? kHeight / 2 : kHeight); ++y)
        for (int x = 0; x < (p ? kWidth / 2 : kWidth); ++x)
          ASSERT_EQ(yuv->data[p][y * yuv->linesize[p] + x], values[p])
              << c.name << " plane " << p << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace velmora
