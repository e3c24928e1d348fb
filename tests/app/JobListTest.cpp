// The job list with the real source converter: adding files (rows, slots,
// intermediate names and files, refusals), removing, clearing and moving,
// and a full table.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "FormFixture.h"
#include "app/ProgressPercent.h"
#include "libav/FFmpegHeaders.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FormFixture;

class JobListTest : public FormFixture {
 protected:
  std::string Out(const std::string &name) const { return (fs::path(outputFolder) / name).string(); }
  bool LogHas(const std::string &line) const {
    const auto &lines = form->mmoLog.Lines;
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  void ExpectListCommandsAvailable(bool available) {
    for (const TButtonState *b : {&form->ToolButton12, &form->ToolButton2, &form->ToolButton3})
      EXPECT_EQ(b->Enabled, available) << b->Name;
    for (const TButtonState *b :
         {&form->Button10, &form->Button11, &form->btnClear, &form->btnRemove})
      EXPECT_EQ(b->Visible, available) << b->Name;
    for (const TButtonState *b : {&form->Button10Inert, &form->Button11Inert,
                                  &form->btnClearInert, &form->btnRemoveInert})
      EXPECT_EQ(b->Visible, !available) << b->Name;
  }
};

TEST_F(JobListTest, AddedFilesGetRowsSlotsAndIntermediateFiles) {
  ExpectListCommandsAvailable(false);
  const std::string a = Source("a.avi");
  const std::string b = Source("clip");
  Add(a);
  Add(b);

  ASSERT_EQ(form->AdvListView1.RowCount(), 2);
  EXPECT_EQ(form->AdvListView1.Rows[0].Columns,
            (std::vector<std::string>{"1", a, "AVI", "MPG", "0", "", "准备"}));
  EXPECT_EQ(form->AdvListView1.Rows[1].Columns,
            (std::vector<std::string>{"2", b, "", "MPG", "0", "", "准备"}));
  EXPECT_EQ(form->AdvListView1.Rows[1].Progress, -1);
  EXPECT_EQ(form->AdvListView1.Selected, 1);
  EXPECT_EQ(form->AdvListView1.Focused, 1);

  const TJobSlot &slot = form->JobSlot[0];
  EXPECT_EQ(slot.SlotState, "Full");
  EXPECT_EQ(slot.Input.FileName, a);
  EXPECT_EQ(slot.Input.ForceFormat, "");
  EXPECT_EQ(slot.Input.StartTimeMs, 0);
  EXPECT_EQ(slot.Intermediate.FileName, Out("a.mpg"));
  EXPECT_EQ(form->JobSlot[1].Intermediate.FileName, Out("clip.mpg"));
  EXPECT_EQ(form->JobSlot[2].SlotState, "kong");
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"a.mpg", "clip.mpg"}));
  EXPECT_EQ(form->SourceConverter.TaskCount(), 2);

  EXPECT_EQ(form->Settings.AudioVolume, "256");
  EXPECT_TRUE(LogHas("装入成功."));
  // The converter's description of each opened input is in the log, once;
  // it comes before the input has a task, so with the index -1.
  EXPECT_EQ(std::count_if(form->mmoLog.Lines.begin(), form->mmoLog.Lines.end(),
                          [](const std::string &l) { return l.rfind("#-1.2: Input #0,", 0) == 0; }),
            2)
      << form->mmoLog.Text();
  EXPECT_TRUE(MessageTexts().empty());
  ExpectListCommandsAvailable(true);
  EXPECT_TRUE(form->suiButton3.Enabled);
}

