// The main window's view on the offscreen platform over a model with a
// scripted platform: named widgets, input reaching the handlers, changes
// from other threads reaching the widgets through the event loop, drops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <thread>

#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"
#include "ui/CjkFont.h"
#include "ui/MainWindow.h"
#include "ui/ProgressBarDelegate.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.file("out"));
    form.SetOutputFolder(dir.file("out"));
  }
  std::string Source(const std::string &name) {
    const std::string path = dir.file(name);
    fs::copy_file(test::SharedMedia("view-source.mpg",
                                    {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=0.4", "-f",
                                     "lavfi", "-i", "sine=d=0.4", "-c:v", "mpeg1video", "-c:a",
                                     "mp2", "-f", "mpeg"}),
                  path);
    return path;
  }
  template <typename Widget = QWidget>
  Widget *Find(const char *name) {
    return window.findChild<Widget *>(name);
  }
  static void RunEventLoop() { QApplication::processEvents(); }
  int ShownRows() { return Find<QTreeWidget>("AdvListView1")->topLevelItemCount(); }

  test::TempDir dir;
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("registry.ini")};
  TForm1 form{platform, registry, dir.path().string()};
  TMainWindowView window{form};
};

TEST_F(MainWindowTest, EveryControlHasAWidgetOrMenuEntryUnderItsName) {
  for (const TControl *control : form.Controls())
    EXPECT_NE(window.findChild<QObject *>(QString::fromStdString(control->Name)), nullptr)
        << control->Name;
  auto *list = Find<QTreeWidget>("AdvListView1");
  ASSERT_EQ(list->columnCount(), 7);
  EXPECT_EQ(list->headerItem()->text(1), "视频源文件");
  EXPECT_EQ(list->columnWidth(5), 150);
  EXPECT_EQ(Find<QLabel>("Label8")->text(), "视频合并进度：");
  EXPECT_EQ(Find<QComboBox>("suiComboBox5")->count(), 45);
  EXPECT_EQ(Find<QComboBox>("suiComboBox6")->currentText(), "528 kbps(中等质量)");
  EXPECT_FALSE(Find("ToolButton12")->isEnabled());
}

TEST_F(MainWindowTest, TheKeepAspectBoxShowsTheModelAndAClickReachesIt) {
  RunEventLoop();
  auto *box = Find<QCheckBox>("chkKeepAspect");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), "保持画面比例（加黑边）");
  EXPECT_TRUE(box->isChecked());
  box->click();
  EXPECT_FALSE(form.chkKeepAspect.Checked);
  form.Button32Click();  // a merge locks the output settings
  RunEventLoop();
  EXPECT_FALSE(box->isEnabled());
  EXPECT_FALSE(box->isChecked());
}

TEST_F(MainWindowTest, TheFontHasChineseGlyphs) {
  EXPECT_TRUE(QFontMetrics(QApplication::font()).inFont(QChar(0x5408)))  // 合
      << QApplication::font().family().toStdString();
}

TEST_F(MainWindowTest, TheRemoveButtonReachesTheHandler) {
  form.AddDroppedFiles({Source("a.mpg"), Source("b.mpg")});
  RunEventLoop();
  ASSERT_EQ(ShownRows(), 2);
  auto *list = Find<QTreeWidget>("AdvListView1");
  list->setCurrentItem(list->topLevelItem(0));  // the user selects the first row
  EXPECT_EQ(form.AdvListView1.Selected, 0);
  Find<QToolButton>("ToolButton12")->click();
  EXPECT_EQ(form.AdvListView1.RowCount(), 1);
  RunEventLoop();
  EXPECT_EQ(ShownRows(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), dir.file("b.mpg"));
  EXPECT_EQ(list->topLevelItem(0)->toolTip(1).toStdString(), dir.file("b.mpg"));
  EXPECT_EQ(list->topLevelItem(0)->data(5, kProgressRole).toInt(), -1);
}

TEST_F(MainWindowTest, APickedPresetRefillsTheQualityBoxes) {
  auto *presets = Find<QComboBox>("suiComboBox5");
  emit presets->activated(35);  // as the user's pick: the MP3 preset
  EXPECT_TRUE(form.Settings.AudioOnly);
  RunEventLoop();
  auto *rates = Find<QComboBox>("suiComboBox6");
  ASSERT_EQ(rates->count(), 1);
  EXPECT_EQ(rates->currentText(), "无");
  EXPECT_EQ(presets->currentIndex(), 35);
}

