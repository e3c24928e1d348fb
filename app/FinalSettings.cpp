// The settings of both encodes of a merge: reading the quality boxes, the
// intermediate settings (with the final values kept aside), the final
// settings, the output type's extension and completions, and the records
// handed to the converters.
#include <algorithm>
#include <cctype>

#include "app/MainForm.h"
#include "app/OutputPresetTable.h"
#include "app/OutputRecords.h"
#include "libav/FFmpegHeaders.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

// ---- The quality boxes -------------------------------------------------------

// Box texts that mean "no value" for the frame size and frame rate boxes.
constexpr const char *kKeepSize = "保持原分辨率";
constexpr const char *kKeepRate = "保持原帧速率";
constexpr const char *kNoValue = "无";

struct TAspectText {
  const char *Text;
  const char *Aspect;
};
constexpr TAspectText kAspectTexts[] = {
    {"普通视频4:3模式", "4:3"}, {"宽屏视频16:9模式", "16:9"}, {"无", ""}};

// A text, or empty when it is one of the two texts that mean none.
std::string ValueOrEmpty(const std::string &text, const char *keep) {
  return text == keep || text == kNoValue ? std::string() : text;
}

std::string Trimmed(const std::string &text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "528 kbps(中等质量)" gives 528000; "无" none (-1000). A text without
// "kbps" is read as a whole number of kbit/s; a text that is not a number
// chooses none.
int VideoBitRateOf(const std::string &text) {
  if (text == kNoValue) return -1000;
  const int kbps = SettingNumber(Trimmed(text.substr(0, text.find("kbps"))));
  return kbps < 0 ? -1000 : kbps * 1000;
}

struct TAudioQuality {
  const char *Text;
  const char *Channels;
  const char *SampleRate;
  int BitRate;
};
constexpr TAudioQuality kAudioQualities[] = {
    {"音频质量低", "2", "32000", 96000},
    {"音频质量一般", "2", "44100", 128000},
    {"音频质量好", "2", "44100", 128000},
    {"音频质量超好", "2", "48000", 192000},
};

// Presets whose encodes take the audio quality box: 0 to 5 and 7 to 18.
bool UsesAudioQualityBox(int preset) {
  return (preset >= 0 && preset <= 5) || (preset >= 7 && preset <= 18);
}

// The frame rates that an intermediate MPEG stream is made at 25 instead.
constexpr const char *kIntermediateRatesAt25[] = {"10.00", "13.00", "15.00", "18.00",
                                                  "23.97", "23.98", "29.97"};

// What some presets fix for their intermediates; null or 0: left alone.
struct TIntermediateValues {
  int Preset;
  const char *FrameSize;
  const char *FrameRate;
  int VideoBitRate;
  const char *AudioChannels;
  const char *AudioSampleRate;
  int AudioBitRate;
};
constexpr TIntermediateValues kIntermediateValues[] = {
    {6, "320*240", "25.00", 528000, "2", "44100", 128000},
    {25, "320*240", "25.00", 528000, "2", "44100", 128000},
    {26, "320*240", "25.00", 528000, "2", "44100", 128000},
    {27, "320*240", "25.00", 528000, "2", "44100", 128000},
    {28, "320*240", "25.00", 528000, "2", "44100", 128000},
    {34, nullptr, nullptr, 816000, nullptr, nullptr, 0},
    {44, nullptr, nullptr, 0, "2", "44100", 128000},
};

// Presets whose final audio is that of the final values kept aside, again
// after the audio quality box.
constexpr int kFinalAudioFromSaved[] = {6, 25, 26, 27, 28};

// ---- Output types: extension and completions ---------------------------------

using TText = std::string TOutputSettings::*;

enum class TWhen {
  Always,
  IfEmpty,  // only when the field is empty ("AUTO" is not empty)
  IfUnset,  // the audio bit rate only when it is -1
  IfUnsetOrZero,
};

// One field an output type completes: a text field or the audio bit rate.
struct TCompletion {
  TText Text;         // null: the audio bit rate
  const char *Value;  // the text ("" empties the field)
  int BitRate;
  TWhen When;
};

using C = TCompletion;
using W = TWhen;
constexpr TText kVideoCodec = &TOutputSettings::VideoCodec;
constexpr TText kVideoTag = &TOutputSettings::VideoTag;
constexpr TText kAudioCodec = &TOutputSettings::AudioCodec;
constexpr TText kChannels = &TOutputSettings::AudioChannels;
constexpr TText kSampleRate = &TOutputSettings::AudioSampleRate;
constexpr TText kTarget = &TOutputSettings::TargetType;
constexpr TText kTvNorm = &TOutputSettings::TvNorm;
constexpr TText kFormat = &TOutputSettings::OutputFormat;

// The rows of several output types.
const std::vector<C> kNoCompletion = {};
// The .mpg default is MPEG-1 video; the MPEG-2 type writes MPEG-2.
const std::vector<C> kMpeg2 = {{kVideoCodec, "mpeg2video", 0, W::IfEmpty}};
const std::vector<C> k3gp = {{kAudioCodec, "libfaac", 0, W::Always},
                             {kChannels, "1", 0, W::Always},
                             {kSampleRate, "8000", 0, W::Always},
                             {nullptr, nullptr, 12000, W::IfUnsetOrZero}};
std::vector<C> DiscTarget(const char *target) {
  return {{kVideoCodec, "", 0, W::Always},
          {kTarget, target, 0, W::Always},
          {kTvNorm, "PAL", 0, W::IfEmpty}};
}
const std::vector<C> kVcd = DiscTarget("vcd");
const std::vector<C> kSvcd = DiscTarget("svcd");
const std::vector<C> kDvd = DiscTarget("dvd");
const std::vector<C> kAsf = {{kVideoCodec, "msmpeg4", 0, W::IfEmpty},
                             {kFormat, "asf", 0, W::Always}};
const std::vector<C> kRm = {{kVideoCodec, "rv10", 0, W::IfEmpty}};
const std::vector<C> kDefaultVideo = {{kVideoCodec, "", 0, W::Always}};
const std::vector<C> kDivx = {{kVideoCodec, "mpeg4", 0, W::Always},
                              {kVideoTag, "DX50", 0, W::Always}};
const std::vector<C> kXvid = {{kVideoCodec, "mpeg4", 0, W::Always},
                              {kVideoTag, "XVID", 0, W::Always}};
std::vector<C> DeviceMp4(const char *sampleRate) {
  return {{kAudioCodec, "libfaac", 0, W::IfEmpty},
          {kChannels, "2", 0, W::IfEmpty},
          {kSampleRate, sampleRate, 0, W::IfEmpty},
          {nullptr, nullptr, 128000, W::IfUnset}};
}
const std::vector<C> kPsp = DeviceMp4("24000");
const std::vector<C> kPs3 = DeviceMp4("48000");
std::vector<C> FixedAudio(const char *codec, const char *channels, const char *rate, int bitRate) {
  return {{kAudioCodec, codec, 0, W::IfEmpty},
          {kChannels, channels, 0, W::Always},
          {kSampleRate, rate, 0, W::Always},
          {nullptr, nullptr, bitRate, W::IfUnset}};
}
const std::vector<C> kPhone3gp = FixedAudio("libfaac", "1", "8000", 12000);
const std::vector<C> kSymbian = FixedAudio("libfaac", "2", "44100", 64000);
const std::vector<C> kPhoneMp4 = FixedAudio("libfaac", "2", "32000", 32000);
const std::vector<C> kSonyMp4 = FixedAudio("libmp3lame", "2", "44100", 128000);
const std::vector<C> kMov = FixedAudio("libfaac", "2", "22050", 128000);

struct TOutputType {
  const char *Extension;
  const std::vector<C> *Completions;
};

// By preset index.
// clang-format off
const TOutputType kOutputTypes[kPresetCount] = {
    {".avi",  &kNoCompletion},   // 0 AVI
    {".mpg",  &kNoCompletion},   // 1 MPEG1
    {".mpg",  &kMpeg2},          // 2 MPEG2
    {".wmv",  &kNoCompletion},   // 3 WMV
    {".mp4",  &kNoCompletion},   // 4 MP4
    {".mp4",  &kNoCompletion},   // 5 H264
    {".3gp",  &k3gp},            // 6 3GP
    {".mpg",  &kVcd},            // 7 VCD
    {".mpg",  &kSvcd},           // 8 SVCD
    {".mpg",  &kDvd},            // 9 DVD
    {".asf",  &kAsf},            // 10 ASF
    {".rm",   &kRm},             // 11 RM
    {".swf",  &kDefaultVideo},   // 12 SWF
    {".flv",  &kDefaultVideo},   // 13 FLV
    {".avi",  &kDivx},           // 14 DivX
    {".avi",  &kXvid},           // 15 XviD
    {".avi",  &kNoCompletion},   // 16 AVI for the PC
    {".avi",  &kNoCompletion},   // 17 AVI for MP4 players
    {".avi",  &kNoCompletion},   // 18 AVI for DVD players
    {".mp4",  &kPsp},            // 19 PSP
    {".mp4",  &kPs3},            // 20 PS3
    {".mp4",  &kPsp},            // 21 iPod video
    {".mp4",  &kPsp},            // 22 iPod Touch/Classic/Nano
    {".mp4",  &kPsp},            // 23 iPhone
    {".mp4",  &kPsp},            // 24 Apple TV
    {".3gp",  &kPhone3gp},       // 25 3gp phone
    {".3g2",  &kPhone3gp},       // 26 3G2
    {".mp4",  &kSymbian},        // 27 Symbian
    {".mp4",  &kPhoneMp4},       // 28 phone MP4
    {".mp4",  &kSonyMp4},        // 29 SONY MP4
    {".mp4",  &kSonyMp4},        // 30 SONY MP4 HD
    {".mp4",  &kNoCompletion},   // 31 PC MP4
    {".mkv",  &kNoCompletion},   // 32 MKV
    {".mov",  &kMov},            // 33 MOV
    {".avi",  &kNoCompletion},   // 34 MJPEG
    {".mp3",  &kNoCompletion},   // 35 MP3
    {".wma",  &kNoCompletion},   // 36 WMA
    {".wav",  &kNoCompletion},   // 37 WAV
    {".m4a",  &kNoCompletion},   // 38 AAC
    {".ac3",  &kNoCompletion},   // 39 AC3
    {".ogg",  &kNoCompletion},   // 40 OGG
    {".mp2",  &kNoCompletion},   // 41 MP2
    {".flac", &kNoCompletion},   // 42 FLAC
    {".rm",   &kNoCompletion},   // 43 RM audio
    {".amr",  &kNoCompletion},   // 44 AMR
};
// clang-format on

const TOutputType &OutputTypeOf(int preset) {
  return kOutputTypes[preset >= 0 && preset < kPresetCount ? preset : 0];
}

void Complete(const TCompletion &c, TOutputSettings &settings) {
  if (!c.Text) {
    int &rate = settings.AudioBitRate;
    if (c.When == W::Always || (c.When == W::IfUnset && rate == -1) ||
        (c.When == W::IfUnsetOrZero && (rate == -1 || rate == 0)))
      rate = c.BitRate;
    return;
  }
  std::string &field = settings.*c.Text;
  if (c.When == W::Always || field.empty()) field = c.Value;
}

// ---- Intermediate codecs -----------------------------------------------------

// The codecs an MPEG program stream carries and reads back; an intermediate
// keeps a stored encoder only when it writes one of them.
constexpr AVCodecID kProgramStreamCodecs[] = {
    AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MPEG4, AV_CODEC_ID_H264,
    AV_CODEC_ID_MP2,        AV_CODEC_ID_MP3,        AV_CODEC_ID_AC3,
};

// No B-frames (an option line of the records' extra options text).
constexpr const char *kIntermediateExtraOptions = "bf=0";

bool ProgramStreamCarries(const std::string &encoderName) {
  if (encoderName.empty()) return false;
  const AVCodec *encoder = ff.avcodec_find_encoder_by_name(encoderName.c_str());
  return encoder && std::find(std::begin(kProgramStreamCodecs), std::end(kProgramStreamCodecs),
                              encoder->id) != std::end(kProgramStreamCodecs);
}

}  // namespace