TEST_F(JobListTest, TheIntermediateRecordTakesTheWindowsSettingsUnderTheirConditions) {
  TOutputSettings &s = form->Settings;
  s.VideoCodec = "mpeg1video";
  s.AudioCodec = "AUTO";
  s.AudioBitRate = -2000;
  s.AudioSampleRate = "AUTO";
  s.AudioChannels = "1";
  s.VideoBitRate = 528000;
  s.FrameSize = "320*240";
  s.FrameRate = "25.00";
  s.AspectRatio = "4:3";
  s.VideoFilters = "hflip";
  s.TargetType = "vcd";
  s.TvNorm = "NTSC";
  s.AudioVolume = "512";  // reset to 256 by the add, so not taken
  Add(Source("a.mpg"));
  ASSERT_EQ(form->AdvListView1.RowCount(), 1) << form->mmoLog.Text();
  const TOutputOptions &o = form->JobSlot[0].Intermediate;
  EXPECT_EQ(o.VideoCodec, "mpeg1video");
  EXPECT_EQ(o.AudioCodec, "");
  EXPECT_EQ(o.AudioBitrate, -1);
  EXPECT_EQ(o.AudioSampleRate, -1);
  EXPECT_EQ(o.AudioChannels, 1);
  EXPECT_EQ(o.VideoBitrate, 528000);
  EXPECT_EQ(o.FrameSize, "320*240");
  EXPECT_EQ(o.FrameRate, "25.00");
  EXPECT_EQ(o.AspectRatio, "4:3");
  EXPECT_EQ(o.VideoFilters, "hflip");
  EXPECT_EQ(o.Target, 1);
  EXPECT_EQ(o.TargetNorm, 2);
  EXPECT_EQ(o.AudioVolume, -1);
  EXPECT_FALSE(o.DisableVideo);
  EXPECT_EQ(o.FileFormat, "");
}

TEST_F(JobListTest, ExistingIntermediateNamesGetTheNextNewNumber) {
  WriteFile(Out("a.mpg"), "earlier");
  const std::string a = Source("a.avi");
  Add(a);
  Add(a);  // the same file twice: two rows
  ASSERT_EQ(form->AdvListView1.RowCount(), 2);
  EXPECT_EQ(form->JobSlot[0].Intermediate.FileName, Out("a(New_1).mpg"));
  EXPECT_EQ(form->JobSlot[1].Intermediate.FileName, Out("a(New_2).mpg"));
  EXPECT_EQ(ReadFile(Out("a.mpg")), "earlier");
}

TEST_F(JobListTest, OverwriteChoiceReusesAnExistingIntermediateName) {
  WriteFile(Out("a.mpg"), "earlier");
  form->SelectItem(form->suiComboBox4, 1);
  Add(Source("a.avi"));
  EXPECT_EQ(form->JobSlot[0].Intermediate.FileName, Out("a.mpg"));
  EXPECT_NE(ReadFile(Out("a.mpg")), "earlier");
}

TEST_F(JobListTest, ASourceIsNeverItsOwnOrAnotherRowsIntermediate) {
  form->SelectItem(form->suiComboBox4, 1);  // even with "overwrite"
  const std::string inOutput = CopySource(Out("a.mpg"));
  const std::string before = ReadFile(inOutput);
  Add(inOutput);
  Add(Source("a.avi"));  // its plain intermediate name is the listed source
  ASSERT_EQ(form->AdvListView1.RowCount(), 2) << form->mmoLog.Text();
  EXPECT_EQ(form->JobSlot[0].Intermediate.FileName, Out("a(New_1).mpg"));
  EXPECT_EQ(form->JobSlot[1].Intermediate.FileName, Out("a(New_2).mpg"));
  form.reset();  // every task has closed its files
  EXPECT_EQ(ReadFile(inOutput), before);
}

TEST_F(JobListTest, DatSourcesAreOpenedAsMpeg) {
  const std::string dat = Source("VIDEO.DAT");
  Add(dat);
  ASSERT_EQ(form->AdvListView1.RowCount(), 1);
  EXPECT_EQ(form->JobSlot[0].Input.ForceFormat, "mpeg");
  EXPECT_STREQ(form->SourceConverter.TaskInputContext(0)->iformat->name, "mpeg");
  EXPECT_EQ(form->AdvListView1.Rows[0].Columns[kColSourceFormat], "DAT");
}

