#pragma once
// How a source's picture fits into the chosen frame size keeping its shape:
// scaled to fit inside the frame with its display aspect (its sample aspect
// counted), centred, the rest filled black above and below (letterbox) or
// left and right (pillarbox). The frame keeps the size and aspect chosen.
namespace velmora {

struct TPictureFit {
  int Width = 0;  // the scaled picture inside the frame
  int Height = 0;
  int PadTop = 0;
  int PadBottom = 0;
  int PadLeft = 0;
  int PadRight = 0;
  bool Padded() const { return PadTop || PadBottom || PadLeft || PadRight; }
};

// `sampleAspectNum/Den` of the source (0 or negative: square pixels);
// `frameAspect` the display aspect of the frame (0: its own width/height).
// Every size and band is even, as the encoders need; a source of the frame's
// shape (within 1 %) fills the frame.
TPictureFit FitPicture(int sourceWidth, int sourceHeight, int sampleAspectNum,
                       int sampleAspectDen, int frameWidth, int frameHeight, double frameAspect);

}  // namespace velmora