void TForm1::ReadQualityBoxes() {
  Settings.FrameSize = ValueOrEmpty(suiComboBox10.Text, kKeepSize);
  Settings.FrameRate = ValueOrEmpty(suiComboBox8.Text, kKeepRate);
  for (const TAspectText &aspect : kAspectTexts)
    if (suiComboBox9.Text == aspect.Text) Settings.AspectRatio = aspect.Aspect;
  Settings.VideoBitRate = VideoBitRateOf(suiComboBox6.Text);
}

void TForm1::ApplyAudioQualityBox() {
  for (const TAudioQuality &quality : kAudioQualities) {
    if (suiComboBox7.Text != quality.Text) continue;
    Settings.AudioChannels = quality.Channels;
    Settings.AudioSampleRate = quality.SampleRate;
    Settings.AudioBitRate = quality.BitRate;
  }
}

void TForm1::Button28Click() {
  TChange change(*this);
  ReadQualityBoxes();
  for (const char *rate : kIntermediateRatesAt25)
    if (Settings.FrameRate == rate) Settings.FrameRate = "25.00";
  TOutputSettings &s = Settings;
  SavedFinalSettings = {s.AudioChannels, s.AudioSampleRate, s.AudioBitRate,
                        s.VideoCodec,    s.AudioCodec,      s.AudioVolume,
                        s.VideoTag,      s.TargetType,      s.VideoFilters};
  for (std::string *field :
       {&s.VideoCodec, &s.AudioCodec, &s.AudioVolume, &s.VideoTag, &s.TargetType, &s.VideoFilters})
    field->clear();
  const int preset = suiComboBox5.ItemIndex;
  if (UsesAudioQualityBox(preset)) ApplyAudioQualityBox();
  for (const TIntermediateValues &values : kIntermediateValues) {
    if (values.Preset != preset) continue;
    if (values.FrameSize) s.FrameSize = values.FrameSize;
    if (values.FrameRate) s.FrameRate = values.FrameRate;
    if (values.VideoBitRate) s.VideoBitRate = values.VideoBitRate;
    if (values.AudioChannels) s.AudioChannels = values.AudioChannels;
    if (values.AudioSampleRate) s.AudioSampleRate = values.AudioSampleRate;
    if (values.AudioBitRate) s.AudioBitRate = values.AudioBitRate;
  }
}