TEST_F(JobListTest, UnreadableFilesAreRefusedWithTheirPath) {
  const std::string junk = WriteFile(dir.file("src/junk.avi"), std::string(4096, '\x5a'));
  Add(junk);
  EXPECT_EQ(form->AdvListView1.RowCount(), 0);
  EXPECT_EQ(form->SourceConverter.TaskCount(), 0);
  EXPECT_TRUE(OutputFiles().empty());
  const auto boxes = platform.Calls("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{"无法识别的音频或视频文件！" + junk, "提示"}));
  EXPECT_EQ(boxes[0].Icon, TMsgIcon::Information);
  const auto &log = form->mmoLog.Lines;
  const auto failure = std::find_if(log.begin(), log.end(), [](const std::string &line) {
    return line.rfind("***文件打开失败: ", 0) == 0;
  });
  ASSERT_NE(failure, log.end());
  EXPECT_EQ(*(failure - 1), "");
  EXPECT_EQ(*(failure + 1), "");
  ExpectListCommandsAvailable(false);
}

TEST_F(JobListTest, ScriptSourcesThatFailAreRegisteredOnlyForTheLowerCaseExtension) {
  const struct {
    const char *name;
    const char *message;
    bool registered;
  } cases[] = {
      {"clip.AVS", "无法识别的音频或视频文件！", false},
      {"clip.avs", "该文件类型注册成功！请重新加入该文件即可！", true},
  };
  for (const auto &c : cases) {
    platform.ClearCalls();
    const std::string script = WriteFile(dir.file(std::string("src/") + c.name), "Version()\n");
    Add(script);
    EXPECT_EQ(form->AdvListView1.RowCount(), 0);
    const std::string expected = c.registered ? c.message : c.message + script;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{expected}) << c.name;
    EXPECT_EQ(registry.ReadString("HKEY_LOCAL_MACHINE", "\\SOFTWARE\\AviSynth", "plugindir2_5"),
              c.registered ? (fs::path(programFolder) / "LibAV").string() : "")
        << c.name;
  }
}

TEST_F(JobListTest, AFailedRegistrationIsShownAsAFailure) {
  WriteFile(dir.file("blocker"), "a file where the store's folder would be");
  TRegistryStore blocked(dir.file("blocker/registry.ini"));
  form.reset();
  form = std::make_unique<TForm1>(platform, blocked, programFolder);
  form->SetOutputFolder(outputFolder);
  Add(WriteFile(dir.file("src/clip.avs"), "Version()\n"));
  const auto boxes = platform.Calls("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Texts[0].rfind("该文件类型注册失败：", 0), 0u) << boxes[0].Texts[0];
  EXPECT_NE(boxes[0].Texts[0].find("blocker/registry.ini"), std::string::npos);
  EXPECT_EQ(boxes[0].Texts[1], "错误");
}

TEST_F(JobListTest, DurationKeepsItsMilliseconds) {
  Add(CopySource(dir.file("src/long.mpg"), true));
  ASSERT_EQ(form->AdvListView1.RowCount(), 1);
  const std::int64_t us = form->SourceConverter.TaskInputContext(0)->duration;
  EXPECT_EQ(form->JobSlot[0].Intermediate.DurationMs, us / 1000);
  EXPECT_GT(form->JobSlot[0].Intermediate.DurationMs, 1400);
}

TEST_F(JobListTest, ASourceOfUnknownDurationIsAddedWithoutALimit) {
  const std::string raw = dir.file("src/pictures.mjpeg");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=0.4:s=64x48:r=25", "-c:v", "mjpeg", "-f",
                "mjpeg", raw});
  Add(raw);
  ASSERT_EQ(form->AdvListView1.RowCount(), 1) << form->mmoLog.Text();
  EXPECT_EQ(form->JobSlot[0].Intermediate.DurationMs, -1);
  EXPECT_EQ(form->AdvListView1.Rows[0].Columns[kColSourceFormat], "MJPEG");
}

TEST_F(JobListTest, ATaskLogsOnItsThreadWhileTheModelIsHeld) {
  Add(Source("a.mpg"));
  ASSERT_EQ(form->SourceConverter.TaskCount(), 1);
  std::mutex lock;
  std::condition_variable changed;
  bool ended = false;
  form->SourceConverter.OnTerminate = [&](int index, bool, bool, const std::string &) {
    std::lock_guard<std::mutex> guard(lock);
    if (index == -1) ended = true;
    changed.notify_all();
  };
  {
    // Held all through the run: the worker's log lines must not wait for it.
    auto model = form->Lock();
    form->SourceConverter.StartTasks(1);
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [&] { return ended; });
  }
  form->SourceConverter.OnTerminate = nullptr;
  auto model = form->Lock();
  EXPECT_TRUE(std::any_of(form->mmoLog.Lines.begin(), form->mmoLog.Lines.end(),
                          [](const std::string &l) { return l.rfind("#0.", 0) == 0; }))
      << form->mmoLog.Text();
}

