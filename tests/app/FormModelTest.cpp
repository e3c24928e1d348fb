// The main window's model without media: its state after creation, the
// dialogs' filter, hints, locking the output settings, and change
// announcements from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "app/MainForm.h"
#include "app/OpenDialogFilter.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

class FormModelTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("registry.ini")};
  TForm1 form{platform, registry, dir.path().string()};
};

TEST_F(FormModelTest, ANewWindowHasItsDefaultsAndOnlyAddingAvailable) {
  EXPECT_EQ(form.JoinPhase, "NO");
  EXPECT_EQ(form.Paused, "NO");
  EXPECT_EQ(form.StoppedByUser, "NO");
  for (const TJobSlot &slot : form.JobSlot) EXPECT_EQ(slot.SlotState, "kong");
  const std::pair<const TComboBoxState *, const char *> defaults[] = {
      {&form.suiComboBox1, "打开文件夹查看转换的文件"},
      {&form.suiComboBox2, "正常转换"},
      {&form.suiComboBox3, "1个文件"},
      {&form.suiComboBox4, "自动生成相应的新文件名"},
  };
  for (const auto &[box, text] : defaults) EXPECT_EQ(box->Text, text) << box->Name;
  EXPECT_EQ(form.suiComboBox2.ItemIndex, 3);
  EXPECT_EQ(form.suiComboBox3.Items.size(), 10u);
  EXPECT_EQ(form.suiComboBox3.Items.back(), "10个文件");
  EXPECT_EQ(form.grpLogLevel.ItemIndex, 2);
  EXPECT_TRUE(form.chkThreadMode.Checked);
  for (const TControl *hidden :
       std::initializer_list<const TControl *>{&form.chkThreadMode, &form.suiComboBox2,
                                               &form.suiComboBox3, &form.suiComboBox4,
                                               &form.grpLogLevel, &form.mmoLog, &form.btnStart})
    EXPECT_FALSE(hidden->Visible) << hidden->Name;

  EXPECT_TRUE(form.ToolButton1.Enabled);
  for (const TButtonState *off : {&form.ToolButton12, &form.ToolButton2, &form.ToolButton3,
                                  &form.ToolButton4, &form.ToolButton5})
    EXPECT_FALSE(off->Enabled) << off->Name;
  EXPECT_FALSE(form.btnRemove.Visible);
  EXPECT_TRUE(form.btnRemoveInert.Visible);

  std::vector<std::pair<std::string, int>> columns;
  for (const TListColumn &c : form.AdvListView1.Columns) columns.emplace_back(c.Caption, c.Width);
  EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{{"序号", 40},
                                                                {"视频源文件", 150},
                                                                {"源格式", 60},
                                                                {"临时格式", 60},
                                                                {"当前时间", 100},
                                                                {"转换进度", 150},
                                                                {"状态", 64}}));
}

TEST_F(FormModelTest, EveryControlHasItsOwnName) {
  std::set<std::string> names;
  for (const TControl *control : form.Controls())
    EXPECT_TRUE(names.insert(control->Name).second) << control->Name;
  for (const char *name : {"AdvListView1", "ToolButton1", "ToolButton12", "N1", "N2", "mmoLog",
                           "suiComboBox10", "Label8", "suiStatusBar2", "grpLogLevel", "Button24",
                           "Button33", "xpgreen1"})
    EXPECT_EQ(names.count(name), 1u) << name;
}

TEST_F(FormModelTest, BothOpenDialogsGetTheTypeListWithTheFirstEntrySelected) {
  const std::vector<TFileFilter> &filters = form.OpenDialog1.Filters;
  ASSERT_EQ(filters.size(), 20u);
  EXPECT_EQ(form.OpenDialog2.Filters, filters);
  EXPECT_EQ(form.OpenDialog1.FilterIndex, 0);
  EXPECT_EQ(filters[0].Description, "所有支持的文件类型");
  ASSERT_EQ(filters[0].Masks.size(), 56u);
  EXPECT_EQ(filters[0].Masks.front(), "*.AVI");
  EXPECT_EQ(filters[0].Masks[27], "*.FLAC");  // where the second part goes on
  EXPECT_EQ(filters[0].Masks.back(), "*.qt");
  EXPECT_EQ(filters[1], (TFileFilter{"所有的文件 (*.*)", {"*.*"}}));
  EXPECT_EQ(filters[19], (TFileFilter{"DV视频文件 (*.dv;*.dif)", {"*.dv", "*.dif"}}));
}

