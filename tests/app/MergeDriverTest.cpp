// The merge driver on real small sources: the whole road from "合并" to the
// final file, one source, stopping and pausing in both phases, the merge
// bar, and the intermediate and final frame rates.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "MergeFixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::EventGate;
using test::MergeFixture;

class MergeDriverTest : public MergeFixture {
 protected:
  void CloseDuringMerge(bool inJoin);

  // Adds the sources and picks the AVI preset.
  void AddAll(const std::vector<std::string> &sources) {
    form->SelectItem(form->suiComboBox5, 0);
    form->suiComboBox5Change();
    for (const std::string &source : sources) Add(source);
    ASSERT_EQ(form->AdvListView1.RowCount(), static_cast<int>(sources.size()))
        << form->mmoLog.Text();
  }
  // Holds a converter's first progress report at the gate.
  static void GateProgress(TFFmpegVCL &converter, EventGate &gate) {
    auto handler = converter.OnProgress;
    converter.OnProgress = [handler, &gate](int i, int f, int fps, int d, float q, float b,
                                            std::int64_t s, int t) {
      handler(i, f, fps, d, q, b, s, t);
      gate.Pass();
    };
  }
  void GateSourceProgress(EventGate &gate) { GateProgress(form->SourceConverter, gate); }
  void GateJoinProgress(EventGate &gate) { GateProgress(form->JoinConverter, gate); }
  // Presses "停止" on a thread of its own (the stop waits for the task the
  // gate holds) and lets the gate go once the stop is under way.
  void StopAt(EventGate &gate) {
    std::thread stopper([this] { form->btnStopClick(); });
    WaitFor([&] { return form->StoppedByUser == kYes; });
    gate.Open();
    stopper.join();
  }
  void ExpectIdle() {
    auto lock = form->Lock();
    EXPECT_EQ(form->JoinPhase, kNo);
    EXPECT_EQ(form->Paused, kNo);
    for (const TControl *on : std::initializer_list<const TControl *>{
             &form->ToolButton1, &form->ToolButton12, &form->ToolButton2, &form->ToolButton3,
             &form->suiButton3, &form->suiComboBox5, &form->suiComboBox6, &form->ToolButton6})
      EXPECT_TRUE(on->Enabled) << on->Name;
    EXPECT_FALSE(form->ToolButton5.Enabled);
    EXPECT_FALSE(form->ToolButton4.Enabled);
    EXPECT_TRUE(form->btnRemove.Visible);
  }
};

