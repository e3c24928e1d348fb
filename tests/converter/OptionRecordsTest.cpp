// The option records and how their fields become engine options of a task:
// the order of application, the conditions, the two passes of the extra
// options, hook ranges and the metadata time stamp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <ctime>
#include <string>
#include <vector>

#include "converter/FFmpegTask.h"
#include "converter/OptionRecords.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

// Records the -target set-ups instead of running them, together with the
// frame width at that moment (to see what came before).
class TargetRecordingTask : public TFFmpeg {
 public:
  struct Call {
    std::string target, norm, defaultNorm;
    int widthAtCall;
  };
  std::vector<Call> calls;
  void ApplyTarget(const std::string &target, const std::string &norm,
                   const std::string &defaultNorm) override {
    calls.push_back({target, norm, defaultNorm, Options().frameWidth});
  }
};


std::int64_t CodecOption(const TFFmpeg &task, AVMediaType type, const char *name) {
  std::int64_t value = -1;
  EXPECT_GE(ff.av_opt_get_int(task.CodecTemplate(type), name, 0, &value), 0) << name;
  return value;
}

std::string FailureOf(const std::function<void()> &action) {
  try {
    action();
  } catch (const FFmpegException &error) {
    return error.what();
  }
  return "no error";
}

class OptionRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(test::LoadSystemLibraries());
    task_.CreateOptionContexts();
    InitInputOptions(input_);
    InitOutputOptions(output_);
  }

  TargetRecordingTask task_;
  TInputOptions input_;
  TOutputOptions output_;
};

TEST_F(OptionRecords, InputRecordSetsStartProgramAndFormat) {
  input_.StartTimeMs = 1500;
  input_.StartTimeUs = 2000000;
  input_.ProgramId = 0;
  input_.ForceFormat = "mpeg";
  input_.ExtraOptions = "newaudio\nitsoffset=2";
  ApplyInputOptions(task_, "/in/a.mpg", &input_);
  EXPECT_EQ(input_.FileName, "/in/a.mpg");  // filled in the caller's record
  EXPECT_EQ(task_.InputOptions.FileName, "/in/a.mpg");
  EXPECT_EQ(task_.Options().startTime, 2000000);  // microseconds win
  EXPECT_EQ(task_.Options().programId, 0);
  ASSERT_NE(task_.Options().forcedInputFormat, nullptr);
  EXPECT_STREQ(task_.Options().forcedInputFormat->name, "mpeg");
  // The first pass took the other line; "newaudio" is never applied to an input.
  EXPECT_EQ(task_.Options().inputTsOffset, 2000000);

  TFFmpeg other;
  TInputOptions milliseconds;
  milliseconds.FileName = "/kept.mpg";
  milliseconds.StartTimeMs = 1500;
  ApplyInputOptions(other, "/in/a.mpg", &milliseconds);
  EXPECT_EQ(milliseconds.FileName, "/kept.mpg");
  EXPECT_EQ(other.Options().startTime, 1500000);
  EXPECT_EQ(other.Options().programId, TOptionState{}.programId);

  ApplyInputOptions(task_, "/in/b.mpg", nullptr);
  EXPECT_EQ(task_.InputOptions.FileName, "");
  EXPECT_EQ(task_.InputOptions.StartTimeUs, -1);

  TInputOptions bad;
  bad.ForceFormat = "nosuchformat";
  EXPECT_EQ(FailureOf([&] { ApplyInputOptions(task_, "/in/c.mpg", &bad); }),
            "Unknown input format: nosuchformat");
  EXPECT_EQ(bad.FileName, "/in/c.mpg");
  EXPECT_EQ(task_.InputOptions.ForceFormat, "nosuchformat");
}

