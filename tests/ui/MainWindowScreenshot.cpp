// Renders the pictures of the README, offscreen (QT_QPA_PLATFORM=offscreen)
// with the CJK font, through the program's own start-up (settings file,
// stored skin, windows):
//   velmora-screenshot main OUTPUT.png [SKIN]   the main window during a merge:
//                                               three sources, the second at 40 %
//   velmora-screenshot info OUTPUT.png [SKIN]   the media information window for
//                                               a 10-second H.264/AAC MP4 file
//   velmora-screenshot about OUTPUT.png [SKIN]  the About window
// SKIN is a stored skin value ("skin1" … "skin18"); without it the window
// keeps the look it was built with.
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/IniFile.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"
#include "ui/CjkFont.h"
#include "ui/ProgramWindows.h"
#include "ui/QtApplication.h"
#include "ui/QtPlatform.h"

namespace fs = std::filesystem;

namespace {

bool Generate(const fs::path &file, const std::vector<std::string> &recipe) {
  std::vector<std::string> command = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
  command.insert(command.end(), recipe.begin(), recipe.end());
  command.push_back(file.string());
  if (velmora::test::RunProgram(command) == 0) return true;
  std::fprintf(stderr, "ffmpeg could not make %s\n", file.string().c_str());
  return false;
}

// A program folder of its own with the skins of the source tree and a
// settings file that holds the output folder and the skin.
velmora::TProgramFiles DemoProgram(const fs::path &demo, const std::string &skin) {
  velmora::TProgramFiles files =
      velmora::LocateProgramFiles(demo.string(), true, {demo.string(), demo.string(), demo.string()});
  files.SkinFolder = VELMORA_SKIN_FOLDER;
  const fs::path output = demo / "Video_Directory";
  fs::create_directories(output);
  velmora::TIniFile settings(files.SettingsFile);
  settings.WriteString("OutPath", "OutPath", output.string());
  if (!skin.empty()) settings.WriteString("skin", "SetSkin", skin);
  return files;
}

void Settle(QApplication &application) {
  for (int i = 0; i < 5; ++i) application.processEvents();
}

bool Save(QWidget &window, const std::string &path) {
  return window.grab().save(QString::fromStdString(path));
}

bool MainWindowPicture(QApplication &application, velmora::TProgramWindows &windows,
                       const fs::path &demo, const std::string &path) {
  const fs::path sources = demo / "视频";
  fs::create_directories(sources);
  std::vector<std::string> files;
  for (const char *name : {"旅行记录_第一段.mpg", "旅行记录_第二段.mpg", "家庭聚会.mpg"}) {
    files.push_back((sources / name).string());
    if (!Generate(files.back(), {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=25:d=2", "-f",
                                 "lavfi", "-i", "sine=d=2", "-c:v", "mpeg1video", "-c:a", "mp2",
                                 "-f", "mpeg"}))
      return false;
  }
  velmora::TForm1 &form = windows.Form1();
  // Away from the pointer, which rests at the screen's corner: no control
  // shows as hovered.
  windows.MainWindow().move(40, 40);
  windows.MainWindow().show();
  form.AddDroppedFiles(files);
  if (form.AdvListView1.RowCount() != 3) {
    for (const std::string &line : form.mmoLog.Lines) std::fprintf(stderr, "%s\n", line.c_str());
    return false;
  }
  {
    // What the merge shows while it converts the second source.
    auto lock = form.Lock();
    velmora::TListRow &converting = form.AdvListView1.Rows[1];
    converting.Progress = 40;
    converting.Columns[velmora::kColCurrentTime] = "0   (秒)";
    converting.Columns[velmora::kColStatus] = "转换中...";
    form.AdvListView1.Rows[0].Progress = 100;
    form.AdvListView1.Rows[0].Columns[velmora::kColCurrentTime] = "2   (秒)";
    form.AdvListView1.Rows[0].Columns[velmora::kColStatus] = "完成";
    form.AdvListView1.Rows[2].Progress = 0;
    form.suiProgressBar1.Position = 23;
    form.suiStatusBar2.SimpleText = "开始合并转换视频";
  }
  form.SelectRow(1);
  Settle(application);
  windows.MainWindow().Refresh();
  Settle(application);
  return Save(windows.MainWindow(), path);
}

// A modal window, pictured and closed from inside its own loop.
bool ModalPicture(QApplication &application, QDialog &window, const std::string &path,
                  const std::function<void()> &show) {
  bool saved = false;
  QTimer::singleShot(0, [&] {
    Settle(application);
    saved = Save(window, path);
    window.accept();
  });
  show();
  return saved;
}

bool AboutPicture(QApplication &application, velmora::TProgramWindows &windows,
                  const std::string &path) {
  return ModalPicture(application, windows.AboutWindow(), path,
                      [&] { windows.Form1().N4Click(); });
}

bool MediaInfoPicture(QApplication &application, velmora::TProgramWindows &windows,
                      const fs::path &demo, const std::string &path) {
  const fs::path video = demo / "海边的日落.mp4";
  if (!Generate(video, {"-f", "lavfi", "-i", "testsrc2=s=1280x720:r=30000/1001:d=10", "-f",
                        "lavfi", "-i", "sine=f=440:d=10:sample_rate=48000", "-ac", "2", "-c:v",
                        "libx264", "-preset", "veryfast", "-b:v", "2500k", "-pix_fmt", "yuv420p",
                        "-c:a", "aac", "-b:a", "160k", "-movflags", "+faststart"}))
    return false;
  velmora::TForm1 &form = windows.Form1();
  form.AddDroppedFiles({video.string()});
  return ModalPicture(application, windows.MediaInfoWindow(), path,
                      [&] { form.suiButton12Click(); });
}

}  // namespace

int main(int argc, char *argv[]) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (argc < 3 || argc > 4 || (what != "main" && what != "info" && what != "about")) {
    std::fprintf(stderr, "usage: %s main|info|about OUTPUT.png [SKIN]\n", argv[0]);
    return 2;
  }
  const std::string output = fs::absolute(argv[2]).string();
  const std::string skin = argc == 4 ? argv[3] : "";
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  velmora::TQtApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);

  const fs::path demo = fs::temp_directory_path() / "velmora-demo";
  fs::remove_all(demo);
  fs::create_directories(demo);
  bool saved = false;
  {
    velmora::TScriptedPlatform platform;
    velmora::TRegistryStore registry((demo / "registry.ini").string());
    velmora::TProgramWindows windows(platform, registry, DemoProgram(demo, skin));
    if (what == "main") saved = MainWindowPicture(application, windows, demo, output);
    if (what == "info") saved = MediaInfoPicture(application, windows, demo, output);
    if (what == "about") saved = AboutPicture(application, windows, output);
  }
  fs::remove_all(demo);
  if (!saved) std::fprintf(stderr, "could not write %s\n", output.c_str());
  return saved ? 0 : 1;
}