TEST_F(MergeDriverTest, ThreeSourcesBecomeAllOfTheFirstAndTheIntermediatesGo) {
  const std::vector<std::string> sources = {Source("a.avi"), Source("b.mkv"), Source("c.mp4")};
  std::vector<std::string> checksums;
  for (const std::string &source : sources) checksums.push_back(Checksum(source));
  AddAll(sources);

  // The sizes of the three intermediates when the sources have ended, and
  // of the joined one when the final encode has read it.
  std::mutex sizesLock;
  std::vector<std::uintmax_t> parts;
  std::uintmax_t joined = 0;
  auto sourceEnd = form->SourceConverter.OnTerminate;
  form->SourceConverter.OnTerminate = [&, sourceEnd](int i, bool f, bool e, const std::string &m) {
    if (i < 0) {
      std::lock_guard<std::mutex> guard(sizesLock);
      for (const char *name : {"a.mpg", "b.mpg", "c.mpg"})
        parts.push_back(fs::file_size(Out(name)));
    }
    sourceEnd(i, f, e, m);
  };
  auto joinEnd = form->JoinConverter.OnTerminate;
  form->JoinConverter.OnTerminate = [&, joinEnd](int i, bool f, bool e, const std::string &m) {
    if (i == 0) {
      std::lock_guard<std::mutex> guard(sizesLock);
      joined = fs::file_size(Out("a.mpg"));
    }
    joinEnd(i, f, e, m);
  };

  const TMergeResult result = Merge();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message << "\n" << form->mmoLog.Text();
  {
    std::lock_guard<std::mutex> guard(sizesLock);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(joined, parts[0] + parts[1] + parts[2]);  // b.mpg and c.mpg appended to a.mpg
  }
  EXPECT_EQ(result.OutputPath, Out("ALL_a.avi"));
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"ALL_a.avi"});
  EXPECT_EQ(form->JoinedFileName, Out("ALL_a.mpg"));
  EXPECT_EQ(form->FinalOutputPath, Out("ALL_a.avi"));
  for (std::size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(Checksum(sources[i]), checksums[i]);
  EXPECT_EQ(Column(kColStatus), (std::vector<std::string>(3, kStatusFinished)));
  for (const TListRow &row : form->AdvListView1.Rows) EXPECT_EQ(row.Progress, 100);
  EXPECT_EQ(form->suiProgressBar1.Position, 100);
  EXPECT_EQ(form->suiStatusBar2.SimpleText, result.Message);
  EXPECT_EQ(result.Message.rfind("合并完成：" + Out("ALL_a.avi"), 0), 0u) << result.Message;
  EXPECT_NE(std::find(form->mmoLog.Lines.begin(), form->mmoLog.Lines.end(), result.Message),
            form->mmoLog.Lines.end());
  EXPECT_EQ(form->Caption, "Velmora");
  EXPECT_TRUE(MessageTexts().empty());
  // The window's default finishing action opens the output folder.
  const auto opened = platform.Calls("ShellOpen");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].Texts[0], outputFolder);
  ExpectIdle();
}

TEST_F(MergeDriverTest, OneSourceIsConvertedAndReadBackWithoutAppending) {
  AddAll({CopySource(dir.file("src/only.avi"), true)});
  form->SelectItem(form->suiComboBox1, 0);
  const TMergeResult result = Merge();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  EXPECT_NEAR(result.Check.durationUs, 1500000, result.Check.toleranceUs);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"ALL_only.avi"});
  EXPECT_TRUE(platform.Calls("ShellOpen").empty());
  EXPECT_TRUE(platform.Calls("Shutdown").empty());
}

TEST_F(MergeDriverTest, NumberedIntermediateNamesAreMadeAgainFromTheirBase) {
  WriteFile(Out("a.mpg"), "earlier");  // not a source: kept, never written
  const std::string a = Source("a.avi");
  AddAll({a, a});
  EXPECT_EQ(form->JobSlot[1].Intermediate.FileName, Out("a(New_2).mpg"));
  ASSERT_TRUE(form->Button14Click());
  EXPECT_EQ(form->IntermediateFiles[0], Out("a(New_1).mpg"));
  EXPECT_EQ(form->IntermediateFiles[1], Out("a(New_2).mpg"));
  EXPECT_EQ(ReadFile(Out("a.mpg")), "earlier");
  // With "overwrite" the plain name is taken again, once.
  form->Button29Click();
  form->SelectItem(form->suiComboBox4, 1);
  ASSERT_TRUE(form->Button14Click());
  EXPECT_EQ(form->IntermediateFiles[0], Out("a.mpg"));
  EXPECT_EQ(form->IntermediateFiles[1], Out("a(New_1).mpg"));
}

