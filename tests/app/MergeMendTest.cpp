// The faults of the older merge that this one mends, each by its own case:
// the intermediates' container, codecs and audio format, the disc targets'
// own values, the MPEG-2 type, a missing first intermediate, never writing
// a source, returning to idle when a source or the joined file cannot be
// opened, progress of long, short and empty durations, and a failed final
// encode that is shown instead of being reported as done.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "MergeFixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::MergeFixture;

class MergeMendTest : public MergeFixture {
 protected:
  void ChoosePreset(int preset) {
    form->SelectItem(form->suiComboBox5, preset);
    form->suiComboBox5Change();
    form->SelectItem(form->suiComboBox1, 0);
  }
  // A small source with sound of `rate` Hz and `channels`.
  std::string SoundSource(const std::string &name, int rate, int channels) {
    const std::string path = (fs::path(sourceFolder) / name).string();
    fs::copy_file(
        test::SharedMedia("mend-" + std::to_string(rate) + "-" + std::to_string(channels) +
                              fs::path(name).extension().string(),
                          {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=0.5", "-f", "lavfi", "-i",
                           "sine=d=0.5:r=" + std::to_string(rate), "-ac", std::to_string(channels),
                           "-c:v", "mpeg4"}),
        path, fs::copy_options::overwrite_existing);
    return path;
  }
  // Runs `change` on the source converter's last event, before the join.
  void BeforeTheJoin(std::function<void()> change) {
    auto handler = form->SourceConverter.OnTerminate;
    form->SourceConverter.OnTerminate = [handler, change](int i, bool f, bool e,
                                                          const std::string &m) {
      if (i < 0) change();
      handler(i, f, e, m);
    };
  }
  // The final record as the join phase makes it.
  TOutputOptions FinalRecord() {
    form->Button29Click();
    form->ApplyFinalCompletions();
    return form->FinalOutputOptions();
  }
};

TEST_F(MergeMendTest, AStoredContainerNeverReachesTheIntermediates) {
  for (int preset : {10, 33}) {  // "asf", "mov"
    SCOPED_TRACE(preset);
    form->btnClearClick();
    ChoosePreset(preset);
    for (const char *name : {"a.avi", "b.avi", "c.avi"}) Add(Source(name));
    EXPECT_EQ(form->JobSlot[0].Intermediate.FileFormat, preset == 10 ? "asf" : "mov");
    const TMergeResult result = Merge();
    for (int row = 0; row < 3; ++row) EXPECT_EQ(form->JobSlot[row].Intermediate.FileFormat, "");
    // Otherwise only the first source would survive the join.
    EXPECT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
    EXPECT_NEAR(result.Check.durationUs, 1500000, result.Check.toleranceUs);
  }
}

TEST_F(MergeMendTest, IntermediatesKeepOnlyCodecsAProgramStreamCarries) {
  struct Case {
    int preset;
    const char *video, *audio;  // what the intermediate keeps
  };
  const Case cases[] = {
      {3, "", ""},             // wmv2, wmav2
      {5, "libx264", ""},      // H.264 stays
      {34, "", "libmp3lame"},  // mjpeg goes, MP3 stays
      {39, "", "ac3"},
      {40, "", ""},  // libvorbis
      {14, "mpeg4", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.preset);
    form->btnClearClick();
    ChoosePreset(c.preset);
    Add(Source("a.avi"));
    ASSERT_TRUE(form->Button14Click());
    EXPECT_EQ(form->JobSlot[0].Intermediate.VideoCodec, c.video);
    EXPECT_EQ(form->JobSlot[0].Intermediate.AudioCodec, c.audio);
    EXPECT_EQ(form->JobSlot[0].Intermediate.ExtraOptions, "bf=0");  // pictures in display order
    form->Button29Click();                                          // the window's values come back
  }
}

TEST_F(MergeMendTest, AllIntermediatesShareOneAudioFormat) {
  // Without the audio quality box (PSP): the first source's format.
  ChoosePreset(19);
  Add(SoundSource("a.avi", 44100, 2));
  Add(SoundSource("b.mkv", 22050, 1));
  ASSERT_TRUE(form->Button14Click());
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(form->JobSlot[row].Intermediate.AudioSampleRate, 44100) << row;
    EXPECT_EQ(form->JobSlot[row].Intermediate.AudioChannels, 2) << row;
  }
  form->Button29Click();
  // With it (AVI): the box's triple.
  form->btnClearClick();
  ChoosePreset(0);
  form->SelectItem(form->suiComboBox7, 3);  // "音频质量超好"
  Add(SoundSource("b.mkv", 22050, 1));
  Add(SoundSource("a.avi", 44100, 2));
  const TMergeResult result = Merge();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(form->JobSlot[row].Intermediate.AudioSampleRate, 48000) << row;
    EXPECT_EQ(form->JobSlot[row].Intermediate.AudioChannels, 2) << row;
  }
  EXPECT_EQ(StreamEntry(result.OutputPath, "audio", "sample_rate"), "48000");
}