TEST(ProgressPercentTest, WholePercentsWithoutOverflowOrDivisionByZero) {
  const struct {
    std::int64_t done, total;
    int percent;
  } cases[] = {
      {0, 0, 0},       {500, 0, 0},         {250, 1000, 25},    {999, 1000, 99},
      {1500, 1000, 100}, {-5, 1000, 0},     {30000000, 36000000, 83},  // 10 h in ms
  };
  for (const auto &c : cases) EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done;
}

TEST_F(JobListTest, CancelledOrMissingChoicesAddNothing) {
  form->N1Click();  // cancelled
  Add(dir.file("src/none.avi"));
  EXPECT_EQ(form->AdvListView1.RowCount(), 0);
  EXPECT_TRUE(MessageTexts().empty());
  const auto dialogs = platform.Calls("OpenFiles");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].Dialog.Name, "OpenDialog1");
  EXPECT_FALSE(dialogs[0].Dialog.MultiSelect);
  EXPECT_EQ(dialogs[0].Dialog.FilterIndex, 0);
  EXPECT_EQ(dialogs[0].Dialog.Filters.front().Description, "所有支持的文件类型");
}

TEST_F(JobListTest, SeveralChosenOrDroppedFilesAreAddedInTheirOrder) {
  const std::string a = Source("a.mpg"), b = Source("b.mpg"), c = Source("c.mpg");
  platform.QueueFiles({c, dir.file("src/missing.mpg"), a});
  form->N2Click();
  EXPECT_TRUE(platform.Calls("OpenFiles").back().Dialog.MultiSelect);
  form->AddDroppedFiles({b});
  EXPECT_EQ(Column(kColSource), (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(Column(kColNumber), (std::vector<std::string>{"1", "2", "3"}));

  form->ToolButton1.Enabled = false;  // as while a merge runs
  form->AddDroppedFiles({a});
  EXPECT_EQ(form->AdvListView1.RowCount(), 3);
}

class JobListEditTest : public JobListTest {
 protected:
  void SetUp() override {
    JobListTest::SetUp();
    for (const char *name : {"a.mpg", "b.mpg", "c.mpg"}) {
      paths.push_back(Source(name));
      Add(paths.back());
    }
    ASSERT_EQ(form->AdvListView1.RowCount(), 3);
  }
  std::vector<std::string> SlotSources() const {
    std::vector<std::string> sources;
    for (int i = 0; i < form->AdvListView1.RowCount(); ++i)
      sources.push_back(form->JobSlot[i].Input.FileName);
    return sources;
  }
  std::vector<std::string> paths;
};

TEST_F(JobListEditTest, RemovingTheMiddleRowRenumbersAndSelectsTheNext) {
  form->SelectRow(1);
  form->btnRemoveClick();
  EXPECT_EQ(Column(kColNumber), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Column(kColSource), (std::vector<std::string>{paths[0], paths[2]}));
  EXPECT_EQ(SlotSources(), Column(kColSource));
  EXPECT_EQ(form->AdvListView1.Selected, 1);
  EXPECT_EQ(form->JobSlot[2].SlotState, "kong");
  EXPECT_EQ(form->JobSlot[100].SlotState, "DELETED");
  EXPECT_EQ(form->SourceConverter.TaskCount(), 2);

  form->btnRemoveClick();  // the last row: the one before it is selected
  EXPECT_EQ(form->AdvListView1.Selected, 0);
  form->btnRemoveClick();
  EXPECT_EQ(form->AdvListView1.Selected, -1);
  ExpectListCommandsAvailable(false);
  EXPECT_EQ(form->JobSlot[98].SlotState, "DELETED");
}

TEST_F(JobListEditTest, RemovingWithoutASelectionAsksForOne) {
  form->SelectRow(-1);
  form->btnRemoveClick();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"请先选择您需要删除的项目！"});
  EXPECT_EQ(form->AdvListView1.RowCount(), 3);
  form->DeleteKeyDown();  // the Delete key asks nothing
  EXPECT_EQ(MessageTexts().size(), 1u);
  form->SelectRow(0);
  form->DeleteKeyDown();
  EXPECT_EQ(Column(kColSource), (std::vector<std::string>{paths[1], paths[2]}));
}