TEST_F(OptionRecords, TargetSetUpRunsFirstWithItsNorms) {
  struct Case {
    int target, norm, defaultNorm;
    std::vector<std::string> call;  // empty: no set-up
  };
  const Case cases[] = {
      {1, 0, 1, {"vcd", "auto", "pal"}},   {2, 1, 2, {"svcd", "pal", "ntsc"}},
      {3, 2, 7, {"dvd", "ntsc", "ntsc"}},  {3, 9, 1, {"dvd", "auto", "pal"}},
      {4, 1, 1, {}},                       {0, 1, 1, {}},
      {-1, 1, 1, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.target);
    TargetRecordingTask task;
    task.CreateOptionContexts();
    TOutputOptions options;
    options.Target = c.target;
    options.TargetNorm = c.norm;
    options.TargetDefaultNorm = c.defaultNorm;
    options.ExtraOptions = "s=320x240";
    options.FrameSize = "352x288";
    ApplyOutputOptions(task, "/out/a.mpg", &options);
    EXPECT_EQ(task.Options().frameWidth, 352);  // the field came after the extra options
    if (c.call.empty()) {
      EXPECT_TRUE(task.calls.empty());
      continue;
    }
    ASSERT_EQ(task.calls.size(), 1u);
    EXPECT_EQ(task.calls[0].target, c.call[0]);
    EXPECT_EQ(task.calls[0].norm, c.call[1]);
    EXPECT_EQ(task.calls[0].defaultNorm, c.call[2]);
    EXPECT_EQ(task.calls[0].widthAtCall, 0);  // before the extra options and the fields
  }
}

TEST_F(OptionRecords, OutputFieldsBecomeEngineOptions) {
  output_.FileFormat = "mpeg";
  output_.PacketSize = 2324;
  output_.MuxRate = 1411200;
  output_.MuxDelay = 0.25f;
  output_.MuxPreload = 0.44f;
  output_.AudioCodec = "mp2";
  output_.DisableAudio = true;
  output_.AudioVolume = 0;  // 0 is a volume
  output_.AudioChannels = 1;
  output_.AudioSampleRate = 22050;
  output_.AudioBitrate = 128000;
  output_.AudioBitrateTolerance = 4000;
  output_.AudioLanguage = "eng";
  output_.AudioSync = 1;
  output_.AudioTag = "mp4a";
  output_.VideoCodec = "mpeg1video";
  output_.DisableVideo = true;
  output_.FrameRate = "25.00";
  output_.FrameSize = "352x288";
  output_.AspectRatio = "4:3";
  output_.CropTop = 10;
  output_.CropLeft = 0;
  output_.PadBottom = 8;
  output_.PadColor = 0x0000FF;  // red
  output_.GopSize = 12;
  output_.VideoBitrate = 528000;
  output_.MaxRate = 600000;
  output_.MinRate = 100000;
  output_.BitrateTolerance = 9000;
  output_.BufferSize = 327680;
  output_.VideoSync = 0;
  output_.VideoTag = "XVID";
  output_.VideoFilters = "hflip";
  output_.DisableSubtitle = true;
  output_.SubtitleLanguage = "chi";
  output_.CopyTimestamps = true;
  output_.StartTimeMs = 1500;
  output_.StartTimeUs = 2000000;
  output_.DurationMs = 1500;
  output_.JoinInputs = true;

  EXPECT_TRUE(ApplyOutputOptions(task_, "/out/a.mpg", &output_));
  EXPECT_EQ(output_.FileName, "/out/a.mpg");
  EXPECT_EQ(task_.OutputOptions.VideoTag, "XVID");
  const TOptionState &s = task_.Options();
  ASSERT_NE(s.forcedOutputFormat, nullptr);
  EXPECT_STREQ(s.forcedOutputFormat->name, "mpeg");
  std::int64_t packetSize = 0;
  ff.av_opt_get_int(task_.FormatTemplate(), "packetsize", 0, &packetSize);
  EXPECT_EQ(packetSize, 2324);
  EXPECT_NE(std::find(task_.PrivateFormatOptions().begin(), task_.PrivateFormatOptions().end(),
                      std::make_pair(std::string("muxrate"), std::string("1411200"))),
            task_.PrivateFormatOptions().end());
  EXPECT_FLOAT_EQ(s.muxMaxDelay, 0.25f);
  EXPECT_FLOAT_EQ(s.muxPreload, 0.44f);
  EXPECT_EQ(s.audioCodecName, "mp2");
  EXPECT_TRUE(s.audioDisable);
  EXPECT_EQ(s.audioVolume, 0);
  EXPECT_EQ(s.audioChannels, 1);
  EXPECT_EQ(s.audioSampleRate, 22050);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_AUDIO, "b"), 128000);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_AUDIO, "bt"), 4000);
  EXPECT_EQ(s.audioLanguage, "eng");
  EXPECT_EQ(s.audioSync, 1);
  EXPECT_EQ(s.audioCodecTag, 0x6134706Du);
  EXPECT_EQ(s.videoCodecName, "mpeg1video");
  EXPECT_TRUE(s.videoDisable);
  EXPECT_EQ(s.frameRate.num, 25);
  EXPECT_EQ(s.frameRate.den, 1);
  EXPECT_EQ(s.frameWidth, 352);   // a crop of 0 takes nothing away
  EXPECT_EQ(s.frameHeight, 278);  // 288 less the top crop
  EXPECT_EQ(s.cropTop, 10);
  EXPECT_EQ(s.padBottom, 8);
  EXPECT_EQ(s.padTop, 0);
  EXPECT_FLOAT_EQ(s.frameAspectRatio, 4.0f / 3.0f);
  EXPECT_EQ(s.padColor, (std::array<int, 3>{76, 85, 255}));
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "g"), 12);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "b"), 528000);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "maxrate"), 600000);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "minrate"), 100000);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "bt"), 9000);
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_VIDEO, "bufsize"), 327680);
  EXPECT_EQ(s.videoSync, 0);
  EXPECT_EQ(s.videoCodecTag, 0x44495658u);
  EXPECT_EQ(s.videoFilters, "hflip");
  EXPECT_TRUE(s.subtitleDisable);
  EXPECT_EQ(s.subtitleLanguage, "chi");
  EXPECT_TRUE(s.copyTimestamps);
  EXPECT_EQ(s.startTime, 2000000);
  EXPECT_EQ(s.recordingTime, 1500000);
  EXPECT_EQ(s.totalOutputDuration, 1500);
  EXPECT_TRUE(s.metadata.empty());
  EXPECT_EQ(s.recordingTimestamp, 0);  // Timestamp -1: none
}