TEST_F(MergeMendTest, TheVcdKeepsItsOwnVideoBitRate) {
  ChoosePreset(7);
  form->SelectItem(form->suiComboBox6, 4);  // "1200 kbps(很高质量)"
  Add(Source("a.avi"));
  ASSERT_TRUE(form->Button14Click());
  EXPECT_EQ(form->JobSlot[0].Intermediate.Target, 1);
  EXPECT_EQ(form->JobSlot[0].Intermediate.VideoBitrate, -1);
  const TOutputOptions final = FinalRecord();
  EXPECT_EQ(final.Target, 1);
  EXPECT_EQ(final.VideoBitrate, -1);
}

TEST_F(MergeMendTest, DiscTargetsKeepTheirOwnSampleRate) {
  ChoosePreset(9);  // DVD: 48 000 Hz whatever the audio quality box says
  for (const char *name : {"a.avi", "b.avi"}) Add(Source(name));
  const TMergeResult result = Merge();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  EXPECT_EQ(form->JobSlot[0].Intermediate.AudioSampleRate, -1);
  EXPECT_EQ(form->FinalOutputOptions().AudioSampleRate, -1);
  EXPECT_EQ(StreamEntry(result.OutputPath, "audio", "sample_rate"), "48000");
}

TEST_F(MergeMendTest, TheMpeg2TypeWritesMpeg2Video) {
  ChoosePreset(2);
  Add(Source("a.avi"));
  ASSERT_TRUE(form->Button14Click());
  EXPECT_EQ(FinalRecord().VideoCodec, "mpeg2video");
  EXPECT_EQ(form->FinalExtension(), ".mpg");
}

TEST_F(MergeMendTest, TheJoinStartsFromTheFirstIntermediateThatExists) {
  ChoosePreset(0);
  Add(Source("a.avi"));
  Add(CopySource(dir.file("src/b.avi"), true));
  Add(Source("c.avi"));
  BeforeTheJoin([this] { fs::remove(Out("a.mpg")); });
  const TMergeResult result = Merge();
  // b and c are joined; the file is short by a, so not reported as done.
  EXPECT_EQ(form->Caption, "Velmora");  // no append failed
  ASSERT_TRUE(fs::exists(Out("ALL_a.avi")));
  EXPECT_EQ(result.Outcome, TMergeOutcome::Failed);
  EXPECT_EQ(result.Check.failure, TMergeCheckFailure::TooShort);
  EXPECT_NEAR(result.Check.durationUs, 2000000, result.Check.toleranceUs);
  EXPECT_NE(result.Message.find("输出文件比源文件的总时长短"), std::string::npos) << result.Message;
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{result.Message});
}

TEST_F(MergeMendTest, NothingTheMergeWritesOrDeletesIsASource) {
  // Sources inside the output folder under the names the merge would give
  // its own files, and "overwrite" chosen.
  ChoosePreset(0);
  form->SelectItem(form->suiComboBox4, 1);
  const std::vector<std::string> sources = {CopySource(Out("a.mpg")), Source("a.avi"),
                                            CopySource(Out("ALL_a.avi"), true)};
  std::vector<std::string> checksums;
  for (const std::string &source : sources) {
    checksums.push_back(Checksum(source));
    Add(source);
  }
  ASSERT_EQ(form->AdvListView1.RowCount(), 3);
  const TMergeResult result = Merge();
  for (std::size_t i = 0; i < sources.size(); ++i)
    EXPECT_EQ(Checksum(sources[i]), checksums[i]) << i;
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  EXPECT_EQ(result.OutputPath, Out("ALL_a(New_1).avi"));
  for (int row = 0; row < 3; ++row)
    for (const std::string &source : sources) EXPECT_NE(form->IntermediateFiles[row], source);
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"ALL_a(New_1).avi", "ALL_a.avi", "a.mpg"}));
}

TEST_F(MergeMendTest, ASourceThatCannotBeOpenedAnyMoreLeavesTheWindowIdle) {
  ChoosePreset(0);
  Add(Source("a.avi"));
  const std::string gone = Source("b.avi");
  Add(gone);
  fs::remove(gone);
  const TMergeResult result = Merge();
  EXPECT_EQ(result.Outcome, TMergeOutcome::Failed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"无法识别的音频或视频文件！" + gone});
  EXPECT_EQ(form->AdvListView1.RowCount(), 2);
  EXPECT_EQ(Column(kColStatus), (std::vector<std::string>(2, kStatusReady)));
  EXPECT_EQ(form->SourceConverter.TaskCount(), 0);
  EXPECT_TRUE(OutputFiles().empty());  // no intermediate left behind
  EXPECT_EQ(form->Settings.VideoCodec, "mpeg4");
  EXPECT_TRUE(form->ToolButton3.Enabled);
  EXPECT_TRUE(form->ToolButton1.Enabled);
  EXPECT_TRUE(form->suiComboBox5.Enabled);
  EXPECT_FALSE(form->ToolButton4.Enabled);
  // Removing the rows keeps them and the tasks in step.
  form->SelectRow(1);
  form->btnRemoveClick();
  EXPECT_EQ(Column(kColSource), std::vector<std::string>{form->JobSlot[0].Input.FileName});
}

