// Every output preset as a real merge of three small generated sources of
// mixed containers, sizes, frame rates, sample rates and channel layouts
// (audio presets: three sound files): the output's name, container and
// codecs, its duration against the sources', decoding without error, and
// audio and video staying together across the joints.
#include <gtest/gtest.h>

#include <cmath>

#include "FlashAndBeep.h"
#include "MergeFixture.h"
#include "app/OutputPresetTable.h"
#include "libav/FFmpegLoader.h"

namespace velmora {
namespace {

using test::MergeFixture;

struct PresetRow {
  int Preset;
  const char *Output;  // the final file's name
  const char *Format;  // as the ffmpeg tools name the container
  const char *Video;   // codec; "" for the audio presets
  const char *Audio;
};

const PresetRow kRows[] = {
    {0, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {1, "ALL_a.mpg", "mpeg", "mpeg1video", "mp2"},
    {2, "ALL_a.mpg", "mpeg", "mpeg2video", "mp2"},
    {3, "ALL_a.wmv", "asf", "wmv2", "wmav2"},
    {4, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {5, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"},
    {6, "ALL_a.3gp", "mov,mp4,m4a,3gp,3g2,mj2", "h263", "aac"},
    {7, "ALL_a.mpg", "mpeg", "mpeg1video", "mp2"},
    {8, "ALL_a.mpg", "mpeg", "mpeg2video", "mp2"},
    {9, "ALL_a.mpg", "mpeg", "mpeg2video", "ac3"},
    {10, "ALL_a.asf", "asf", "msmpeg4v3", "wmav2"},
    {11, "ALL_a.rm", "rm", "rv10", "ac3"},
    {12, "ALL_a.swf", "swf", "flv1", "mp3"},
    {13, "ALL_a.flv", "flv", "flv1", "mp3"},
    {14, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {15, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {16, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {17, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {18, "ALL_a.avi", "avi", "mpeg4", "mp3"},
    {19, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {20, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {21, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {22, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {23, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {24, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {25, "ALL_a.3gp", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {26, "ALL_a.3g2", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {27, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {28, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {29, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "mp3"},
    {30, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "mp3"},
    {31, "ALL_a.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
    {32, "ALL_a.mkv", "matroska,webm", "mpeg4", "vorbis"},
    {33, "ALL_a.mov", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"},
    {34, "ALL_a.avi", "avi", "mjpeg", "mp3"},
    {35, "ALL_x.mp3", "mp3", "", "mp3"},
    {36, "ALL_x.wma", "asf", "", "wmav2"},
    {37, "ALL_x.wav", "wav", "", "pcm_s16le"},
    {38, "ALL_x.m4a", "mov,mp4,m4a,3gp,3g2,mj2", "", "aac"},
    {39, "ALL_x.ac3", "ac3", "", "ac3"},
    {40, "ALL_x.ogg", "ogg", "", "vorbis"},
    {41, "ALL_x.mp2", "mp3", "", "mp2"},  // the tools take a raw MPEG audio file for "mp3"
    {42, "ALL_x.flac", "flac", "", "flac"},
    {43, "ALL_x.rm", "rm", "", "ac3"},
    {44, "ALL_x.amr", "amr", "", "amr_nb"},
};

// Three video sources: two of one size and rate, one of another, with
// different sound; three sound files of different rates and layouts.
struct SourceRecipe {
  const char *Name;
  double Seconds;
  double FrameRate;  // 0: no picture
  std::vector<std::string> Args;
};

std::vector<SourceRecipe> VideoSources() {
  using test::FlashAndBeepArgs;
  return {
      {"a.avi", 1.0, 25,
       FlashAndBeepArgs(1.0, "160x120", 25, 44100, 2, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"})},
      {"b.mkv", 1.2, 25,
       FlashAndBeepArgs(1.2, "160x120", 25, 48000, 1, {"-c:v", "libx264", "-c:a", "flac"})},
      {"c.mp4", 0.8, 30,
       FlashAndBeepArgs(0.8, "176x144", 30, 22050, 6, {"-c:v", "mpeg4", "-c:a", "aac"})},
  };
}

std::vector<SourceRecipe> AudioSources() {
  using test::BeepArgs;
  return {
      {"x.wav", 1.0, 0, BeepArgs(1.0, 44100, 2, {"-c:a", "pcm_s16le"})},
      {"y.mp3", 1.1, 0, BeepArgs(1.1, 22050, 1, {"-c:a", "libmp3lame"})},
      {"z.flac", 0.9, 0, BeepArgs(0.9, 48000, 6, {"-c:a", "flac"})},
  };
}

// The intermediates' frame rate for these presets.
constexpr double kIntermediateRate = 25;

// A change of frame rate keeps a picture until it is more than 1.1 frames
// off its time (the ffmpeg tool does the same).
constexpr double kRateChangeFrames = 1.1;

// Containers without time stamps cannot hide the MP3 encoder's start delay
// (1105 samples, 25 ms): the ffmpeg tool's own two-stage pipeline gives the
// same offsets.
struct StartDelay {
  int Preset;
  double Seconds;
};
constexpr StartDelay kStartDelays[] = {{12, 0.025}};

// How far apart a flash and its beep may be: 40 ms, plus what each change
// of frame rate on the way (from the source to the intermediates, from
// them to the output) and the container's start delay allow.
double SyncTolerance(int preset, double sourceRate, double outputRate) {
  double tolerance = 0.040 + 0.001;
  if (std::fabs(sourceRate - kIntermediateRate) > 0.01)
    tolerance += kRateChangeFrames / kIntermediateRate;
  if (outputRate > 0 && std::fabs(outputRate - kIntermediateRate) > 0.01)
    tolerance += kRateChangeFrames / outputRate;
  for (const StartDelay &delay : kStartDelays)
    if (delay.Preset == preset) tolerance += delay.Seconds;
  return tolerance;
}

class PresetMergeTest : public MergeFixture, public ::testing::WithParamInterface<PresetRow> {};

TEST_P(PresetMergeTest, MergesThreeSourcesIntoACompleteFile) {
  const PresetRow &row = GetParam();
  const bool audioOnly = !*row.Video;
  std::vector<std::string> sources;
  std::vector<std::string> checksums;
  const std::vector<SourceRecipe> recipes = audioOnly ? AudioSources() : VideoSources();
  for (const SourceRecipe &recipe : recipes) {
    const std::string path = (std::filesystem::path(sourceFolder) / recipe.Name).string();
    std::filesystem::copy_file(test::SharedMedia(std::string("preset-") + recipe.Name, recipe.Args),
                               path);
    sources.push_back(path);
    checksums.push_back(Checksum(path));
  }
  form->SelectItem(form->suiComboBox5, row.Preset);
  form->suiComboBox5Change();
  form->SelectItem(form->suiComboBox1, 0);  // nothing after the merge
  for (const std::string &source : sources) Add(source);
  ASSERT_EQ(form->AdvListView1.RowCount(), 3) << form->mmoLog.Text();

  // Without an AMR encoder the final encode cannot be set up, and says so.
  const bool amrMissing = row.Preset == 44 && !ff.avcodec_find_encoder_by_name("libopencore_amrnb");
  const TMergeResult result = Merge();
  for (std::size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(Checksum(sources[i]), checksums[i]);
  if (amrMissing) {
    EXPECT_EQ(result.Outcome, TMergeOutcome::Failed);
    EXPECT_NE(result.Message.find("Unknown encoder 'libamr_nb'"), std::string::npos)
        << result.Message;
    return;
  }
  ASSERT_EQ(result.Outcome, TMergeOutcome::Done) << result.Message << "\n" << form->mmoLog.Text();
  EXPECT_EQ(result.OutputPath, Out(row.Output));
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{row.Output});  // the intermediates are gone
  EXPECT_EQ(FormatName(result.OutputPath), row.Format);
  EXPECT_EQ(StreamEntry(result.OutputPath, "video", "codec_name"), row.Video);
  EXPECT_EQ(StreamEntry(result.OutputPath, "audio", "codec_name"), row.Audio);
  EXPECT_NEAR(result.Check.durationUs, result.Check.expectedUs, result.Check.toleranceUs);
  EXPECT_EQ(form->suiProgressBar1.Position, 100);

  const test::TFlashesAndBeeps found = test::FindFlashesAndBeeps(result.OutputPath);
  ASSERT_TRUE(found.Opened);
  EXPECT_EQ(found.DecodeErrors, 0);
  EXPECT_EQ(found.Beeps.size(), 6u);
  if (audioOnly) return;
  // Two flashes of each source, in order.
  ASSERT_EQ(found.Flashes.size(), found.Beeps.size());
  for (std::size_t i = 0; i < found.Flashes.size(); ++i)
    EXPECT_NEAR(found.Flashes[i], found.Beeps[i],
                SyncTolerance(row.Preset, recipes[i / 2].FrameRate, found.FrameRate))
        << "flash " << i << " of " << row.Output;
}

INSTANTIATE_TEST_SUITE_P(EveryPreset, PresetMergeTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<PresetRow> &info) {
                           return "Preset" + std::to_string(info.param.Preset);
                         });

TEST(PresetTable, HasEveryPreset) { EXPECT_EQ(std::size(kRows), std::size_t(kPresetCount)); }

}  // namespace
}  // namespace velmora