TEST_F(MergeDriverTest, AStopDuringTheSourcesKeepsTheIntermediatesAndMakesNothingMore) {
  ReportOften();
  AddAll({LongSource("a.mpg"), Source("b.avi"), Source("c.avi")});
  form->SelectItem(form->suiComboBox1, 2);  // would open the folder after a merge
  EventGate gate;
  GateSourceProgress(gate);
  form->btnStartClick();
  WaitFor([&] { return gate.Reached(); });
  StopAt(gate);
  const TMergeResult result = WaitForMergeEnd(0);

  EXPECT_EQ(result.Outcome, TMergeOutcome::Stopped);
  EXPECT_EQ(Column(kColStatus),
            (std::vector<std::string>{kStatusStopped, kStatusReady, kStatusReady}));
  // The question asked first.
  ASSERT_EQ(platform.Calls("MessageBox").size(), 1u);
  EXPECT_EQ(platform.Calls("MessageBox")[0].Texts,
            (std::vector<std::string>{"您确实要终止目前的转换工作吗？", "提示信息"}));
  EXPECT_EQ(platform.Calls("MessageBox")[0].Buttons, TMsgButtons::OkCancel);
  // The intermediates stay; no final file, no finishing action.
  const std::vector<std::string> files = OutputFiles();
  for (const char *name : {"a.mpg", "b.mpg", "c.mpg"})
    EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
  EXPECT_FALSE(fs::exists(Out("ALL_a.avi")));
  EXPECT_TRUE(platform.Calls("ShellOpen").empty());
  EXPECT_EQ(form->StoppedByUser, kYes);
  EXPECT_EQ(form->suiStatusBar2.SimpleText, "合并已停止。");
  // The final values set aside for the intermediates are back.
  EXPECT_EQ(form->Settings.VideoCodec, "mpeg4");
  EXPECT_EQ(form->Settings.VideoTag, "DX50");
  ExpectIdle();
}

// Closing the window in either phase of a merge ends it: no join after the
// sources, no finishing action, the sources untouched and the window's
// temporary folder gone.
void MergeDriverTest::CloseDuringMerge(bool inJoin) {
  ReportOften();
  const std::vector<std::string> sources = {LongSource("a.mpg"), Source("b.avi")};
  std::vector<std::string> before;
  for (const std::string &source : sources) before.push_back(Checksum(source));
  AddAll(sources);
  form->SelectItem(form->suiComboBox1, 1);  // "直接关闭计算机"
  const fs::path temp = fs::path(programFolder) / "temp";
  fs::create_directories(temp);
  EventGate gate;
  if (inJoin) {
    GateJoinProgress(gate);
  } else {
    GateSourceProgress(gate);
  }
  form->btnStartClick();
  WaitFor([&] { return gate.Reached(); });
  // The held conversion goes on, and the window closes while it runs.
  gate.Open();
  EXPECT_TRUE(form->FormCloseQuery());
  form->FormClose();
  form.reset();

  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(platform.Calls("Shutdown").empty());
  if (!inJoin) {
    EXPECT_FALSE(fs::exists(Out("ALL_a.avi")));
  }
  for (std::size_t i = 0; i < sources.size(); ++i)
    EXPECT_EQ(Checksum(sources[i]), before[i]) << sources[i];
}

TEST_F(MergeDriverTest, ClosingTheWindowDuringTheSourcesEndsTheMergeQuietly) {
  CloseDuringMerge(false);
}

TEST_F(MergeDriverTest, ClosingTheWindowDuringTheJoinEndsTheMergeQuietly) {
  CloseDuringMerge(true);
}

TEST_F(MergeDriverTest, AStopCancelledChangesNothing) {
  ReportOften();
  AddAll({LongSource("a.mpg")});
  EventGate gate;
  GateSourceProgress(gate);
  form->btnStartClick();
  WaitFor([&] { return gate.Reached(); });
  platform.QueueAnswer(TMsgAnswer::Cancel);
  form->btnStopClick();
  {
    auto lock = form->Lock();
    EXPECT_EQ(form->StoppedByUser, kNo);
    EXPECT_TRUE(form->ToolButton4.Enabled);
  }
  gate.Open();
  EXPECT_EQ(WaitForMergeEnd(0).Outcome, TMergeOutcome::Done);
}

TEST_F(MergeDriverTest, AStopDuringTheJoinStillShutsTheComputerDown) {
  ReportOften();
  AddAll({LongSource("a.mpg"), Source("b.avi")});
  form->SelectItem(form->suiComboBox1, 1);  // "直接关闭计算机"
  EventGate gate;
  GateJoinProgress(gate);
  form->btnStartClick();
  WaitFor([&] { return gate.Reached() && form->JoinPhase == kYes; });
  StopAt(gate);
  const TMergeResult result = WaitForMergeEnd(0);

  EXPECT_EQ(result.Outcome, TMergeOutcome::Stopped);
  EXPECT_EQ(platform.Calls("Shutdown").size(), 1u);
  // The intermediates go as after every join; the stopped final file stays.
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"ALL_a.avi"});
  EXPECT_NE(form->suiProgressBar1.Position, 100);
  ExpectIdle();
}

