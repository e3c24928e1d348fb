// Every output type with every entry of its video encoder box and of its
// audio encoder box (the other boxes at their defaults), from the wizard to
// a merge of two listed sources: a choice the dialog takes gives a file of
// the type's container with the chosen codecs that plays from start to end;
// a choice it refuses is one the libraries really cannot write, and the
// refusal names the encoder and the container and leaves the main window as
// it was. Each test prints its rows: type, box, entry, made or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "WizardFixture.h"
#include "WizardMerge.h"
#include "dialogs/LibraryCheck.h"
#include "dialogs/OutputTypeTable.h"
#include "media/MergedFileCheck.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

struct Combination {
  bool VideoBox;  // the entry is one of the video encoder box, else of the audio box
  std::string Entry;
};

// The type's video entries with the audio default, then its other audio entries.
std::vector<Combination> CombinationsOf(const TOutputType &type) {
  std::vector<Combination> combinations;
  for (const std::string &entry : *type.VideoEncoders.List) combinations.push_back({true, entry});
  const TValueList &audio = *type.AudioEncoders.List;
  for (int i = 0; i < static_cast<int>(audio.size()); ++i)
    if (i != type.AudioEncoders.Entry) combinations.push_back({false, audio[i]});
  return combinations;
}

class CombinationMatrixTest : public WizardFixture, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    const TChosenOutputCheck library = LibraryCheck(*form);
    MakeWizard([this, library](const TChosenOutput &chosen) {
      checked = chosen;
      return library(chosen);
    });
    sources = {Source("第一段.mpg"), Source("second.mpg")};
    for (const std::string &source : sources) {
      Add(source);
      durations.push_back(DurationOf(source));
    }
    ASSERT_EQ(form->AdvListView1.RowCount(), 2);
    fresh = form->Settings;
  }

  // The merge's output against the encode it was made with.
  void ExpectPlayableFile(const TMergeOutcome &merge, const TFinalEncode &encode) {
    ASSERT_TRUE(merge.Made) << merge.Error;
    EXPECT_EQ(ContainerOf(merge.Output), ContainerFor(encode.Extension));
    TMergeExpectation expected;
    expected.video = !encode.Options.DisableVideo;
    expected.videoCodec = CodecOfEncoder(encode.Options.VideoCodec, true);
    expected.audioCodec = CodecOfEncoder(encode.Options.AudioCodec, false);
    expected.sourceDurationsUs = durations;
    const TMergeCheckReport report = CheckMergedFile(merge.Output, expected);
    EXPECT_TRUE(report.Passed()) << "failure " << static_cast<int>(report.failure) << ", codecs "
                                 << report.videoCodec << "/" << report.audioCodec << ", "
                                 << report.durationUs << " us of " << report.expectedUs << " ± "
                                 << report.toleranceUs;
  }

  std::vector<std::string> sources;
  std::vector<std::int64_t> durations;
  TOutputSettings fresh;
  TChosenOutput checked;
};

TEST_P(CombinationMatrixTest, EveryEncoderEntryGivesAFileOrARefusalNamingIt) {
  const int typeNumber = GetParam();
  const TOutputType &type = *FindOutputType(typeNumber);
  for (const Combination &c : CombinationsOf(type)) {
    SCOPED_TRACE(c.Entry);
    form->Settings = fresh;
    const int presetBefore = form->PresetNumber;
    OpenOptionsFor(typeNumber);
    TForm8 &dialog = wizard->Form8;
    Choose(c.VideoBox ? dialog.suiComboBox1 : dialog.suiComboBox5, c.Entry);
    platform.ClearCalls();
    const TOutputSettings before = form->Settings;
    dialog.suiButton1Click();
    const TFinalEncode encode = FinalEncodeOf(checked);
    const char *box = c.VideoBox ? "video" : "audio";
    if (dialog.Visible) {
      const std::vector<std::string> messages = MessageTexts();
      ASSERT_EQ(messages.size(), 1u);
      // It names the encoder it refuses, the chosen one or the other box's.
      EXPECT_TRUE(messages[0].find("“" + checked.VideoEncoderEntry + "”") != std::string::npos ||
                  messages[0].find("“" + checked.AudioEncoderEntry + "”") != std::string::npos)
          << messages[0];
      EXPECT_NE(messages[0].find("(*" + encode.Extension + ")"), std::string::npos) << messages[0];
      EXPECT_TRUE(form->Settings == before);
      EXPECT_EQ(form->PresetNumber, presetBefore);
      // The libraries really cannot write it.
      const TMergeOutcome merge = MergeWith(encode, sources, outputFolder);
      EXPECT_FALSE(merge.Made) << merge.Output;
      std::string message = messages[0];
      std::replace(message.begin(), message.end(), '\n', ' ');
      std::printf("MATRIX %d|%s|%s|%s|refused|%s\n", typeNumber, type.Caption, box, c.Entry.c_str(),
                  message.c_str());
      dialog.suiButton2Click();
      wizard->Form7.suiButton2Click();
      continue;
    }
    EXPECT_TRUE(MessageTexts().empty());
    const TMergeOutcome merge = MergeWith(FinalEncodeOf(ChosenOutputOf(*form)), sources, outputFolder);
    ExpectPlayableFile(merge, encode);
    std::printf("MATRIX %d|%s|%s|%s|made|%s %s/%s\n", typeNumber, type.Caption, box,
                c.Entry.c_str(), fs::path(merge.Output).extension().c_str(),
                encode.Options.VideoCodec.c_str(), encode.Options.AudioCodec.c_str());
    fs::remove(merge.Output);
  }
}

INSTANTIATE_TEST_SUITE_P(Types, CombinationMatrixTest, ::testing::Range(1, kOutputTypeCount + 1),
                         [](const ::testing::TestParamInfo<int> &info) {
                           return "Type" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace velmora::test
