// The window program's windows on the offscreen platform, made as the
// program makes them: the stored skin and output folder at start, skins
// reaching the widgets of every window, the list's bars and the tool bar's
// pictures in the skin's colours, the About and information windows, errors
// routed to the error box, and closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/IniFile.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/QtPlatform.h"
#include "ui/Skins.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

QString ThemeFile(const char *name) {
  return QString::fromStdString(Read(fs::path(VELMORA_SKIN_FOLDER) / name));
}

double Luminance(QColor colour) {
  return (0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF());
}

class ProgramWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.file("program"));
    fs::create_directories(output);
    files = LocateProgramFiles(dir.file("program"), true,
                               {dir.file("home"), dir.file("config"), dir.file("cache")});
    files.SkinFolder = VELMORA_SKIN_FOLDER;
    TIniFile(files.SettingsFile).WriteString("OutPath", "OutPath", output);
  }
  void StoreSkin(const std::string &value) {
    TIniFile(files.SettingsFile).WriteString("skin", "SetSkin", value);
  }
  std::string StoredSkin() const {
    return TIniFile(files.SettingsFile).ReadString("skin", "SetSkin", "?");
  }
  TProgramWindows &Start() {
    windows = std::make_unique<TProgramWindows>(platform, registry, files);
    QApplication::processEvents();
    return *windows;
  }
  void Choose(const char *menuEntry) {
    windows->MainWindow().findChild<QAction *>(menuEntry)->trigger();
    QApplication::processEvents();
  }
  // Runs `inside` while the modal window `window` is open, then closes it.
  static void WhileOpen(QDialog &window, const std::function<void()> &open,
                        const std::function<void()> &inside) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      inside();
      ran = true;
      window.accept();
    });
    open();
    EXPECT_TRUE(ran);
  }
  std::string AddedVideo() {
    const std::string path = dir.file("clip.mpg");
    fs::copy_file(test::SharedMedia("windows-clip.mpg",
                                    {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=0.4", "-f",
                                     "lavfi", "-i", "sine=d=0.4", "-c:v", "mpeg1video", "-c:a",
                                     "mp2", "-f", "mpeg"}),
                  path);
    windows->Form1().AddDroppedFiles({path});
    QApplication::processEvents();
    return path;
  }

  test::TempDir dir;
  std::string output = dir.file("videos");
  TProgramFiles files;
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("registry.ini")};
  std::unique_ptr<TProgramWindows> windows;
};

TEST(BuiltInStylesTest, TheFiveBuiltInStylesAreCompiledIn) {
  for (const char *style : {"MacOS", "WinXP", "Protein", "DeepBlue", "BlueGlass"}) {
    const QString sheet = BuiltInStyleSheet(style);
    EXPECT_TRUE(sheet.contains("QProgressBar::chunk")) << style;
    EXPECT_TRUE(sheet.contains("QToolButton:disabled")) << style;
  }
  EXPECT_TRUE(BuiltInStyleSheet("royale.sui").isEmpty());
  EXPECT_TRUE(BuiltInStyleSheet("macos").isEmpty());
}

TEST(DesktopUrlTest, AddressesStayAsTheyAreAndEverythingElseIsALocalFile) {
  EXPECT_EQ(DesktopUrl("https://velmora.example.org/").toString(), "https://velmora.example.org/");
  EXPECT_EQ(DesktopUrl("mailto:support@velmora.example.org").scheme(), "mailto");
  EXPECT_EQ(DesktopUrl("/home/用户/视频 目录").toLocalFile(), "/home/用户/视频 目录");
  EXPECT_EQ(DesktopUrl("/tmp/http:/x").scheme(), "file");
}

