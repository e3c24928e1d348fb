// The advanced options dialog: what "确定" leaves in the main window for the
// cases that matter (the dialog's writes followed by the type's preset),
// what showing and cancelling change, the audio encoder switch of the phone
// types, and a refused choice that leaves the main window untouched.
#include <gtest/gtest.h>

#include "WizardFixture.h"
#include "dialogs/ChoiceWrites.h"
#include "dialogs/OptionLists.h"

namespace velmora::test {
namespace {

using Box = TComboBoxState TForm8::*;

struct Pick {
  Box Which;
  const char *Entry;
};

// The main window after "确定"; the settings not named keep their defaults.
struct Outcome {
  const char *VideoCodec;
  const char *VideoTag;
  const char *AudioCodec;
  int AudioBitRate;
  const char *AudioSampleRate;
  const char *AudioChannels;
  const char *AudioVolume;
  const char *TargetType;
  const char *TvNorm;
  const char *OutputFormat;
  const char *VideoFilters;
  bool AudioOnly;
  const char *VideoQualityBox;  // the main window's selected video bit rate
  int PresetNumber;
  const char *FrameSizeBox;  // the main window's selected frame size
};

struct Case {
  const char *Name;
  int Type;
  std::vector<Pick> Picks;
  bool AllEffects;
  Outcome After;
};

constexpr Box kVideo = &TForm8::suiComboBox1;
constexpr Box kAudio = &TForm8::suiComboBox5;
constexpr Box kBitRate = &TForm8::suiComboBox6;
constexpr Box kVolume = &TForm8::suiComboBox9;

// clang-format off
const Case kCases[] = {
    {"XviD 2 keeps its codec and no tag under the fill rule", 1, {{kVideo, "XviD 视频压缩器2"}}, false,
     {"libxvid", "", "libmp3lame", 128000, "44100", "2", "256", "", "", "", "", false, "528 kbps(中等质量)", 17, "640*480"}},
    {"PSP default: mpeg4 without a tag", 4, {}, false,
     {"mpeg4", "", "libfaac", 128000, "24000", "2", "256", "", "", "", "", false, "528 kbps(中等质量)", 20, "320*240"}},
    {"RM 2: the preset puts rv10 back and clears the automatic audio codec", 19, {{kVideo, "RM视频压缩器2"}}, false,
     {"rv10", "", "", -1000, "AUTO", "2", "256", "", "", "", "", false, "528 kbps(中等质量)", 12, "320*240"}},
    {"ASF audio 2: the preset's wmav2 and container win", 27, {{kAudio, "ASF音频编码器2"}}, false,
     {"msmpeg4", "", "wmav2", 128000, "48000", "2", "256", "", "", "asf", "", false, "528 kbps(中等质量)", 11, "320*240"}},
    {"MJPEG with PCM: the preset's MP3, mono by default", 28, {{kAudio, "PCM音频编码器"}}, false,
     {"mjpeg", "", "libmp3lame", 96000, "44100", "1", "256", "", "", "", "", false, "3000 kbps(高质量)", 35, "320*240"}},
    {"AMR at 12.2: the preset's AMR values win", 38, {{kBitRate, "12.2"}}, false,
     {"", "", "libamr_nb", 7400, "8000", "1", "256", "", "", "", "", true, "无", 45, "无"}},
    {"NTSC DVD: the disc reset, then the dialog's audio codec and volume", 23, {{kVideo, "NTSC_DVD视频压缩器"}}, false,
     {"", "", "libmp3lame", -1000, "", "", "256", "dvd", "NTSC", "", "", false, "1200 kbps(很高质量)", 10, "720*480"}},
    {"3GP switched to AMR", 10, {{kAudio, "AMR音频编码器"}}, false,
     {"mpeg4", "", "libamr_nb", 7400, "8000", "1", "256", "", "", "", "", false, "128 kbps", 26, "176*144"}},
    {"all three effects in their order", 1, {}, true,
     {"mpeg4", "DX50", "libmp3lame", 128000, "44100", "2", "256", "", "", "", "hflip,vflip,negate", false, "528 kbps(中等质量)", 17, "640*480"}},
    {"half the volume", 1, {{kVolume, "音量降低50%"}}, false,
     {"mpeg4", "DX50", "libmp3lame", 128000, "44100", "2", "128", "", "", "", "", false, "528 kbps(中等质量)", 17, "640*480"}},
};
// clang-format on

class AdvancedOptionsTest : public WizardFixture {
 protected:
  TForm8 &dialog() { return wizard->Form8; }
};

TEST_F(AdvancedOptionsTest, OkWritesTheChoicesAndThenAppliesTheTypesPreset) {
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.Name);
    form->Button30Click();  // fresh output settings for every case
    OpenOptionsFor(c.Type);
    for (const Pick &pick : c.Picks) Choose(dialog().*pick.Which, pick.Entry);
    for (TCheckBoxState *effect : {&dialog().suiCheckBox2, &dialog().suiCheckBox3, &dialog().suiCheckBox4})
      dialog().SetChecked(*effect, c.AllEffects);
    ASSERT_TRUE(dialog().Button4Click());
    const TOutputSettings &s = form->Settings;
    const Outcome &o = c.After;
    EXPECT_EQ(s.VideoCodec, o.VideoCodec);
    EXPECT_EQ(s.VideoTag, o.VideoTag);
    EXPECT_EQ(s.AudioCodec, o.AudioCodec);
    EXPECT_EQ(s.AudioBitRate, o.AudioBitRate);
    EXPECT_EQ(s.AudioSampleRate, o.AudioSampleRate);
    EXPECT_EQ(s.AudioChannels, o.AudioChannels);
    EXPECT_EQ(s.AudioVolume, o.AudioVolume);
    EXPECT_EQ(s.TargetType, o.TargetType);
    EXPECT_EQ(s.TvNorm, o.TvNorm);
    EXPECT_EQ(s.OutputFormat, o.OutputFormat);
    EXPECT_EQ(s.VideoFilters, o.VideoFilters);
    EXPECT_EQ(s.AudioOnly, o.AudioOnly);
    // The video bit rate only the disc reset writes; the box shows the preset's default.
    EXPECT_EQ(s.VideoBitRate, c.Type == 23 ? -1000 : -1);
    EXPECT_EQ(form->suiComboBox6.Text, o.VideoQualityBox);
    EXPECT_EQ(form->PresetNumber, o.PresetNumber);
    EXPECT_EQ(form->suiComboBox10.Text, o.FrameSizeBox);
    EXPECT_FALSE(dialog().Visible);
    EXPECT_FALSE(wizard->Form7.Visible);
  }
}

