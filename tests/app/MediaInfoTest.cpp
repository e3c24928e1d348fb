// The media information request and window: the cutting rules over the
// probe's information text, the values of generated files of several kinds
// in the window's labels, and the requests that find nothing to show.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "FormFixture.h"
#include "app/MediaInfoForm.h"
#include "app/MediaInfoText.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FormFixture;

// An information text in the probe's layout.
std::string InfoText(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines) text += line + "\r\n";
  return text;
}

const std::vector<std::string> kHead = {
    "File Name: /videos/a.mkv", "Format Name: matroska,webm",
    "Format Long Name: Matroska / WebM", "File Size: 1.00 KB", "StartTime: 0.000000",
    "Duration: 01:02:03.004", "Bit Rate: 1150 Kbps"};

std::vector<std::string> With(std::vector<std::string> lines,
                              const std::vector<std::string> &more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

TEST(MediaInfoTextTest, TheValuesAreCutOutByTheirLabels) {
  const std::string audioFirst = InfoText(With(
      kHead, {"Stream #0, 1/1000: Audio: mp2, 44100 Hz, mono, s16p, 64 kb/s, StartTime: "
              "0.000000, Duration: 00:00:01.000",
              "Stream #1, 1/1000: Video: mpeg4 (Simple Profile), yuv420p, 64x48, 25 tbr, "
              "StartTime: 0.040000, Duration: 00:00:01.000"}));
  EXPECT_EQ(StreamDescription(audioFirst, "Audio:"), "Audio: mp2, 44100 Hz, mono, s16p, 64 kb/s");
  EXPECT_EQ(StreamDescription(audioFirst, "Video:"),
            "Video: mpeg4 (Simple Profile), yuv420p, 64x48, 25 tbr");
  EXPECT_EQ(SizeText(audioFirst), " 1.00 KB\r\n");
  EXPECT_EQ(DurationText(audioFirst), " 01:02:03");
  EXPECT_EQ(BitRateText(audioFirst), " 1150 Kbps");

  // A stream line without a start time, and no video at all.
  const std::string noStart = InfoText(With(
      kHead, {"Stream #0, 1/1200000: Audio: aac, 48000 Hz, stereo, fltp, Duration: N/A"}));
  EXPECT_EQ(StreamDescription(noStart, "Audio:"), "");
  EXPECT_EQ(StreamDescription(noStart, "Video:"), "");

  // No size line (a file the probe could not measure) and no stream line.
  const std::string bare = InfoText({"File Name: pipe:", "Format Name: mpeg",
                                     "Format Long Name: MPEG-PS", "StartTime: 0.000000",
                                     "Duration: 00:00:00.000", "Bit Rate: N/A"});
  EXPECT_EQ(SizeText(bare), "");
  EXPECT_EQ(BitRateText(bare), "");
  EXPECT_EQ(DurationText(bare), " 00:00:00");
  EXPECT_EQ(StreamDescription("", "Video:"), "");
}

TEST(MediaInfoTextTest, TheBitRateEndsWithItsLine) {
  std::vector<std::string> head = kHead;
  const std::pair<const char *, const char *> cases[] = {
      {"Bit Rate: N/A", " N/A"},  // not " N/A", a line break and "Time"
      {"Bit Rate: 1150 Kbps", " 1150 Kbps"},
      {"Bit Rate: 148000 Kbps", " 148000 Kbps"},  // not cut at ten characters
  };
  for (const auto &[line, shown] : cases) {
    head.back() = line;
    const std::string text = InfoText(
        With(head, {"Time Stamp: 2020-01-01 00:00:00", "Stream #0, 1/90000: Video: mpeg1video"}));
    EXPECT_EQ(BitRateText(text), shown);
  }
}

// Generated sources of the kinds the window must describe.
struct TSourceKind {
  const char *Name;
  std::vector<std::string> Recipe;
};

const std::map<std::string, TSourceKind> &Kinds() {
  static const std::map<std::string, TSourceKind> kinds = {
      {"video", {"clip.mpg",
                 {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=1", "-f", "lavfi", "-i",
                  "sine=d=1", "-c:v", "mpeg1video", "-b:v", "300k", "-c:a", "mp2", "-b:a", "64k",
                  "-f", "mpeg"}}},
      {"audio first", {"audio-first.mkv",
                       {"-f", "lavfi", "-i", "sine=d=1", "-f", "lavfi", "-i",
                        "testsrc2=s=64x48:r=25:d=1", "-map", "0:a", "-map", "1:v", "-c:a", "mp2",
                        "-c:v", "mpeg4", "-f", "matroska"}}},
      {"audio only", {"song.mp3",
                      {"-f", "lavfi", "-i", "sine=d=1", "-ac", "2", "-c:a", "libmp3lame", "-b:a",
                       "128k", "-f", "mp3"}}},
      {"six channels", {"surround.ac3",
                        {"-f", "lavfi", "-i", "sine=d=1", "-ac", "6", "-c:a", "ac3", "-f",
                         "ac3"}}},
      {"no bit rate", {"raw.h264",
                       {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=1", "-c:v", "libx264",
                        "-f", "h264"}}},
  };
  return kinds;
}

class MediaInfoTest : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    form->Windows.ShowMediaInfo = [this](const TMediaInfoValues &values) {
      shown.push_back(values);
    };
  }
  // A copy of the generated source of `kind`, added to the list.
  std::string AddSource(const std::string &kind) {
    const TSourceKind &source = Kinds().at(kind);
    const std::string path = (fs::path(sourceFolder) / source.Name).string();
    fs::copy_file(test::SharedMedia(std::string("info-") + source.Name, source.Recipe), path,
                  fs::copy_options::overwrite_existing);
    Add(path);
    return path;
  }
  // The window's labels for what the last request showed.
  std::map<std::string, std::string> Labels() {
    TForm9 window(LocateProgramFiles(programFolder));
    window.FormShow(shown.back());
    std::map<std::string, std::string> labels;
    for (const TInfoGroup &group : window.Groups)
      for (const TInfoLine &line : group.Lines) labels[line.Value.Name] = line.Value.Caption;
    return labels;
  }

  std::vector<TMediaInfoValues> shown;
};

