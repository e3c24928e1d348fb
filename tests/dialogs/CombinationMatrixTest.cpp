// Every output type with every entry of its video encoder box and of its
// audio encoder box (the other boxes at their defaults), from the wizard to
// a merge of two listed sources: a choice the dialog takes gives a file of
// the type's container with the chosen codecs that the merge's own check
// passes; a choice it refuses is one the libraries really cannot write
// (taken without the check, its merge fails), and the refusal names the
// encoder and the container and leaves the main window as it was. Each test
// prints its row: type, box, entry, made or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "WizardFixture.h"
#include "WizardMerge.h"
#include "dialogs/LibraryCheck.h"
#include "dialogs/OutputTypeTable.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

struct Combination {
  int Type;
  bool VideoBox;  // an entry of the video encoder box, else of the audio box
  std::string Entry;
};

void PrintTo(const Combination &c, std::ostream *out) {
  *out << "type " << c.Type << ", " << (c.VideoBox ? "video" : "audio") << " entry " << c.Entry;
}

// Each type's video entries with the audio default, then its other audio entries.
std::vector<Combination> AllCombinations() {
  std::vector<Combination> combinations;
  for (int type = 1; type <= kOutputTypeCount; ++type) {
    const TOutputType &row = *FindOutputType(type);
    for (const std::string &entry : *row.VideoEncoders.List)
      combinations.push_back({type, true, entry});
    const TValueList &audio = *row.AudioEncoders.List;
    for (int i = 0; i < static_cast<int>(audio.size()); ++i)
      if (i != row.AudioEncoders.Entry) combinations.push_back({type, false, audio[i]});
  }
  return combinations;
}

class CombinationMatrixTest : public WizardFixture,
                              public ::testing::WithParamInterface<Combination> {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    UseLibraryCheck();
    for (const char *name : {"第一段.mpg", "second.mpg"}) Add(Source(name));
    ASSERT_EQ(form->AdvListView1.RowCount(), 2);
  }
  void UseLibraryCheck() {
    const TChosenOutputCheck library = LibraryCheck(*form);
    MakeWizard([this, library](const TChosenOutput &chosen) {
      checked = chosen;
      return library(chosen);
    });
  }
  // Opens the dialog for the combination and presses "确定"; returns the
  // main window's settings as they were just before.
  TOutputSettings Choose(const Combination &c) {
    OpenOptionsFor(c.Type);
    TForm8 &dialog = wizard->Form8;
    WizardFixture::Choose(c.VideoBox ? dialog.suiComboBox1 : dialog.suiComboBox5, c.Entry);
    const TOutputSettings before = form->Settings;
    dialog.suiButton1Click();
    return before;
  }
  void PrintRow(const Combination &c, const char *outcome, const std::string &detail) {
    std::printf("MATRIX %d|%s|%s|%s|%s|%s\n", c.Type, FindOutputType(c.Type)->Caption,
                c.VideoBox ? "video" : "audio", c.Entry.c_str(), outcome, detail.c_str());
  }

  TChosenOutput checked;
};

TEST_P(CombinationMatrixTest, GivesAFileOrARefusalNamingTheEncoderAndTheContainer) {
  const Combination &c = GetParam();
  const int presetBefore = form->PresetNumber;
  platform.ClearCalls();
  const TOutputSettings before = Choose(c);
  const TFinalEncode &encode = checked.Encode;

  if (wizard->Form8.Visible) {
    const std::vector<std::string> messages = MessageTexts();
    ASSERT_EQ(messages.size(), 1u);
    const std::string &message = messages[0];
    // It names the encoder it refuses, the chosen one or the other box's.
    EXPECT_TRUE(message.find("“" + checked.VideoEncoderEntry + "”") != std::string::npos ||
                message.find("“" + checked.AudioEncoderEntry + "”") != std::string::npos)
        << message;
    EXPECT_NE(message.find("(*" + encode.Extension + ")"), std::string::npos) << message;
    EXPECT_TRUE(form->Settings == before);
    EXPECT_EQ(form->PresetNumber, presetBefore);
    std::string row = message;
    std::replace(row.begin(), row.end(), '\n', ' ');
    PrintRow(c, "refused", row);

    // Taken without the check, the merge fails.
    wizard->Form8.suiButton2Click();
    wizard->Form7.suiButton2Click();
    MakeWizard();
    Choose(c);
    ASSERT_FALSE(wizard->Form8.Visible);
    const TMergeResult merge = Merge();
    EXPECT_EQ(merge.Outcome, TMergeOutcome::Failed) << merge.Message;
    return;
  }

  EXPECT_TRUE(MessageTexts().empty());
  const TMergeResult merge = Merge();
  ASSERT_EQ(merge.Outcome, TMergeOutcome::Done) << merge.Message << "\n" << form->mmoLog.Text();
  EXPECT_EQ(fs::path(merge.OutputPath).extension(), encode.Extension);
  EXPECT_EQ(FormatName(merge.OutputPath), ContainerFor(encode.Extension));
  EXPECT_EQ(merge.Check.videoCodec.empty(), encode.Options.DisableVideo);
  // The codecs the encode names (the container's own where it names none).
  if (const std::string codec = CodecOfEncoder(encode.Options.VideoCodec, true); !codec.empty()) {
    EXPECT_EQ(merge.Check.videoCodec, codec);
  }
  if (const std::string codec = CodecOfEncoder(encode.Options.AudioCodec, false); !codec.empty()) {
    EXPECT_EQ(merge.Check.audioCodec, codec);
  }
  PrintRow(c, "made",
           encode.Extension + " " + merge.Check.videoCodec + "/" + merge.Check.audioCodec);
}

INSTANTIATE_TEST_SUITE_P(Types, CombinationMatrixTest, ::testing::ValuesIn(AllCombinations()),
                         [](const ::testing::TestParamInfo<Combination> &info) {
                           return "Type" + std::to_string(info.param.Type) +
                                  (info.param.VideoBox ? "Video" : "Audio") +
                                  std::to_string(info.index);
                         });

}  // namespace
}  // namespace velmora::test