TEST_F(AdvancedOptionsTest, ThePhoneTypesRefillTheAudioBoxesForAmrAndBack) {
  OpenOptionsFor(10);
  EXPECT_EQ(dialog().suiComboBox6.Text, "12");
  Choose(dialog().suiComboBox5, kAmrEncoder);
  EXPECT_EQ(dialog().suiComboBox6.Items, kAB8);
  EXPECT_EQ(dialog().suiComboBox6.Text, "7.4");
  EXPECT_EQ(dialog().suiComboBox7.Items, TValueList{"8000"});
  EXPECT_EQ(dialog().suiComboBox10.Items, TValueList{kMono});
  Choose(dialog().suiComboBox5, kAacEncoder);
  EXPECT_EQ(dialog().suiComboBox6.Items, kAB3);
  EXPECT_EQ(dialog().suiComboBox6.Text, "12");

  dialog().suiButton2Click();
  wizard->Form7.Select(12);  // type 13
  wizard->Form7.suiButton1Click();
  Choose(dialog().suiComboBox5, kAmrEncoder);
  Choose(dialog().suiComboBox5, kAacEncoder);
  EXPECT_EQ(dialog().suiComboBox6.Items, kAB6);
  EXPECT_EQ(dialog().suiComboBox7.Text, "32000");
  EXPECT_EQ(dialog().suiComboBox10.Text, kStereo);

  // Elsewhere a change of the audio encoder changes nothing else.
  dialog().suiButton2Click();
  wizard->Form7.Select(0);
  wizard->Form7.suiButton1Click();
  Choose(dialog().suiComboBox6, "64");
  Choose(dialog().suiComboBox5, "AC3音频编码器");
  EXPECT_EQ(dialog().suiComboBox6.Text, "64");
}

