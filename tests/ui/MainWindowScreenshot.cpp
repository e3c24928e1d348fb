// Renders the main window as a user sees it during a merge: three listed
// sources, the second one at 40 %. Writes the picture to the path given as
// the only argument. Runs without a display (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <filesystem>

#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"
#include "ui/CjkFont.h"
#include "ui/MainWindow.h"
#include "ui/QtPlatform.h"

namespace fs = std::filesystem;

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  velmora::InstallMainThreadHandOver();
  velmora::UseCjkFont(application);

  const fs::path demo = fs::temp_directory_path() / "velmora-demo";
  fs::remove_all(demo);
  const fs::path sources = demo / "视频";
  const fs::path output = demo / "Video_Directory";
  fs::create_directories(sources);
  fs::create_directories(output);
  std::vector<std::string> files;
  for (const char *name : {"旅行记录_第一段.mpg", "旅行记录_第二段.avi", "家庭聚会.mp4"}) {
    files.push_back((sources / name).string());
    if (velmora::test::RunProgram({"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f",
                                   "lavfi", "-i", "testsrc2=s=160x120:r=25:d=2", "-f", "lavfi",
                                   "-i", "sine=d=2", "-c:v", "mpeg1video", "-c:a", "mp2", "-f",
                                   "mpeg", files.back()}) != 0) {
      std::fprintf(stderr, "ffmpeg could not make %s\n", files.back().c_str());
      return 1;
    }
  }

  velmora::TScriptedPlatform platform;
  velmora::TRegistryStore registry((demo / "registry.ini").string());
  velmora::TForm1 form(platform, registry, demo.string());
  form.SetOutputFolder(output.string());
  velmora::TMainWindowView window(form);
  form.AddDroppedFiles(files);
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
  }
  form.SelectRow(1);
  window.show();
  for (int i = 0; i < 5; ++i) application.processEvents();
  window.Refresh();
  application.processEvents();
  const bool saved = window.grab().save(QString::fromStdString(argv[1]));
  fs::remove_all(demo);
  return saved ? 0 : 1;
}