TEST_F(ProgramWindowsTest, TheMainWindowStartsWithTheStoredSkinAndOutputFolder) {
  StoreSkin("skin17");
  TMainWindowView &window = Start().MainWindow();
  EXPECT_EQ(window.styleSheet(), ThemeFile("royale.sui"));
  EXPECT_EQ(window.windowTitle(), "Velmora");
  EXPECT_EQ(window.findChild<QLineEdit *>("suiEdit1")->text().toStdString(), output);
  EXPECT_EQ(windows->Form1().OutputFolder, output);
  EXPECT_EQ(window.findChild<QAction *>("N3")->shortcut(), QKeySequence(QKeySequence::HelpContents));
}

TEST_F(ProgramWindowsTest, AChosenSkinReachesTheMainWindowAtOnceAndTheOthersWhenShown) {
  Start();
  EXPECT_EQ(windows->MainWindow().styleSheet(), "");  // nothing stored: the built look
  Choose("N6");
  EXPECT_EQ(windows->MainWindow().styleSheet(), ThemeFile("winter.sui"));
  EXPECT_EQ(StoredSkin(), "skin18");
  EXPECT_EQ(windows->AboutWindow().styleSheet(), "");
  windows->AboutWindow().Prepare();
  EXPECT_EQ(windows->AboutWindow().styleSheet(), ThemeFile("winter.sui"));

  Choose("MacOS1");
  EXPECT_EQ(windows->MainWindow().styleSheet(), BuiltInStyleSheet("MacOS"));
  EXPECT_EQ(StoredSkin(), "skin1");
  windows->MediaInfoWindow().Prepare({});
  EXPECT_EQ(windows->MediaInfoWindow().styleSheet(), BuiltInStyleSheet("MacOS"));
}

TEST_F(ProgramWindowsTest, AThemeFileThatIsMissingLeavesTheLook) {
  files.SkinFolder = dir.file("skins");
  fs::create_directories(files.SkinFolder);
  fs::copy_file(fs::path(VELMORA_SKIN_FOLDER) / "winter.sui", dir.file("skins/winter.sui"));
  StoreSkin("skin18");
  Start();
  Choose("MSNStyle1");
  EXPECT_EQ(windows->MainWindow().styleSheet(), ThemeFile("winter.sui"));
  const std::vector<std::string> &log = windows->Form1().mmoLog.Lines;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(),
            "无法读取皮肤文件 " + dir.file("skins/msn.sui") + ": No such file or directory");
}

TEST_F(ProgramWindowsTest, TheListsBarsAndTheToolBarsPicturesTakeTheSkinsColours) {
  const auto barColour = [this] {
    auto *list = windows->MainWindow().findChild<QTreeWidget *>("AdvListView1");
    const QRect cell = list->visualItemRect(list->topLevelItem(0));
    const int x = list->header()->sectionPosition(kColProgress) + 12;
    return list->viewport()->grab().toImage().pixelColor(x, cell.center().y());
  };
  const auto inkOf = [this](const char *button) {
    const QImage picture = windows->MainWindow().findChild<QToolButton *>(button)->icon()
                               .pixmap(24).toImage();
    QColor ink;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if (picture.pixelColor(x, y).alpha() == 255) ink = picture.pixelColor(x, y);
    return ink;
  };
  StoreSkin("skin15");  // black and red
  Start();
  windows->MainWindow().resize(900, 600);
  windows->MainWindow().show();
  AddedVideo();
  {
    auto lock = windows->Form1().Lock();
    windows->Form1().AdvListView1.Rows[0].Progress = 100;
    windows->Form1().AdvListView1.Selected = -1;
  }
  windows->MainWindow().Refresh();
  QApplication::processEvents();
  const QColor red = barColour();
  EXPECT_GT(red.red(), 2 * red.green()) << red.name().toStdString();
  EXPECT_GT(Luminance(inkOf("ToolButton3")), 0.7);  // light lines on the black bar

  Choose("MacOS1");
  const QColor blue = barColour();
  EXPECT_GT(blue.blue(), blue.red() + 40) << blue.name().toStdString();
  EXPECT_LT(Luminance(inkOf("ToolButton3")), 0.3);  // dark lines on the light bar
}

