// The output format chooser: its 38 entries, the entry it opens on for the
// main window's preset, the way on to the options dialog and back, and the
// message when nothing is selected.
#include <gtest/gtest.h>

#include "WizardFixture.h"
#include "app/OutputPresetTable.h"

namespace velmora::test {
namespace {

class OutputFormatChooserTest : public WizardFixture {
 protected:
  TForm7 &chooser() { return wizard->Form7; }
  std::string SelectedCaption() {
    const TListViewState &list = chooser().suiListView1;
    return list.ValidRow(list.Selected) ? list.Rows[list.Selected].Columns[0] : "";
  }
};

TEST_F(OutputFormatChooserTest, HoldsTheTypesWithTheirIcons) {
  const TListViewState &list = chooser().suiListView1;
  ASSERT_EQ(list.RowCount(), 38);
  EXPECT_EQ(list.Rows[0].Columns[0], "电脑上使用的AVI/MPEG视频");
  EXPECT_EQ(list.Rows[37].Columns[0], "AMR（手机）音频格式");
  // The icons out of order in the list: 3G2, ASF, MJPEG, the audio types.
  const std::pair<int, int> icons[] = {{0, 0}, {9, 9}, {10, 25}, {11, 10}, {26, 37},
                                       {27, 36}, {28, 26}, {30, 32}, {31, 28}, {35, 33}, {37, 35}};
  for (const auto &[entry, icon] : icons) EXPECT_EQ(list.Rows[entry].ImageIndex, icon) << entry;
  std::vector<bool> used(38, false);
  for (const TListRow &row : list.Rows) used.at(row.ImageIndex) = true;
  EXPECT_EQ(std::count(used.begin(), used.end(), true), 38);
}

TEST_F(OutputFormatChooserTest, TheFirstOpeningBeforeAnyPresetShowsTheFirstEntry) {
  form->ToolButton6Click();
  EXPECT_TRUE(chooser().Visible);
  EXPECT_EQ(chooser().suiListView1.Selected, 0);
  EXPECT_EQ(form->ChosenTypeNumber, 1);
  // Without a preset the user's own pick survives the next opening.
  chooser().Select(5);
  chooser().suiButton2Click();
  EXPECT_FALSE(chooser().Visible);
  form->suiButton13Click();
  EXPECT_EQ(chooser().suiListView1.Selected, 5);
  EXPECT_EQ(form->ChosenTypeNumber, 6);
}

TEST_F(OutputFormatChooserTest, OpensOnTheTypeOfThePresetAndAppliesThatTypesPreset) {
  struct Case {
    int Preset;
    const char *Caption;
    int AppliedPreset;
  };
  const Case cases[] = {
      {0, "电脑上使用的AVI/MPEG视频", 16},  {1, "MPEG/MPG视频格式", 2},
      {4, "MP4机上使用的AVI/MPEG视频", 17}, {5, "MP4机上使用的AVI/MPEG视频", 17},
      {6, "普通手机通用3gp/3GPP视频", 25},  {14, "电脑上使用的AVI/MPEG视频", 16},
      {15, "电脑上使用的AVI/MPEG视频", 16}, {38, "AAC音频格式", 38},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Preset);
    PickPreset(c.Preset);
    chooser().Select(20);  // any other entry first
    form->ToolButton6Click();
    EXPECT_EQ(SelectedCaption(), c.Caption);
    EXPECT_EQ(form->ChosenTypeNumber, chooser().suiListView1.Selected + 1);
    chooser().suiButton1Click();
    ASSERT_TRUE(wizard->Form8.Visible);
    wizard->Form8.suiButton1Click();
    EXPECT_FALSE(wizard->Form8.Visible);
    EXPECT_FALSE(chooser().Visible);
    EXPECT_EQ(form->suiComboBox5.Text, kOutputPresets[c.AppliedPreset].Name);
    EXPECT_EQ(form->PresetNumber, c.AppliedPreset + 1);
  }
}

TEST_F(OutputFormatChooserTest, NextWithoutASelectionAsksForOneAndStays) {
  form->ToolButton6Click();
  chooser().Select(-1);  // a click on empty space
  EXPECT_EQ(form->ChosenTypeNumber, 0);
  for (auto press : {&TForm7::suiButton1Click, &TForm7::suiListView1DblClick}) {
    platform.ClearCalls();
    (chooser().*press)();
    const std::vector<TPlatformCall> boxes = platform.Calls("MessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{"请选择一个要转换的类型！", "提示"}));
    EXPECT_EQ(boxes[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(boxes[0].Icon, TMsgIcon::Information);
    EXPECT_TRUE(chooser().Visible);
    EXPECT_FALSE(wizard->Form8.Visible);
  }
}

TEST_F(OutputFormatChooserTest, CancelInTheOptionsDialogComesBackToTheChooserAsItWas) {
  form->ToolButton6Click();
  chooser().Select(3);
  chooser().suiListView1DblClick();
  EXPECT_FALSE(chooser().Visible);
  EXPECT_TRUE(wizard->Form8.Visible);
  wizard->Form8.suiButton2Click();
  EXPECT_FALSE(wizard->Form8.Visible);
  EXPECT_TRUE(chooser().Visible);
  EXPECT_EQ(chooser().suiListView1.Selected, 3);
  EXPECT_EQ(form->PresetNumber, 0);  // nothing applied
}

TEST_F(OutputFormatChooserTest, TheButtonsOpenNothingWhileAMergeLocksThem) {
  form->Button32Click();
  form->ToolButton6Click();
  form->suiButton13Click();
  EXPECT_FALSE(chooser().Visible);
  form->Button33Click();
  form->suiButton13Click();
  EXPECT_TRUE(chooser().Visible);
}

}  // namespace
}  // namespace velmora::test