void TForm1::RestoreSavedFinalSettings() {
  const TSavedFinalSettings &saved = SavedFinalSettings;
  TOutputSettings &s = Settings;
  s.AudioChannels = saved.AudioChannels;
  s.AudioSampleRate = saved.AudioSampleRate;
  s.AudioBitRate = saved.AudioBitRate;
  s.VideoCodec = saved.VideoCodec;
  s.AudioCodec = saved.AudioCodec;
  s.AudioVolume = saved.AudioVolume;
  s.VideoTag = saved.VideoTag;
  s.TargetType = saved.TargetType;
  s.VideoFilters = saved.VideoFilters;
}

void TForm1::Button29Click() {
  TChange change(*this);
  ReadQualityBoxes();
  RestoreSavedFinalSettings();
  const int preset = suiComboBox5.ItemIndex;
  if (UsesAudioQualityBox(preset)) ApplyAudioQualityBox();
  if (std::find(std::begin(kFinalAudioFromSaved), std::end(kFinalAudioFromSaved), preset) !=
      std::end(kFinalAudioFromSaved)) {
    Settings.AudioChannels = SavedFinalSettings.AudioChannels;
    Settings.AudioSampleRate = SavedFinalSettings.AudioSampleRate;
    Settings.AudioBitRate = SavedFinalSettings.AudioBitRate;
  }
}