TEST_F(ProgramWindowsTest, TheInformationWindowShowsTheSelectedFile) {
  Start();
  AddedVideo();
  TMediaInfoWindowView &info = windows->MediaInfoWindow();
  const auto label = [&info](const char *name) {
    return info.findChild<QLabel *>(name)->text().toStdString();
  };
  auto *list = windows->MainWindow().findChild<QTreeWidget *>("AdvListView1");
  WhileOpen(
      info, [&] { emit list->itemDoubleClicked(list->topLevelItem(0), 1); },
      [&] {
        EXPECT_TRUE(info.isVisible());
        EXPECT_EQ(info.windowTitle(), "视频信息提示");
        EXPECT_EQ(label("lblFileName"), "clip.mpg");
        EXPECT_EQ(label("lblResolution"), "64*48");
        EXPECT_EQ(label("lblChannels"), "单声道");
        EXPECT_EQ(info.findChild<QWidget *>("GroupBox2")->property("title").toString(),
                  "视频格式信息");
      });
  auto *button = windows->MainWindow().findChild<QPushButton *>("suiButton12");
  EXPECT_EQ(button->text(), "信息");
  WhileOpen(info, [&] { button->click(); }, [&] { EXPECT_EQ(label("lblFrameRate"), "25.00"); });
}

TEST_F(ProgramWindowsTest, TheAboutWindowListsTheLibrariesInUse) {
  Start();
  TAboutWindowView &about = windows->AboutWindow();
  WhileOpen(
      about, [&] { windows->MainWindow().findChild<QAction *>("N4")->trigger(); },
      [&] {
        auto *libraries = about.findChild<QTreeWidget *>("lvLibraries");
        ASSERT_EQ(libraries->topLevelItemCount(), 7);
        EXPECT_EQ(libraries->topLevelItem(3)->text(0), "libavcodec");
        EXPECT_TRUE(libraries->topLevelItem(3)->text(1).startsWith("59."));
        EXPECT_TRUE(libraries->topLevelItem(3)->text(2).contains("GPL"));
        EXPECT_EQ(libraries->topLevelItem(6)->text(0), "Qt");
        EXPECT_TRUE(about.findChild<QLabel *>("lblFFmpeg")->text().startsWith("FFmpeg 5."));
        EXPECT_EQ(about.findChild<QLabel *>("lblVersion")->text(), "版本 3.00");
        EXPECT_EQ(about.findChild<QPushButton *>("btnOK")->text(), "确定");
      });
}

// An object whose event handler fails, as a faulty handler of a window would.
class TFailingObject : public QObject {
 public:
  bool event(QEvent *event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("abc");
    return QObject::event(event);
  }
};

TEST_F(ProgramWindowsTest, AnErrorThatEscapesAnEventHandlerGoesToTheErrorBox) {
  Start();
  TFailingObject failing;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QApplication::sendEvent(&failing, &event));
  QTimer::singleShot(0, [] { throw std::runtime_error("错误!"); });
  QApplication::processEvents();
  const std::vector<TPlatformCall> boxes = platform.Calls("MessageBox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{"abc.", "Velmora"}));
  EXPECT_EQ(boxes[1].Texts, (std::vector<std::string>{"错误!", "Velmora"}));
  EXPECT_EQ(boxes[1].Icon, TMsgIcon::Error);
}

TEST_F(ProgramWindowsTest, ClosingTheMainWindowRemovesTheTemporaryFolder) {
  Start();
  fs::create_directories(files.TempFolder);
  std::ofstream(files.TempFolder + "/part.tmp") << "x";
  windows->MainWindow().show();
  EXPECT_TRUE(windows->MainWindow().close());
  EXPECT_FALSE(fs::exists(files.TempFolder));
}

}  // namespace
}  // namespace velmora
