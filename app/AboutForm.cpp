#include "app/AboutForm.h"

#include "app/ProgramInfo.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryVersions.h"

namespace velmora {

namespace {

constexpr const char *kNotLoaded = "未装入";

}  // namespace

TForm4::TForm4(const TProgramFiles &files)
    : skins_(files), libraryFolder_(files.LibraryFolder()) {
  Caption = std::string("关于 ") + kProgramName;
  lblProgram.Caption = kProgramName;
  lblVersion.Caption = std::string("版本 ") + kProgramVersion;
}

void TForm4::FormShow() {
  Button1Click();
  ListLibraries();
}

void TForm4::Button1Click() { skins_.ApplyStored(Skin); }

void TForm4::ListLibraries() {
  TFFmpegLoader &loader = TFFmpegLoader::Instance();
  if (!loader.LibrariesLoaded(kStandardLibraries)) {
    loader.SetLibraryPath(libraryFolder_);
    loader.LoadLibraries(kStandardLibraries);
  }
  if (loader.LibrariesLoaded(kStandardLibraries))
    lblFFmpeg.Caption = std::string("FFmpeg ") + ff.av_version_info();
  else
    lblFFmpeg.Caption = "FFmpeg 库未能装入：" + loader.LastLoadError();

  lvLibraries.Clear();
  for (const TBoundLibrary &library : BoundLibraries())
    lvLibraries.AddRow({library.Name, library.Bound ? library.Version : kNotLoaded,
                        library.Licence, library.LoadedFrom});
  for (const TLibraryNotice &other : OtherLibraries)
    lvLibraries.AddRow({other.Name, other.Version, other.Licence, ""});
}

}  // namespace velmora