TEST_F(MergeDriverTest, PausingAndResumingInBothPhases) {
  ReportOften();
  AddAll({LongSource("a.mpg"), LongSource("b.mpg")});
  form->SelectItem(form->suiComboBox1, 0);
  EventGate sources, join;
  GateSourceProgress(sources);
  GateJoinProgress(join);
  form->btnStartClick();
  WaitFor([&] { return sources.Reached() && Column(kColStatus)[0] == kStatusConverting; });

  form->btnPauseClick();
  {
    auto lock = form->Lock();
    EXPECT_EQ(form->Paused, kYes);
    EXPECT_EQ(Column(kColStatus)[0], kStatusPaused);
    EXPECT_TRUE(form->ToolButton3.Enabled);  // "合并" now resumes
    EXPECT_FALSE(form->ToolButton5.Enabled);
    EXPECT_TRUE(form->ToolButton4.Enabled);
    EXPECT_TRUE(form->SourceConverter.Task(0).RunControl().Paused());
  }
  sources.Open();
  form->btnStartClick();
  {
    auto lock = form->Lock();
    EXPECT_EQ(form->Paused, kNo);
    EXPECT_FALSE(form->SourceConverter.Task(0).RunControl().Paused());
    EXPECT_FALSE(form->ToolButton3.Enabled);
    EXPECT_TRUE(form->ToolButton5.Enabled);
  }

  WaitFor([&] { return join.Reached(); });
  form->btnPauseClick();
  {
    auto lock = form->Lock();
    EXPECT_EQ(form->JoinPhase, kYes);
    EXPECT_EQ(form->Paused, kNo);  // the join pauses without this flag
    EXPECT_TRUE(form->JoinConverter.Task(0).RunControl().Paused());
    EXPECT_TRUE(form->ToolButton3.Enabled);
  }
  join.Open();
  form->btnStartClick();
  {
    auto lock = form->Lock();
    EXPECT_FALSE(form->JoinConverter.Task(0).RunControl().Paused());
  }
  const TMergeResult result = WaitForMergeEnd(0);
  EXPECT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  EXPECT_EQ(Column(kColStatus), (std::vector<std::string>(2, kStatusFinished)));
}

TEST_F(MergeDriverTest, TheMergeBarMovesOnlyInTheJoinAndFifteenFramesBecomeTwentyFiveOnTheWay) {
  ReportOften();
  AddAll({LongSource("a.mpg"), Source("b.avi")});
  form->SelectItem(form->suiComboBox1, 0);
  form->SelectItem(form->suiComboBox8, 2);  // "15.00"
  ASSERT_EQ(form->suiComboBox8.Text, "15.00");
  form->suiProgressBar1.Position = 37;  // left from an earlier merge
  // The merge bar as the changes of the sources' phase leave it, looked at
  // on every change while waiting for the end.
  int highestDuringSources = -1;
  bool joined = false;
  form->btnStartClick();
  WaitFor([&] {
    joined = joined || form->JoinPhase == kYes;
    if (!joined)
      highestDuringSources = std::max(highestDuringSources, form->suiProgressBar1.Position);
    return form->LastMerge.Count > 0;
  });
  const TMergeResult result = Result();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  EXPECT_EQ(highestDuringSources, 0);
  EXPECT_EQ(form->suiProgressBar1.Position, 100);
  for (int row = 0; row < 2; ++row) EXPECT_EQ(form->JobSlot[row].Intermediate.FrameRate, "25.00");
  EXPECT_EQ(StreamEntry(result.OutputPath, "video", "r_frame_rate"), "15/1");
}

}  // namespace
}  // namespace velmora
