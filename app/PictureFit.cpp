#include "app/PictureFit.h"

#include <cmath>

namespace velmora {

namespace {

// The largest even number not above `value` that leaves `whole - it`
// divisible by four, so the two bands around it are even too.
int InnerSize(double value, int whole) {
  int size = static_cast<int>(std::lround(value));
  size -= size % 2;
  if ((whole - size) % 4 != 0) size -= 2;
  return size < 2 ? 2 : size;
}

}  // namespace

TPictureFit FitPicture(int sourceWidth, int sourceHeight, int sampleAspectNum,
                       int sampleAspectDen, int frameWidth, int frameHeight, double frameAspect) {
  TPictureFit fit{frameWidth, frameHeight};
  if (sourceWidth <= 0 || sourceHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) return fit;
  const double sampleAspect = sampleAspectNum > 0 && sampleAspectDen > 0
                                  ? static_cast<double>(sampleAspectNum) / sampleAspectDen
                                  : 1.0;
  const double source = sourceWidth * sampleAspect / sourceHeight;
  const double frame = frameAspect > 0 ? frameAspect : static_cast<double>(frameWidth) / frameHeight;
  if (std::fabs(source / frame - 1.0) <= 0.01) return fit;
  if (source > frame) {
    fit.Height = InnerSize(frameHeight * frame / source, frameHeight);
    fit.PadTop = fit.PadBottom = (frameHeight - fit.Height) / 2;
  } else {
    fit.Width = InnerSize(frameWidth * source / frame, frameWidth);
    fit.PadLeft = fit.PadRight = (frameWidth - fit.Width) / 2;
  }
  return fit;
}

}  // namespace velmora