TEST_F(AdvancedOptionsTest, AudioTypesDisableTheVideoControlsUntilAVideoTypeIsShown) {
  const std::vector<TControl *> video = {&dialog().suiComboBox1, &dialog().suiCheckBox2,
                                         &dialog().suiCheckBox3, &dialog().suiCheckBox4};
  OpenOptionsFor(29);
  for (const TControl *control : video) EXPECT_FALSE(control->Enabled) << control->Name;
  EXPECT_EQ(dialog().OutputKind, "Music");
  EXPECT_EQ(dialog().suiComboBox1.Text, "该格式无视频");
  EXPECT_EQ(dialog().suiComboBox9.Text, "音量保持不变");
  dialog().suiButton2Click();
  wizard->Form7.Select(14);  // type 15
  wizard->Form7.suiButton1Click();
  for (const TControl *control : video) EXPECT_TRUE(control->Enabled) << control->Name;
  EXPECT_EQ(dialog().OutputKind, "Vedio");
  EXPECT_EQ(dialog().suiComboBox1.Text, "H264/AVC高清视频压缩器");
  EXPECT_EQ(dialog().suiComboBox6.Text, "128");
  EXPECT_EQ(dialog().suiComboBox7.Text, "48000");
  EXPECT_EQ(dialog().DiscTarget, "");
}

TEST_F(AdvancedOptionsTest, ShowingClearsTagFiltersFormatAndNormAndCancelKeepsThat) {
  PickPreset(7);   // VCD: TV norm PAL
  PickPreset(10);  // ASF: forced container
  PickPreset(14);  // DivX: mpeg4 with "DX50"
  form->Settings.VideoFilters = "hflip";
  OpenOptionsFor(21);
  dialog().suiButton2Click();
  wizard->Form7.suiButton2Click();
  EXPECT_EQ(form->Settings.VideoTag, "");
  EXPECT_EQ(form->Settings.VideoFilters, "");
  EXPECT_EQ(form->Settings.TvNorm, "");
  EXPECT_EQ(form->Settings.OutputFormat, "mov");  // the MOV type's container
  EXPECT_EQ(form->Settings.VideoCodec, "mpeg4");  // untouched
  EXPECT_EQ(form->PresetNumber, 15);

  // The tag comes back only with a preset that sets one.
  PickPreset(4);  // MP4, fill rule: a codec is set, so no tag
  EXPECT_EQ(form->Settings.VideoTag, "");
  PickPreset(14);
  EXPECT_EQ(form->Settings.VideoTag, "DX50");
}

TEST_F(AdvancedOptionsTest, TheDiscTypesKeepTheirTargetAndTheOthersClearIt) {
  OpenOptionsFor(24);
  EXPECT_EQ(dialog().DiscTarget, "svcd");
  ASSERT_TRUE(dialog().Button4Click());
  EXPECT_EQ(form->Settings.TargetType, "svcd");
  EXPECT_EQ(form->Settings.TvNorm, "PAL");
  EXPECT_EQ(form->suiComboBox10.Text, "480*576");
  OpenOptionsFor(1);
  ASSERT_TRUE(dialog().Button4Click());
  EXPECT_EQ(form->Settings.TargetType, "");
}

