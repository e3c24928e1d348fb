// Pictures that keep their shape: the check box that chooses it, stored in
// the settings file, and the scale and black bands each intermediate gets
// when its source's shape differs from the chosen frame's.
#include <cstdio>

#include "app/IniFile.h"
#include "app/MainForm.h"
#include "app/PictureFit.h"

namespace velmora {

namespace {

constexpr const char *kPictureSection = "Picture";
constexpr const char *kKeepAspectKey = "KeepAspect";

// "320*240" or "320x240"; false for anything else.
bool ReadFrameSize(const std::string &text, int &width, int &height) {
  char separator = 0;
  char rest = 0;
  return std::sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &rest) == 3 &&
         (separator == '*' || separator == 'x' || separator == 'X') && width > 0 && height > 0;
}

// "4:3", "16:9" or a number; 0 when empty or unreadable (the frame's own
// width/height then).
double ReadAspect(const std::string &text) {
  double num = 0, den = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%lf:%lf%c", &num, &den, &rest) == 2)
    return num > 0 && den > 0 ? num / den : 0;
  if (std::sscanf(text.c_str(), "%lf%c", &num, &rest) == 1) return num > 0 ? num : 0;
  return 0;
}

}  // namespace

void TForm1::ReadKeepAspect() {
  TChange change(*this);
  const TIniFile settings(files_.SettingsFile);
  if (settings.Exists())
    chkKeepAspect.Checked = settings.ReadString(kPictureSection, kKeepAspectKey, "1") != "0";
}

void TForm1::chkKeepAspectClick(bool checked) {
  TChange change(*this);
  if (!chkKeepAspect.Enabled) return;
  chkKeepAspect.Checked = checked;
  TIniFile settings(files_.SettingsFile);
  if (!settings.WriteString(kPictureSection, kKeepAspectKey, checked ? "1" : "0"))
    AddLogBlock(settings.LastError());
}

void TForm1::FitIntermediatePicture(TOutputOptions &record, const TSourceMedia &media) const {
  // The record stays in its row from one merge to the next.
  record.PadTop = record.PadBottom = record.PadLeft = record.PadRight = -1;
  int frameWidth = 0, frameHeight = 0;
  if (!chkKeepAspect.Checked || !media.HasVideo ||
      !ReadFrameSize(record.FrameSize, frameWidth, frameHeight))
    return;
  const TPictureFit fit =
      FitPicture(media.Width, media.Height, media.SampleAspectNum, media.SampleAspectDen,
                 frameWidth, frameHeight, ReadAspect(record.AspectRatio));
  if (!fit.Padded()) return;
  // The frame size is the picture's; the bands make up the chosen frame.
  record.FrameSize = std::to_string(fit.Width) + "*" + std::to_string(fit.Height);
  record.PadTop = fit.PadTop;
  record.PadBottom = fit.PadBottom;
  record.PadLeft = fit.PadLeft;
  record.PadRight = fit.PadRight;
  record.PadColor = 0;
}

}  // namespace velmora
