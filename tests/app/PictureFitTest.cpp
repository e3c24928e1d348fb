// Fitting a source's picture into the chosen frame size, keeping its shape.
#include "app/PictureFit.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(PictureFit, KeepsTheDisplayShapeWithEvenBands) {
  struct Case {
    int w, h, sarNum, sarDen, frameW, frameH;
    double aspect;
    TPictureFit expected;
  };
  const Case cases[] = {
      // 16:9 into 320*240 at 4:3: bars above and below.
      {1280, 720, 1, 1, 320, 240, 4.0 / 3, {320, 180, 30, 30, 0, 0}},
      // 4:3 into 4:3 fills the frame; so does a shape within 1 %.
      {640, 480, 1, 1, 320, 240, 4.0 / 3, {320, 240, 0, 0, 0, 0}},
      {642, 480, 1, 1, 320, 240, 0, {320, 240, 0, 0, 0, 0}},
      // 4:3 into a 16:9 frame: bars left and right.
      {640, 480, 1, 1, 1280, 720, 16.0 / 9, {960, 720, 0, 0, 160, 160}},
      // A DVD picture of non-square pixels showing 16:9.
      {720, 576, 64, 45, 320, 240, 4.0 / 3, {320, 180, 30, 30, 0, 0}},
      // A portrait phone video into 4:3: a narrow column.
      {720, 1280, 1, 1, 320, 240, 4.0 / 3, {132, 240, 0, 0, 94, 94}},
      // The frame's own aspect when none is chosen (176*144 is 11:9).
      {1280, 720, 0, 0, 176, 144, 0, {176, 96, 24, 24, 0, 0}},
  };
  for (const Case &c : cases) {
    const TPictureFit fit = FitPicture(c.w, c.h, c.sarNum, c.sarDen, c.frameW, c.frameH, c.aspect);
    EXPECT_EQ(fit.Width, c.expected.Width) << c.w << "x" << c.h << " in " << c.frameW;
    EXPECT_EQ(fit.Height, c.expected.Height) << c.w << "x" << c.h << " in " << c.frameW;
    EXPECT_EQ(fit.PadTop, c.expected.PadTop);
    EXPECT_EQ(fit.PadBottom, c.expected.PadBottom);
    EXPECT_EQ(fit.PadLeft, c.expected.PadLeft);
    EXPECT_EQ(fit.PadRight, c.expected.PadRight);
    EXPECT_EQ(fit.Width % 2 + fit.Height % 2 + fit.PadTop % 2 + fit.PadLeft % 2, 0);
    EXPECT_EQ(fit.Width + fit.PadLeft + fit.PadRight, c.frameW);
    EXPECT_EQ(fit.Height + fit.PadTop + fit.PadBottom, c.frameH);
  }
}

}  // namespace
}  // namespace velmora
