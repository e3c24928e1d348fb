// The 45 output presets applied to a fresh window, and the sequences in
// which one preset leaves settings for the next.
#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "app/OutputPresetTable.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

struct Selection {
  const char *Text;
  int Count;
};

struct PresetCase {
  int Index;
  const char *VideoCodec;
  const char *VideoTag;
  const char *AudioCodec;
  const char *TargetType;
  const char *TvNorm;
  const char *OutputFormat;
  bool AudioOnly;
  bool Amr;
  Selection VideoBitRate;
  Selection FrameSize;
  Selection FrameRate;
  Selection Aspect;
};

// What each preset leaves in a fresh window.
// clang-format off
const PresetCase kPresetCases[] = {
      {0, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {1, "mpeg1video", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {2, "", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {3, "wmv2", "", "wmav2", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {4, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {5, "libx264", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {6, "", "", "libfaac", "", "", "", false, false, {"128 kbps", 15}, {"176*144", 11}, {"12", 7}, {"普通视频4:3模式", 2}},
      {7, "", "", "", "vcd", "PAL", "", false, false, {"528 kbps(中等质量)", 8}, {"352*288", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {8, "", "", "", "svcd", "PAL", "", false, false, {"528 kbps(中等质量)", 8}, {"480*576", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {9, "", "", "", "dvd", "PAL", "", false, false, {"1200 kbps(很高质量)", 8}, {"720*576", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {10, "msmpeg4", "", "wmav2", "", "", "asf", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {11, "rv10", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {12, "", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {13, "", "", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {14, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {15, "mpeg4", "XVID", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {16, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"640*480", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {17, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {18, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"640*480", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {19, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 5}, {"29.97", 3}, {"普通视频4:3模式", 2}},
      {20, "mpeg4", "DX50", "", "", "", "", false, false, {"768 kbps(高质量)", 12}, {"720*480", 7}, {"29.97", 7}, {"普通视频4:3模式", 2}},
      {21, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 9}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {22, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 9}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {23, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 9}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {24, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 9}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {25, "mpeg4", "DX50", "", "", "", "", false, false, {"128 kbps", 15}, {"176*144", 11}, {"12", 7}, {"普通视频4:3模式", 2}},
      {26, "mpeg4", "DX50", "", "", "", "", false, false, {"128 kbps", 15}, {"176*144", 11}, {"12", 7}, {"普通视频4:3模式", 2}},
      {27, "mpeg4", "DX50", "", "", "", "", false, false, {"160 kbps", 17}, {"176*144", 11}, {"15", 8}, {"普通视频4:3模式", 2}},
      {28, "mpeg4", "DX50", "", "", "", "", false, false, {"160 kbps", 17}, {"176*144", 11}, {"15", 8}, {"普通视频4:3模式", 2}},
      {29, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 11}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {30, "mpeg4", "DX50", "", "", "", "", false, false, {"600 kbps (中等质量)", 9}, {"320*240", 7}, {"25", 9}, {"普通视频4:3模式", 2}},
      {31, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {32, "mpeg4", "DX50", "", "", "", "", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {33, "", "", "", "", "", "mov", false, false, {"528 kbps(中等质量)", 8}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {34, "mjpeg", "", "libmp3lame", "", "", "", false, false, {"3000 kbps(高质量)", 15}, {"320*240", 23}, {"25.00", 11}, {"普通视频4:3模式", 2}},
      {35, "", "", "libmp3lame", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {36, "", "", "wmav2", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {37, "", "", "", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {38, "", "", "libfaac", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {39, "", "", "ac3", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {40, "", "", "libvorbis", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {41, "", "", "", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {42, "", "", "flac", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {43, "", "", "", "", "", "", true, false, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
      {44, "", "", "libamr_nb", "", "", "", true, true, {"无", 1}, {"无", 1}, {"无", 1}, {"无", 1}},
};
// clang-format on

class PresetTest : public ::testing::Test {
 protected:
  void Apply(int index) {
    form.SelectItem(form.suiComboBox5, index);
    form.suiComboBox5Change();
  }
  void ApplyAll(std::initializer_list<int> indexes) {
    for (int index : indexes) Apply(index);
  }
  test::TempDir dir;
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("registry.ini")};
  TForm1 form{platform, registry, dir.path().string()};
};

void ExpectBox(const TComboBoxState &box, const Selection &expected, const std::string &what) {
  EXPECT_EQ(box.Text, expected.Text) << what;
  EXPECT_EQ(static_cast<int>(box.Items.size()), expected.Count) << what;
  ASSERT_GE(box.ItemIndex, 0) << what;
  EXPECT_EQ(box.Items[box.ItemIndex], box.Text) << what;
}

TEST(PresetTableTest, EveryPresetFromAFreshWindow) {
  ASSERT_EQ(std::size(kPresetCases), std::size_t{kPresetCount});
  for (const PresetCase &c : kPresetCases) {
    test::TempDir dir;
    TScriptedPlatform platform;
    TRegistryStore registry(dir.file("registry.ini"));
    TForm1 form(platform, registry, dir.path().string());
    form.SelectItem(form.suiComboBox5, c.Index);
    form.suiComboBox5Change();
    const std::string what = "preset " + std::to_string(c.Index) + " " + form.suiComboBox5.Text;
    const TOutputSettings &s = form.Settings;
    EXPECT_EQ(form.PresetNumber, c.Index + 1) << what;
    EXPECT_EQ(s.VideoCodec, c.VideoCodec) << what;
    EXPECT_EQ(s.VideoTag, c.VideoTag) << what;
    EXPECT_EQ(s.AudioCodec, c.AudioCodec) << what;
    EXPECT_EQ(s.TargetType, c.TargetType) << what;
    EXPECT_EQ(s.TvNorm, c.TvNorm) << what;
    EXPECT_EQ(s.OutputFormat, c.OutputFormat) << what;
    EXPECT_EQ(s.AudioOnly, c.AudioOnly) << what;
    EXPECT_EQ(s.AudioBitRate, c.Amr ? 7400 : -1) << what;
    EXPECT_EQ(s.AudioChannels, c.Amr ? "1" : "") << what;
    EXPECT_EQ(s.AudioSampleRate, c.Amr ? "8000" : "") << what;
    ExpectBox(form.suiComboBox6, c.VideoBitRate, what + " video bit rate");
    ExpectBox(form.suiComboBox7, {"音频质量好", 4}, what + " audio quality");
    ExpectBox(form.suiComboBox8, c.FrameRate, what + " frame rate");
    ExpectBox(form.suiComboBox9, c.Aspect, what + " aspect");
    ExpectBox(form.suiComboBox10, c.FrameSize, what + " frame size");
  }
}

TEST_F(PresetTest, FreshWindowShowsTheFirstPresetsListsWithoutItsSettings) {
  EXPECT_EQ(form.PresetNumber, 0);
  EXPECT_EQ(form.suiComboBox5.Items.size(), 45u);
  EXPECT_EQ(form.suiComboBox5.Text, "AVI视频格式 (*.AVI)");
  EXPECT_EQ(form.suiComboBox6.Text, "528 kbps(中等质量)");
  EXPECT_EQ(form.suiComboBox7.Text, "音频质量好");
  EXPECT_EQ(form.suiComboBox8.Text, "25.00");
  EXPECT_EQ(form.suiComboBox9.Text, "普通视频4:3模式");
  EXPECT_EQ(form.suiComboBox10.Text, "320*240");
  EXPECT_EQ(form.Settings.VideoCodec, "");
  EXPECT_EQ(form.Settings.VideoTag, "");
}

TEST_F(PresetTest, AFillPresetKeepsTheCodecAndTagAnEarlierPresetSet) {
  ApplyAll({1, 0});  // MPEG1, then AVI
  EXPECT_EQ(form.Settings.VideoCodec, "mpeg1video");
  EXPECT_EQ(form.Settings.VideoTag, "");
  ApplyAll({15, 4});  // Xvid, then MP4
  EXPECT_EQ(form.Settings.VideoCodec, "mpeg4");
  EXPECT_EQ(form.Settings.VideoTag, "XVID");
}

TEST_F(PresetTest, AContainerAndAnAudioCodecStayUntilAPresetChangesThem) {
  ApplyAll({10, 0});  // ASF, then AVI
  EXPECT_EQ(form.Settings.OutputFormat, "asf");
  EXPECT_EQ(form.Settings.AudioCodec, "wmav2");
  Apply(11);  // RM clears the audio codec, never the container
  EXPECT_EQ(form.Settings.OutputFormat, "asf");
  EXPECT_EQ(form.Settings.AudioCodec, "");
}

TEST_F(PresetTest, DiscPresetsPickTheFrameSizeOfTheTvNorm) {
  Apply(7);
  EXPECT_EQ(form.Settings.TvNorm, "PAL");
  EXPECT_EQ(form.suiComboBox10.Text, "352*288");
  form.Settings.TvNorm = "NTSC";
  const std::pair<int, const char *> ntscSizes[] = {{7, "352*240"}, {8, "480*480"}, {9, "720*480"}};
  for (const auto &[index, size] : ntscSizes) {
    Apply(index);
    EXPECT_EQ(form.suiComboBox10.Text, size) << index;
    EXPECT_EQ(form.Settings.TvNorm, "NTSC");
  }
  EXPECT_EQ(form.Settings.TargetType, "dvd");
  Apply(0);  // a preset never clears the target
  EXPECT_EQ(form.Settings.TargetType, "dvd");
}

TEST_F(PresetTest, AudioPresetsLeaveTheAmrValuesAndVideoPresetsEndAudioOnly) {
  ApplyAll({44, 35});  // AMR, then MP3
  EXPECT_EQ(form.Settings.AudioCodec, "libmp3lame");
  EXPECT_EQ(form.Settings.AudioBitRate, 7400);
  EXPECT_EQ(form.Settings.AudioChannels, "1");
  EXPECT_EQ(form.Settings.AudioSampleRate, "8000");
  EXPECT_TRUE(form.Settings.AudioOnly);
  Apply(3);
  EXPECT_FALSE(form.Settings.AudioOnly);
}

TEST_F(PresetTest, AFillPresetAfterTheDialogsCodecKeepsItsEmptyTag) {
  form.Settings.VideoCodec = "libx264";
  Apply(0);
  EXPECT_EQ(form.Settings.VideoCodec, "libx264");
  EXPECT_EQ(form.Settings.VideoTag, "");
}

TEST_F(PresetTest, NoSelectedPresetEmptiesTheBoxesAndChangesNothingElse) {
  Apply(44);
  form.SelectItem(form.suiComboBox5, -1);
  form.suiComboBox5Change();
  EXPECT_EQ(form.PresetNumber, 45);
  EXPECT_FALSE(form.Settings.AudioOnly);
  EXPECT_EQ(form.Settings.AudioCodec, "libamr_nb");
  for (const TComboBoxState *box : {&form.suiComboBox6, &form.suiComboBox7, &form.suiComboBox8,
                                    &form.suiComboBox9, &form.suiComboBox10}) {
    EXPECT_TRUE(box->Items.empty()) << box->Name;
    EXPECT_EQ(box->ItemIndex, -1) << box->Name;
  }
}

TEST(ValueListTest, ListsThatBuildOnOthersOrRepeatAnEntry) {
  ASSERT_EQ(kVB5.size(), 17u);
  EXPECT_TRUE(std::equal(kVB2.begin(), kVB2.end(), kVB5.begin()));
  EXPECT_EQ(kVB5[15], "512 kbps");
  EXPECT_EQ(kVB5[16], "600 kbps");
  EXPECT_EQ(kFS3[0], kFS3[1]);
  EXPECT_EQ(kFS5[1], "176*144");
  EXPECT_EQ(kFS5[2], "160*120");
}

}  // namespace
}  // namespace velmora