TEST_F(JobListEditTest, MovingSwapsRowsAndSlotsButNotPastTheEnds) {
  const auto rows = form->AdvListView1.Rows;
  form->SelectRow(0);
  form->Button10Click();
  form->SelectRow(2);
  form->Button11Click();
  EXPECT_EQ(Column(kColSource), paths);
  EXPECT_EQ(SlotSources(), paths);

  form->SelectRow(0);
  form->Button11Click();
  EXPECT_EQ(Column(kColSource), (std::vector<std::string>{paths[1], paths[0], paths[2]}));
  EXPECT_EQ(SlotSources(), Column(kColSource));
  EXPECT_EQ(Column(kColNumber), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(form->AdvListView1.Selected, 1);
  EXPECT_EQ(form->AdvListView1.Focused, 1);
  form->Button11Click();  // the selection went with the row
  EXPECT_EQ(Column(kColSource), (std::vector<std::string>{paths[1], paths[2], paths[0]}));
  EXPECT_EQ(form->SourceConverter.TaskCount(), 3);
}

TEST_F(JobListEditTest, ClearingEmptiesTheListTheSlotsAndTheSettings) {
  form->SelectRow(1);
  form->btnRemoveClick();
  form->Settings.VideoCodec = "mpeg4";
  form->Settings.VideoBitRate = 528000;
  form->SavedFinalSettings.VideoCodec = "mpeg4";
  form->suiProgressBar1.Position = 40;
  form->btnClearClick();
  EXPECT_EQ(form->AdvListView1.RowCount(), 0);
  EXPECT_EQ(form->SourceConverter.TaskCount(), 0);
  EXPECT_EQ(form->suiProgressBar1.Position, 0);
  EXPECT_EQ(form->Settings.VideoCodec, "");
  EXPECT_EQ(form->Settings.VideoBitRate, -1);
  EXPECT_EQ(form->SavedFinalSettings.VideoCodec, "");
  for (const TJobSlot &slot : form->JobSlot) EXPECT_EQ(slot.SlotState, "kong");
  ExpectListCommandsAvailable(false);
  EXPECT_TRUE(form->ToolButton1.Enabled);
}

TEST_F(JobListTest, AFullTableRefusesTheNextAddCleanly) {
  const std::string a = Source("a.mpg");
  platform.QueueFiles(std::vector<std::string>(kJobSlotCount + 1, a));
  form->N2Click();
  EXPECT_EQ(form->AdvListView1.RowCount(), kJobSlotCount);
  EXPECT_EQ(form->JobSlot[100].SlotState, "Full");
  const std::string full = "列表已满，无法再加入文件！请先清空列表后再添加。";
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{full});

  // A removal does not free its slot before the list is cleared: the add
  // menu says so before any file is picked, a drop after it.
  form->btnRemoveClick();
  const std::vector<std::string> files = OutputFiles();
  const std::size_t dialogs = platform.Calls("OpenFiles").size();
  form->N1Click();
  form->AddDroppedFiles({a});
  EXPECT_EQ(platform.Calls("OpenFiles").size(), dialogs);
  EXPECT_EQ(form->AdvListView1.RowCount(), kJobSlotCount - 1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{full, full, full}));
  EXPECT_EQ(OutputFiles(), files);
  EXPECT_EQ(form->SourceConverter.TaskCount(), kJobSlotCount - 1);

  form->btnClearClick();
  Add(a);
  EXPECT_EQ(form->AdvListView1.RowCount(), 1);
}

}  // namespace
}  // namespace velmora
