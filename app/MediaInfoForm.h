#pragma once
// The media information window "视频信息提示" as a form model: three framed
// groups of fixed captions with a value beside each, and "确定". When shown
// it applies the stored skin, then copies the main window's values into its
// value labels. Used on the GUI thread only.
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/MediaInfoValues.h"
#include "app/ProgramFiles.h"
#include "app/SkinLoader.h"

namespace velmora {

// One line of a group: the fixed caption and the label with the value.
struct TInfoLine {
  TLabelState Caption;
  TLabelState Value;
};

struct TInfoGroup {
  TLabelState Frame;  // the group's framed box and its caption
  std::vector<TInfoLine> Lines;
};

class TForm9 {
 public:
  explicit TForm9(const TProgramFiles &files);

  std::string Caption = "视频信息提示";
  std::vector<TInfoGroup> Groups;  // file, video, audio
  TButtonState btnOK{"btnOK", "确定"};
  TSkinState Skin;

  // Showing the window: the stored skin, then the values.
  void FormShow(const TMediaInfoValues &values);
  void Button1Click();  // the skin loader
  void Button2Click(const TMediaInfoValues &values);  // the values into the labels

  // The value label named `name` (null when there is none).
  const TLabelState *ValueLabel(const std::string &name) const;

 private:
  TSkinLoader skins_;
};

}  // namespace velmora