TEST_F(MainWindowTest, ChangesFromAnotherThreadReachTheWidgetsThroughTheEventLoop) {
  std::thread converter([this] {
    form.ConverterLog(0, llInfo, "Duration: 00:00:01.00");
    form.ShowHintOf("ToolButton3");
  });
  converter.join();
  // Nothing has touched the widgets on that thread.
  EXPECT_EQ(Find<QPlainTextEdit>("mmoLog")->toPlainText(), "");
  EXPECT_EQ(window.statusBar()->currentMessage(), "");
  RunEventLoop();
  EXPECT_EQ(Find<QPlainTextEdit>("mmoLog")->toPlainText(), "#0.2: Duration: 00:00:01.00");
  EXPECT_EQ(window.statusBar()->currentMessage(), "开始合并转换视频");
}

TEST_F(MainWindowTest, DroppedFilesAreAddedInTheirOrder) {
  const std::string a = Source("a.mpg"), b = Source("b.mpg");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(b)),
                QUrl::fromLocalFile(QString::fromStdString(a))});
  auto *list = Find<QTreeWidget>("AdvListView1");
  // What the desktop sends while a file manager drags onto the list.
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  ASSERT_EQ(form.AdvListView1.RowCount(), 2);
  EXPECT_EQ(form.AdvListView1.Rows[0].Columns[kColSource], b);
  EXPECT_EQ(form.AdvListView1.Rows[1].Columns[kColSource], a);
  RunEventLoop();
  EXPECT_EQ(ShownRows(), 2);

  QKeyEvent deleteKey(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(list, &deleteKey);  // the last added row is selected
  EXPECT_EQ(form.AdvListView1.RowCount(), 1);
  EXPECT_EQ(form.AdvListView1.Rows[0].Columns[kColSource], b);
}

TEST_F(MainWindowTest, AMergeClickedInTheWindowRunsToItsEnd) {
  form.AddDroppedFiles({Source("a.mpg"), Source("b.mpg")});
  RunEventLoop();
  ASSERT_TRUE(Find("ToolButton3")->isEnabled());
  Find<QToolButton>("ToolButton3")->click();
  // The converters' threads change the model; the widgets follow through
  // the event loop.
  const auto ended = [this] {
    auto lock = form.Lock();
    return form.LastMerge.Count > 0;
  };
  QElapsedTimer waited;
  waited.start();
  while (!ended() && waited.elapsed() < 100000)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  ASSERT_TRUE(ended()) << form.mmoLog.Text();
  RunEventLoop();
  EXPECT_EQ(form.LastMerge.Outcome, TMergeOutcome::Done) << form.LastMerge.Message;
  auto *list = Find<QTreeWidget>("AdvListView1");
  ASSERT_EQ(ShownRows(), 2);
  for (int row = 0; row < 2; ++row) EXPECT_EQ(list->topLevelItem(row)->text(6), "完成");
  EXPECT_EQ(Find<QProgressBar>("suiProgressBar1")->value(), 100);
  EXPECT_TRUE(Find("ToolButton3")->isEnabled());
  EXPECT_FALSE(Find("ToolButton4")->isEnabled());
  // "打开文件夹查看转换的文件" is the window's choice after a merge.
  const auto opened = platform.Calls("ShellOpen");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].Texts[0], dir.file("out"));
  EXPECT_TRUE(fs::exists(dir.file("out/ALL_a.avi")));
}

TEST_F(MainWindowTest, HoveringAToolButtonShowsItsHint) {
  QEvent enter(QEvent::Enter), leave(QEvent::Leave);
  QApplication::sendEvent(Find("ToolButton1"), &enter);
  RunEventLoop();
  EXPECT_EQ(window.statusBar()->currentMessage(), "添加要转换合并的文件");
  QApplication::sendEvent(Find("ToolButton1"), &leave);
  RunEventLoop();
  EXPECT_EQ(window.statusBar()->currentMessage(), "");
}

}  // namespace
}  // namespace velmora