std::string TForm1::FinalExtension() const {
  return OutputTypeOf(suiComboBox5.ItemIndex).Extension;
}

void TForm1::ApplyFinalCompletions() {
  TChange change(*this);
  for (const TCompletion &completion : *OutputTypeOf(suiComboBox5.ItemIndex).Completions)
    Complete(completion, Settings);
}

void TForm1::RefreshIntermediateOptions(TOutputOptions &record) const {
  RefreshQualityFields(Settings, record);
  // An intermediate is always an MPEG program stream (the .mpg default),
  // and keeps only codecs that such a stream carries and reads back:
  // otherwise the joined file would end after its first part or not be
  // readable at all.
  record.FileFormat.clear();
  if (!ProgramStreamCarries(record.VideoCodec)) record.VideoCodec.clear();
  if (!ProgramStreamCarries(record.AudioCodec)) record.AudioCodec.clear();
  // Filters and volume change the picture and sound once, in the final
  // encode; applied to the intermediates too, a flip would undo itself.
  record.VideoFilters.clear();
  record.AudioVolume = -1;
  // Pictures in the order they are shown: the joined stream carries few
  // time stamps, and pictures sent ahead of their turn would come out of
  // the final encode a picture early.
  record.ExtraOptions = kIntermediateExtraOptions;
  // One audio format throughout the joined file.
  if (run_.AudioChannels > 0) record.AudioChannels = run_.AudioChannels;
  if (run_.AudioSampleRate > 0) record.AudioSampleRate = run_.AudioSampleRate;
  KeepDiscTargetValues(record);
}

TOutputOptions TForm1::FinalOutputOptions() const {
  TOutputOptions record;
  InitOutputOptions(record);
  CopyOutputSettings(Settings, record);
  KeepDiscTargetValues(record);
  return record;
}

}  // namespace velmora