TEST_F(FormModelTest, ToolButtonHintsShowInTheStatusBar) {
  const std::pair<const char *, const char *> hints[] = {
      {"ToolButton1", "添加要转换合并的文件"}, {"ToolButton12", "从列表中删除选中的文件"},
      {"ToolButton2", "清空转换列表"},         {"ToolButton3", "开始合并转换视频"},
      {"ToolButton5", "暂停合并视频转换"},     {"ToolButton4", "停止视频合并"},
      {"ToolButton6", "高级选项，设置更多的转换类型和参数"},
      {"ToolButton7", "更换软件外观皮肤"},     {"ToolButton11", "软件帮助"},
  };
  for (const auto &[button, hint] : hints) {
    form.ShowHintOf(button);
    EXPECT_EQ(form.suiStatusBar2.SimpleText, hint);
  }
  form.ClearHint();
  EXPECT_EQ(form.suiStatusBar2.SimpleText, "");
}

TEST_F(FormModelTest, AMergeLocksExactlyTheOutputSettingsControls) {
  form.Button32Click();
  for (const TControl *c : std::initializer_list<const TControl *>{
           &form.ToolButton6, &form.suiButton13, &form.suiComboBox5, &form.suiComboBox1,
           &form.suiComboBox6, &form.suiComboBox7, &form.suiComboBox8, &form.suiComboBox9,
           &form.suiComboBox10})
    EXPECT_FALSE(c->Enabled) << c->Name;
  EXPECT_TRUE(form.ToolButton1.Enabled);
  form.Button33Click();
  EXPECT_TRUE(form.suiComboBox5.Enabled);
  EXPECT_TRUE(form.ToolButton6.Enabled);
}

TEST_F(FormModelTest, ChangesOnOtherThreadsAreAnnouncedOnThoseThreads) {
  std::mutex lock;
  std::multiset<std::thread::id> announcers;
  form.SetChangeListener([&] {
    std::lock_guard<std::mutex> guard(lock);
    announcers.insert(std::this_thread::get_id());
  });
  constexpr int kLines = 200;
  std::atomic<int> readers{0};
  auto writer = [&](int index) {
    for (int i = 0; i < kLines; ++i) form.ConverterLog(index, llInfo, "line");
  };
  std::thread first(writer, 0), second(writer, 1);
  const std::thread::id firstId = first.get_id(), secondId = second.get_id();
  // The main thread reads while they write.
  for (int i = 0; i < 50; ++i) {
    auto guard = form.Lock();
    if (!form.mmoLog.Lines.empty()) ++readers;
  }
  first.join();
  second.join();
  auto guard = form.Lock();
  EXPECT_EQ(form.mmoLog.Lines.size(), 2u * kLines);
  EXPECT_EQ(form.mmoLog.Lines.front().substr(2), ".2: line");
  std::lock_guard<std::mutex> listenerGuard(lock);
  EXPECT_EQ(announcers.count(firstId), std::size_t{kLines});
  EXPECT_EQ(announcers.count(secondId), std::size_t{kLines});
}

TEST_F(FormModelTest, NestedHandlersAnnounceOnce) {
  int announcements = 0;
  form.SetChangeListener([&] { ++announcements; });
  form.btnClearClick();  // runs the reset and the slot handler inside
  EXPECT_EQ(announcements, 1);
  form.SetChangeListener(nullptr);
  form.ClearHint();
  EXPECT_EQ(announcements, 1);
}

}  // namespace
}  // namespace velmora