TEST_F(OptionRecords, DefaultsLeaveTheEngineDefaults) {
  TFFmpeg fresh;
  fresh.CreateOptionContexts();
  output_.FileName = "x";
  output_.AudioVolume = 3;
  InitOutputOptions(output_);  // a used record is reset too
  EXPECT_FALSE(ApplyOutputOptions(task_, "/out/a.mpg", &output_));
  const TOptionState &s = task_.Options();
  const TOptionState &d = fresh.Options();
  EXPECT_EQ(s.audioVolume, d.audioVolume);
  EXPECT_EQ(s.audioChannels, d.audioChannels);
  EXPECT_EQ(s.audioSampleRate, d.audioSampleRate);
  EXPECT_EQ(s.frameWidth, d.frameWidth);
  EXPECT_EQ(s.cropTop, d.cropTop);
  EXPECT_EQ(s.startTime, d.startTime);
  EXPECT_EQ(s.recordingTime, d.recordingTime);
  EXPECT_EQ(s.totalOutputDuration, -1);
  EXPECT_FLOAT_EQ(s.muxPreload, d.muxPreload);
  EXPECT_EQ(s.forcedOutputFormat, nullptr);
  EXPECT_TRUE(task_.GenericOptionNames().empty());
  // Always-applied fields at their defaults; black pad colour.
  EXPECT_EQ(s.videoSync, -1);
  EXPECT_EQ(s.audioSync, 0);
  EXPECT_EQ(s.padColor, (std::array<int, 3>{0, 128, 128}));

  // The microsecond duration wins, and gives the total in milliseconds.
  output_.DurationMs = 1500;
  output_.DurationUs = 2500999;
  // A system colour of the GUI toolkit is black here.
  output_.PadColor = static_cast<TColor>(0x8000000F);
  ApplyOutputOptions(task_, "/out/a.mpg", &output_);
  EXPECT_EQ(s.recordingTime, 2500999);
  EXPECT_EQ(s.totalOutputDuration, 2500);
  EXPECT_EQ(s.padColor, (std::array<int, 3>{0, 128, 128}));

  output_.FileName = "kept";
  ApplyOutputOptions(task_, "/out/b.mpg", nullptr);
  EXPECT_EQ(task_.OutputOptions.FileName, "");
  EXPECT_EQ(task_.OutputOptions.DurationUs, -1);
}

