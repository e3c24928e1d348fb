#pragma once
// The About window as a form model: the program's name and version, the
// FFmpeg libraries in use with their versions and licences, the other
// libraries the program uses, and "确定". When shown it applies the stored
// skin and lists the codec libraries as the loader has them, loading them
// from the program folder's LibAV (or the system) when no file has been
// added yet. Used on the GUI thread only.
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/ProgramFiles.h"
#include "app/SkinLoader.h"

namespace velmora {

// A library the program uses besides FFmpeg, as the program's start-up
// knows it (the GUI toolkit, for one).
struct TLibraryNotice {
  std::string Name;
  std::string Version;
  std::string Licence;
};

class TForm4 {
 public:
  explicit TForm4(const TProgramFiles &files);

  std::string Caption;
  TLabelState lblProgram{"lblProgram", ""};
  TLabelState lblVersion{"lblVersion", ""};
  TLabelState lblDescription{"lblDescription", "把多个视频或音频文件合并成一个文件"};
  TLabelState lblFFmpeg{"lblFFmpeg", ""};  // the FFmpeg release, or why none is loaded
  // One row per library: name, version, licence, where it was loaded from.
  TListViewState lvLibraries{
      "lvLibraries", {{"库", 110}, {"版本", 80}, {"许可证", 190}, {"位置", 260}}, -1};
  TButtonState btnOK{"btnOK", "确定"};
  TSkinState Skin;

  // Given by the program's start-up, listed after the codec libraries.
  std::vector<TLibraryNotice> OtherLibraries;

  void FormShow();
  void Button1Click();  // the skin loader

 private:
  void ListLibraries();

  TSkinLoader skins_;
  std::string libraryFolder_;
};

}  // namespace velmora