TEST_F(MediaInfoTest, AVideoWithSoundShowsItsFileVideoAndAudioValues) {
  const std::string path = AddSource("video");
  form->AdvListView1DblClick();
  ASSERT_EQ(shown.size(), 1u);
  const TMediaInfoValues v = shown[0];
  EXPECT_EQ(v.FileName, path);
  EXPECT_EQ(v.FormatName, "mpeg");
  EXPECT_EQ(v.DurationText.substr(0, 7), " 00:00:");
  EXPECT_EQ(v.SizeText.back(), '\n');
  std::map<std::string, std::string> labels = Labels();
  EXPECT_EQ(labels["lblFileName"], "clip.mpg");
  EXPECT_EQ(labels["lblExtension"], ".mpg");
  EXPECT_EQ(labels["lblFormatName"], "mpeg");
  EXPECT_EQ(labels["lblFormatLongName"], "MPEG-PS (MPEG-2 Program Stream)");
  EXPECT_EQ(labels["lblSize"].find_first_of(" \r\n"), labels["lblSize"].rfind(' '));  // "N.NN KB"
  EXPECT_EQ(labels["lblResolution"], "64*48");
  EXPECT_EQ(labels["lblFrameRate"], "25.00");
  // What the stream declares (the program stream's MPEG-1 video gives its
  // maximum rate), in kbit/s.
  EXPECT_EQ(labels["lblVideoBitRate"],
            std::to_string(v.Video.BitRate / 1000) + "  kbps");
  EXPECT_GT(v.Video.BitRate, 1000);
  EXPECT_EQ(labels["lblVideoDescription"].substr(0, 18), "Video: mpeg1video,");
  EXPECT_EQ(labels["lblSampleRate"], "44100");
  EXPECT_EQ(labels["lblChannels"], "单声道");
  EXPECT_EQ(labels["lblAudioBitRate"], "64  kbps");
  EXPECT_EQ(labels["lblAudioDescription"].substr(0, 11), "Audio: mp2,");

  form->suiButton12Click();  // the button does the same
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].InfoText, v.InfoText);
}

TEST_F(MediaInfoTest, VideoAfterAudioIsCutFromItsOwnStreamLine) {
  AddSource("audio first");
  form->suiButton12Click();
  ASSERT_EQ(shown.size(), 1u);
  const std::string video = shown[0].VideoDescription;
  EXPECT_EQ(video.substr(0, 13), "Video: mpeg4 ");
  EXPECT_EQ(video.find("Audio"), std::string::npos);
  EXPECT_EQ(video.find("StartTime"), std::string::npos);
  EXPECT_EQ(shown[0].AudioDescription.substr(0, 11), "Audio: mp2,");
  EXPECT_EQ(Labels()["lblResolution"], "64*48");
}

TEST_F(MediaInfoTest, AMissingStreamShowsNoneAndAMissingBitRateNotAvailable) {
  AddSource("audio only");
  form->suiButton12Click();
  std::map<std::string, std::string> labels = Labels();
  for (const char *video : {"lblResolution", "lblFrameRate", "lblVideoBitRate",
                            "lblVideoDescription"})
    EXPECT_EQ(labels[video], "无") << video;
  EXPECT_EQ(labels["lblChannels"], "立体声");
  EXPECT_EQ(labels["lblAudioBitRate"], "128  kbps");
  EXPECT_EQ(labels["lblFormatName"], "mp3");

  AddSource("no bit rate");
  form->suiButton12Click();
  labels = Labels();
  EXPECT_EQ(shown.back().BitRateText, " N/A");
  EXPECT_EQ(labels["lblBitRate"], "N/A");
  EXPECT_EQ(labels["lblVideoBitRate"], "N/A");  // the stream does not tell it either
  EXPECT_EQ(labels["lblResolution"], "64*48");
  for (const char *audio : {"lblSampleRate", "lblChannels", "lblAudioBitRate",
                            "lblAudioDescription"})
    EXPECT_EQ(labels[audio], "无") << audio;
}

TEST_F(MediaInfoTest, OtherChannelCountsShowTheCount) {
  AddSource("audio only");
  form->suiButton12Click();
  AddSource("six channels");
  form->suiButton12Click();
  EXPECT_EQ(Labels()["lblChannels"], "6 声道");
}

TEST_F(MediaInfoTest, NoSelectionOrADeletedFileShowsNothing) {
  form->AdvListView1DblClick();  // an empty list
  const std::string path = AddSource("video");
  form->SelectRow(-1);
  form->AdvListView1DblClick();
  form->suiButton12Click();
  EXPECT_TRUE(shown.empty());

  form->SelectRow(0);
  form->suiButton12Click();
  ASSERT_EQ(shown.size(), 1u);
  fs::remove(path);
  form->AdvListView1DblClick();
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(form->MediaInfo.FileName, path);  // the last values stay
}

}  // namespace
}  // namespace velmora