TEST_F(OptionRecords, AFailingFieldKeepsTheFieldsBeforeIt) {
  struct Case {
    void (*fill)(TOutputOptions &);
    const char *message;
    void (*check)(const TOptionState &);
  };
  const Case cases[] = {
      {[](TOutputOptions &o) {
         o.FrameRate = "25";
         o.FrameSize = "353x288";
         o.CropTop = 10;
         o.VideoTag = "XVID";
       },
       "Frame size must be a multiple of 2",
       [](const TOptionState &s) {
         EXPECT_EQ(s.frameRate.num, 25);
         EXPECT_EQ(s.cropTop, 0);
         EXPECT_EQ(s.videoCodecTag, 0u);
       }},
      {[](TOutputOptions &o) {
         o.AudioCodec = "mp2";
         o.AudioTag = "abc";
         o.VideoCodec = "mpeg1video";
       },
       "audio tag parameter must be 4 chars",
       [](const TOptionState &s) {
         EXPECT_EQ(s.audioCodecName, "mp2");
         EXPECT_FALSE(s.videoCodecName.has_value());
       }},
      {[](TOutputOptions &o) {
         o.FileFormat = "nosuchformat";
         o.AudioChannels = 1;
       },
       "Unknown output format: nosuchformat",
       [](const TOptionState &s) { EXPECT_EQ(s.audioChannels, TOptionState{}.audioChannels); }},
      {[](TOutputOptions &o) {
         o.ExtraOptions = "ar=8000\nac=x\nvn";
         o.AudioChannels = 1;
       },
       "'x' is not a valid integer value",
       [](const TOptionState &s) {
         EXPECT_EQ(s.audioSampleRate, 8000);
         EXPECT_FALSE(s.videoDisable);
         EXPECT_EQ(s.audioChannels, TOptionState{}.audioChannels);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    TFFmpeg task;
    task.CreateOptionContexts();
    TOutputOptions options;
    c.fill(options);
    options.UseCustomHook = true;
    EXPECT_EQ(FailureOf([&] { ApplyOutputOptions(task, "/out/a.mpg", &options); }), c.message);
    c.check(task.Options());
    EXPECT_EQ(options.FileName, "/out/a.mpg");
    EXPECT_EQ(task.OutputOptions.FileName, "/out/a.mpg");
    EXPECT_FALSE(task.CustomHookConnected);  // never reached
  }
}

TEST_F(OptionRecords, MetadataFieldsAndTimestamp) {
  test::ScopedTimeZone zone("UTC");
  output_.Metadata.Year = 2009;
  output_.Metadata.Track = 3;
  output_.Metadata.Title = "T";
  output_.Metadata.Author = "A";
  output_.Metadata.Copyright = "C";
  output_.Metadata.Comment = "N";
  output_.Metadata.Album = "L";
  output_.Metadata.Genre = "G";
  output_.Metadata.Timestamp = 43831.5;  // 2020-01-01 12:00
  ApplyOutputOptions(task_, "/out/a.mpg", &output_);
  const TextPairs expected = {{"year", "2009"}, {"track", "3"},     {"title", "T"},
                              {"author", "A"},  {"copyright", "C"}, {"comment", "N"},
                              {"album", "L"},   {"genre", "G"}};
  EXPECT_EQ(task_.Options().metadata, expected);
  EXPECT_EQ(task_.Options().recordingTimestamp, 1577880000);

  TFFmpeg now;
  now.CreateOptionContexts();
  TOutputOptions options;
  options.Metadata.Timestamp = 0;
  const std::int64_t before = std::time(nullptr);
  ApplyOutputOptions(now, "/out/a.mpg", &options);
  EXPECT_GE(now.Options().recordingTimestamp, before);
  EXPECT_LE(now.Options().recordingTimestamp, std::time(nullptr));
  EXPECT_TRUE(now.Options().metadata.empty());
}

TEST(DateTimeToUnixSeconds, UsesTheStandardTimeBias) {
  struct Case {
    const char *zone;
    double dateTime;
    std::int64_t seconds;
  };
  const Case cases[] = {
      {"UTC", 25569.0, 0},
      {"UTC", 25569.5, 43200},
      {"UTC", 25569.0 + 0.4 / 86400, 0},  // rounded to the nearest second
      {"UTC", 25569.0 + 0.6 / 86400, 1},
      {"UTC", 25568.0, -86400},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 25569.0, -3600},
      // 2020-07-01 12:00 local: summer time, but the bias stays one hour.
      {"CET-1CEST,M3.5.0,M10.5.0/3", 44013.5, 1593601200},
      {"EST5EDT,M3.2.0,M11.1.0", 44013.5, 1593622800},
  };
  for (const Case &c : cases) {
    test::ScopedTimeZone zone(c.zone);
    EXPECT_EQ(DateTimeToUnixSeconds(c.dateTime), c.seconds) << c.zone << " " << c.dateTime;
  }
}

TEST_F(OptionRecords, ExtraOptionsLinesAndPasses) {
  // Trimmed as a whole; CR LF and CR end lines; an empty line and a line
  // without "=" are applied too; names and values are not trimmed.
  ApplyExtraOptions(task_, " \r\n ab=64000\r\nvn\r\rar=22050\n ac=1\nmetadata=title=a=b\t\n", false);
  const TOptionState &s = task_.Options();
  EXPECT_EQ(CodecOption(task_, AVMEDIA_TYPE_AUDIO, "b"), 64000);
  EXPECT_TRUE(s.videoDisable);
  EXPECT_EQ(s.audioSampleRate, 22050);
  EXPECT_EQ(s.audioChannels, TOptionState{}.audioChannels);  // " ac" is no option
  EXPECT_EQ(s.metadata, (TextPairs{{"title", "a=b"}}));

  // The stream-adding lines wait for the second pass, which takes only them.
  // Without an output file the engine refuses them, which shows they ran.
  const std::string text = "newaudio\nar=8000\nnewvideo";
  ApplyExtraOptions(task_, text, false);
  EXPECT_EQ(s.audioSampleRate, 8000);
  task_.Options().audioSampleRate = 11025;
  EXPECT_EQ(FailureOf([&] { ApplyExtraOptions(task_, text, true); }),
            "At least one output file must be specified");
  EXPECT_EQ(s.audioSampleRate, 11025);

  TOutputOptions options;
  options.ExtraOptions = text;
  EXPECT_NO_THROW(ApplyOutputOptions(task_, "/out/a.mpg", &options));
  ApplyExtraOptions(task_, "", true);
  ApplyExtraOptions(task_, " \r\n ", false);
}

TEST_F(OptionRecords, HookConnectionsAndRanges) {
  struct Case {
    bool custom, before;
    std::string ranges;
    bool customConnected, beforeConnected;
    std::vector<THookRange> kept;
  };
  const Case cases[] = {
      {true, true, "0-100", true, false, {}},
      {false, true, "0-100", false, true, {}},
      {false, false, "100-50,200-300", false, false, {{200000, 300000}}},
      {false, false, " 500-900 , 0-100 ,5-5", false, false,
       {{5000, 5000}, {0, 100000}, {500000, 900000}}},
      {false, false, "kong", false, false, {}},
      {false, false, "Full", false, false, {}},
      {false, false, "DELETED", false, false, {}},
      {false, false, "", false, false, {}},
      {false, false, "300", false, false, {}},        // no end
      {false, false, "10-x", false, false, {}},       // an end that is no number
      {false, false, "abc-100", false, false, {{-1000, 100000}}},
      {false, false, "-200", false, false, {{-1000, 200000}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.ranges);
    TFFmpeg task;
    task.CreateOptionContexts();
    TOutputOptions options;
    options.UseCustomHook = c.custom;
    options.UseBeforeHook = c.before;
    options.HookRanges = c.ranges;
    ApplyOutputOptions(task, "/out/a.mpg", &options);
    EXPECT_EQ(task.CustomHookConnected, c.customConnected);
    EXPECT_EQ(task.BeforeHookConnected, c.beforeConnected);
    EXPECT_EQ(task.HookRangeList(), c.kept);
  }
}

}  // namespace
}  // namespace velmora