TEST_F(AdvancedOptionsTest, AmrBitRatesBecomeBitsPerSecond) {
  const int expected[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
  for (std::size_t i = 0; i < kAB8.size(); ++i) EXPECT_EQ(BitRateOf(kAB8[i]), expected[i]);
  EXPECT_EQ(BitRateOf("320"), 320000);
  EXPECT_EQ(BitRateOf("自动音频比特率"), -1000);
  EXPECT_EQ(BitRateOf("7.4.1"), std::nullopt);
}

// The check sees the final encode that a merge after "确定" makes.
TEST_F(AdvancedOptionsTest, TheCheckIsShownTheFinalEncodeOfTheNextMerge) {
  std::vector<TChosenOutput> seen;
  MakeWizard([&](const TChosenOutput &chosen) {
    seen.push_back(chosen);
    return std::string();
  });
  for (int type = 1; type <= 38; ++type) {
    SCOPED_TRACE(type);
    OpenOptionsFor(type);
    if (type % 3 == 0) dialog().SetChecked(dialog().suiCheckBox3, dialog().suiCheckBox3.Enabled);
    seen.clear();
    ASSERT_TRUE(dialog().Button4Click());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].VideoEncoderEntry, dialog().suiComboBox1.Text);
    EXPECT_EQ(seen[0].AudioEncoderEntry, dialog().suiComboBox5.Text);
    const TOutputSettings written = form->Settings;
    // What the merge's settings routines make of what was written.
    form->Button28Click();
    form->Button29Click();
    form->ApplyFinalCompletions();
    const TOutputOptions merge = form->FinalOutputOptions(), &shown = seen[0].Encode.Options;
    EXPECT_EQ(seen[0].Encode.Extension, form->FinalExtension());
    EXPECT_EQ(shown.FileFormat, merge.FileFormat);
    EXPECT_EQ(shown.VideoCodec, merge.VideoCodec);
    EXPECT_EQ(shown.VideoTag, merge.VideoTag);
    EXPECT_EQ(shown.AudioCodec, merge.AudioCodec);
    EXPECT_EQ(shown.AudioBitrate, merge.AudioBitrate);
    EXPECT_EQ(shown.AudioSampleRate, merge.AudioSampleRate);
    EXPECT_EQ(shown.AudioChannels, merge.AudioChannels);
    EXPECT_EQ(shown.AudioVolume, merge.AudioVolume);
    EXPECT_EQ(shown.VideoBitrate, merge.VideoBitrate);
    EXPECT_EQ(shown.FrameSize, merge.FrameSize);
    EXPECT_EQ(shown.FrameRate, merge.FrameRate);
    EXPECT_EQ(shown.VideoFilters, merge.VideoFilters);
    EXPECT_EQ(shown.Target, merge.Target);
    EXPECT_EQ(shown.TargetNorm, merge.TargetNorm);
    EXPECT_EQ(shown.DisableVideo, merge.DisableVideo);
    form->Settings = written;
  }
}

TEST_F(AdvancedOptionsTest, ARefusedChoiceIsShownAndLeavesTheMainWindowAsItWas) {
  MakeWizard([](const TChosenOutput &chosen) {
    return chosen.Encode.Options.AudioCodec == "flac" ? std::string("不能写入") : std::string();
  });
  PickPreset(3);
  OpenOptionsFor(14);
  Choose(dialog().suiComboBox5, "Flac音频编码器");
  const TOutputSettings before = form->Settings;
  const std::string savedCodec = form->SavedFinalSettings.AudioCodec;
  const TComboBoxState presetBox = form->suiComboBox5, sizeBox = form->suiComboBox10;
  platform.ClearCalls();
  dialog().suiButton1Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"不能写入"});
  EXPECT_TRUE(form->Settings == before);
  EXPECT_EQ(form->SavedFinalSettings.AudioCodec, savedCodec);
  EXPECT_EQ(form->PresetNumber, 4);
  EXPECT_EQ(form->suiComboBox5.ItemIndex, presetBox.ItemIndex);
  EXPECT_EQ(form->suiComboBox10.Items, sizeBox.Items);
  EXPECT_TRUE(dialog().Visible);
  // Another encoder is taken.
  Choose(dialog().suiComboBox5, "AC3音频编码器");
  dialog().suiButton1Click();
  EXPECT_FALSE(dialog().Visible);
  EXPECT_EQ(form->Settings.AudioCodec, "ac3");
  EXPECT_EQ(form->PresetNumber, 30);
}

}  // namespace
}  // namespace velmora::test