TEST_F(MergeMendTest, AJoinedFileThatCannotBeOpenedLeavesTheWindowIdle) {
  ChoosePreset(0);
  for (const char *name : {"a.avi", "b.avi"}) Add(Source(name));
  BeforeTheJoin([this] {
    for (const char *name : {"a.mpg", "b.mpg"}) std::ofstream(Out(name)) << "not a stream";
  });
  const TMergeResult result = Merge();
  EXPECT_EQ(result.Outcome, TMergeOutcome::Failed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"无法识别的音频或视频文件！" + Out("a.mpg")});
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_NE(std::find_if(form->mmoLog.Lines.begin(), form->mmoLog.Lines.end(),
                         [](const std::string &l) { return l.rfind("***文件打开失败: ", 0) == 0; }),
            form->mmoLog.Lines.end());
  EXPECT_EQ(form->JoinPhase, kNo);
  EXPECT_TRUE(form->ToolButton3.Enabled);
  EXPECT_TRUE(form->suiButton3.Enabled);
  EXPECT_FALSE(form->ToolButton5.Enabled);
}

TEST_F(MergeMendTest, ProgressStaysRightForLongShortAndUnknownDurations) {
  ChoosePreset(0);
  for (const char *name : {"a.avi", "b.avi", "c.avi"}) Add(Source(name));  // 0.5 s each
  // The first source's first report stands for one seven hours into eight,
  // the second source's for one of a source whose duration is not known.
  test::EventGate longOne, unknown;
  std::atomic<int> reports{0};
  auto handler = form->SourceConverter.OnProgress;
  form->SourceConverter.OnProgress = [&, handler](int i, int f, int fps, int d, float q, float b,
                                                  std::int64_t s, int t) {
    if (i == 0 && reports++ == 0) {
      handler(i, f, fps, 25200000, q, b, s, 28800000);
      longOne.Pass();
    } else if (i == 1 && !unknown.Reached()) {
      handler(i, f, fps, 1000, q, b, s, -1);
      unknown.Pass();
    } else {
      handler(i, f, fps, d, q, b, s, t);
    }
  };
  form->btnStartClick();
  // A bar of 87 % and the seconds in full, without an overflow.
  WaitFor([&] {
    return form->AdvListView1.Rows[0].Progress == 87 &&
           Column(kColCurrentTime)[0] == "25200   (秒)";
  });
  longOne.Open();
  // No bar without a known duration, and no division by zero.
  WaitFor([&] {
    return form->AdvListView1.Rows[1].Columns[kColCurrentTime] == "1   (秒)" &&
           form->AdvListView1.Rows[1].Progress == 0;
  });
  unknown.Open();
  // The merge bar as the changes of the join leave it.
  std::vector<int> joinBars;
  WaitFor([&] {
    if (form->JoinPhase == kYes) joinBars.push_back(form->suiProgressBar1.Position);
    return form->LastMerge.Count > 0;
  });
  const TMergeResult result = Result();
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message;
  auto lock = form->Lock();
  EXPECT_EQ(form->TotalSeconds, 0);  // every source is shorter than a second
  ASSERT_FALSE(joinBars.empty());
  for (int bar : joinBars) EXPECT_LE(bar, 100);
  EXPECT_EQ(form->suiProgressBar1.Position, 100);
}

TEST_F(MergeMendTest, AFailedFinalEncodeIsShownAndNeverReportedAsDone) {
  ChoosePreset(0);
  for (const char *name : {"a.avi", "b.avi"}) Add(Source(name));
  form->Settings.VideoCodec = "nonexistent";  // as the advanced options could leave it
  const TMergeResult result = Merge();
  EXPECT_EQ(result.Outcome, TMergeOutcome::Failed);
  EXPECT_EQ(result.Message, "合并失败：new_video_stream fail: Unknown encoder 'nonexistent'");
  const auto boxes = platform.Calls("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{result.Message, "错误"}));
  EXPECT_EQ(boxes[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(form->suiStatusBar2.SimpleText, result.Message);
  EXPECT_NE(form->suiProgressBar1.Position, 100);
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_TRUE(form->ToolButton3.Enabled);
}

}  // namespace
}  // namespace velmora
