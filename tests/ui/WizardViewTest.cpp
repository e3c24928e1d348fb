// The wizard's two windows on the offscreen platform: the main window's
// button opens the chooser, its pictures come from the program's resources,
// a pick or a click on empty space reaches the model, and the windows show
// and hide themselves as the wizard goes on, back and to its end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "dialogs/AdvancedOptionsWizard.h"
#include "support/TestSupport.h"
#include "ui/AdvancedOptionsView.h"
#include "ui/MainWindow.h"
#include "ui/OutputFormatChooserView.h"

namespace velmora {
namespace {

class WizardViewTest : public ::testing::Test {
 protected:
  void SetUp() override { form.OnAdvancedOptions = [this] { wizard.Open(); }; }
  template <typename Widget = QWidget>
  static Widget *Find(QWidget &window, const char *name) {
    Widget *widget = window.findChild<Widget *>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QListWidget *List() { return Find<QListWidget>(chooser, "suiListView1"); }
  static void RunEventLoop() { QApplication::processEvents(); }

  test::TempDir dir;
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("registry.ini")};
  TForm1 form{platform, registry, dir.path().string()};
  TMainWindowView window{form};
  TAdvancedOptionsWizard wizard{form, platform};
  TOutputFormatChooserView chooser{wizard.Form7, &window};
  TAdvancedOptionsView options{wizard.Form8, &window};
};

TEST_F(WizardViewTest, TheChoosersPicturesAreTheProgramsOwnAndAllDifferent) {
  std::vector<QImage> seen;
  for (int index = 0; index < 38; ++index) {
    const QImage image = TypeIcon(index).pixmap(kTypeIconSize, kTypeIconSize).toImage();
    ASSERT_FALSE(image.isNull()) << index;
    EXPECT_EQ(image.size(), QSize(kTypeIconSize, kTypeIconSize)) << index;
    for (const QImage &other : seen) EXPECT_NE(image, other) << index;
    seen.push_back(image);
  }
  ASSERT_EQ(List()->count(), 38);
  EXPECT_EQ(List()->item(10)->text(), "3G2手机视频格式");
  // The 3G2 entry shows picture 25.
  EXPECT_EQ(List()->item(10)->icon().pixmap(kTypeIconSize).toImage(),
            TypeIcon(25).pixmap(kTypeIconSize).toImage());
}

TEST_F(WizardViewTest, TheToolButtonOpensTheChooserOnThePresetsType) {
  emit Find<QComboBox>(window, "suiComboBox5")->activated(19);  // the PSP preset
  Find<QToolButton>(window, "ToolButton6")->click();
  EXPECT_TRUE(chooser.isVisible());
  EXPECT_TRUE(chooser.isModal());
  EXPECT_EQ(chooser.windowTitle(), "选择转换格式");
  ASSERT_EQ(List()->selectedItems().size(), 1);
  EXPECT_EQ(List()->selectedItems()[0]->text(), "Sony(索尼) PSP MP4视频");
}

TEST_F(WizardViewTest, PicksAndClicksOnEmptySpaceReachTheModel) {
  Find<QPushButton>(window, "suiButton13")->click();
  chooser.resize(chooser.sizeHint());
  RunEventLoop();
  QListWidget *list = List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(7)).center());
  EXPECT_EQ(form.ChosenTypeNumber, 8);
  const QRect last = list->visualItemRect(list->item(list->count() - 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(last.right() + 20, last.center().y()));
  EXPECT_EQ(form.ChosenTypeNumber, 0);
  EXPECT_TRUE(list->selectedItems().isEmpty());
  Find<QPushButton>(chooser, "suiButton1")->click();
  ASSERT_EQ(platform.Calls("MessageBox").size(), 1u);
  EXPECT_TRUE(chooser.isVisible());

  // A double click on an entry goes on with it.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
  EXPECT_FALSE(chooser.isVisible());
  EXPECT_TRUE(options.isVisible());
  EXPECT_EQ(Find<QComboBox>(options, "suiComboBox1")->currentText(), "Divx 5 视频压缩器");
}

TEST_F(WizardViewTest, TheOptionsDialogForwardsChoicesAndEndsTheWizard) {
  form.ToolButton6Click();
  wizard.Form7.Select(28);  // MP3: no video
  Find<QPushButton>(chooser, "suiButton1")->click();
  ASSERT_TRUE(options.isVisible());
  EXPECT_EQ(options.windowTitle(), "选项设置");
  EXPECT_FALSE(Find(options, "suiComboBox1")->isEnabled());
  EXPECT_FALSE(Find(options, "suiCheckBox2")->isEnabled());

  // Esc goes back to the chooser.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&options, &escape);
  EXPECT_FALSE(options.isVisible());
  EXPECT_TRUE(chooser.isVisible());

  wizard.Form7.Select(0);
  Find<QPushButton>(chooser, "suiButton1")->click();
  EXPECT_TRUE(Find(options, "suiComboBox1")->isEnabled());
  emit Find<QComboBox>(options, "suiComboBox9")->activated(5);
  Find<QCheckBox>(options, "suiCheckBox3")->click();
  EXPECT_EQ(wizard.Form8.suiComboBox9.Text, "音量降低50%");
  EXPECT_TRUE(wizard.Form8.suiCheckBox3.Checked);
  Find<QPushButton>(options, "suiButton1")->click();
  EXPECT_FALSE(options.isVisible());
  EXPECT_FALSE(chooser.isVisible());
  EXPECT_EQ(form.Settings.AudioVolume, "128");
  EXPECT_EQ(form.Settings.VideoFilters, "vflip");
  RunEventLoop();
  EXPECT_EQ(Find<QComboBox>(window, "suiComboBox5")->currentIndex(), 16);
}

}  // namespace
}  // namespace velmora
