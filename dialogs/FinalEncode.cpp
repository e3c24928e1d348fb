#include "dialogs/FinalEncode.h"

#include <charconv>

#include "app/OutputPresetTable.h"
#include "app/SettingsRecord.h"

namespace velmora {

namespace {

constexpr int kNoneChosen = -1000;
constexpr int kUnset = -1;

// The whole number at the start of a text after blanks, or nothing.
bool LeadingNumber(const std::string &text, int &value) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  return error == std::errc();
}

// The quality boxes' texts into the settings.
void ReadQualityBoxes(const TChosenOutput &chosen, TOutputSettings &s) {
  const auto keepOrEmpty = [](const std::string &text, const char *keep) {
    return text == keep || text == "无" ? std::string() : text;
  };
  s.FrameSize = keepOrEmpty(chosen.FrameSizeText, "保持原分辨率");
  s.FrameRate = keepOrEmpty(chosen.FrameRateText, "保持原帧速率");
  if (chosen.AspectText == "普通视频4:3模式") s.AspectRatio = "4:3";
  else if (chosen.AspectText == "宽屏视频16:9模式") s.AspectRatio = "16:9";
  else if (chosen.AspectText == "无") s.AspectRatio.clear();
  int kbps = 0;
  const std::string &quality = chosen.VideoBitRateText;
  if (quality == "无")
    s.VideoBitRate = kNoneChosen;
  else if (LeadingNumber(quality.substr(0, quality.find("kbps")), kbps))
    s.VideoBitRate = kbps * 1000;
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

// Presets 0 to 5 and 7 to 18 take their audio from the audio quality box.
bool UsesAudioQuality(int preset) { return (preset >= 0 && preset <= 5) || (preset >= 7 && preset <= 18); }

void ApplyAudioQuality(const std::string &text, TOutputSettings &s) {
  for (const TAudioQuality &q : kAudioQualities) {
    if (text != q.Text) continue;
    s.AudioChannels = q.Channels;
    s.AudioSampleRate = q.SampleRate;
    s.AudioBitRate = q.BitRate;
  }
}

// How a completion writes a text: not at all, always, or only into an empty one.
enum class TWrite { No, Always, IfEmpty, Clear };
struct TTextWrite {
  TWrite How;
  const char *Value;
  void Apply(std::string &field) const {
    if (How == TWrite::Always || (How == TWrite::IfEmpty && field.empty())) field = Value;
    if (How == TWrite::Clear) field.clear();
  }
};
constexpr TTextWrite kKeep{TWrite::No, ""};
constexpr TTextWrite kEmptied{TWrite::Clear, ""};
constexpr TTextWrite Set(const char *value) { return {TWrite::Always, value}; }
constexpr TTextWrite IfEmpty(const char *value) { return {TWrite::IfEmpty, value}; }

// The output file's extension per preset and what the output type adds.
struct TCompletion {
  const char *Extension;
  TTextWrite VideoCodec;
  const char *VideoTag;  // written when not null
  TTextWrite AudioCodec;
  TTextWrite Channels;
  TTextWrite SampleRate;
  int BitRateIfUnset;     // 0: none
  bool AlsoWhenZero;      // the bit rate is also written over 0
  const char *Target;     // a disc target; the TV norm becomes PAL when empty
  const char *Container;  // forced container, or ""
};

constexpr TCompletion Plain(const char *extension) {
  return {extension, kKeep, nullptr, kKeep, kKeep, kKeep, 0, false, "", ""};
}
constexpr TCompletion Disc(const char *target) {
  return {".mpg", kEmptied, nullptr, kKeep, kKeep, kKeep, 0, false, target, ""};
}
constexpr TCompletion DeviceAudio(const char *extension, const char *codec, TTextWrite channels,
                                  TTextWrite rate, int bitRate) {
  return {extension, kKeep, nullptr, IfEmpty(codec), channels, rate, bitRate, false, "", ""};
}

// clang-format off
constexpr TCompletion kCompletions[kPresetCount] = {
    Plain(".avi"), Plain(".mpg"), Plain(".mpg"), Plain(".wmv"), Plain(".mp4"), Plain(".mp4"),
    {".3gp", kKeep, nullptr, Set("libfaac"), Set("1"), Set("8000"), 12000, true, "", ""},
    Disc("vcd"), Disc("svcd"), Disc("dvd"),
    {".asf", IfEmpty("msmpeg4"), nullptr, kKeep, kKeep, kKeep, 0, false, "", "asf"},
    {".rm", IfEmpty("rv10"), nullptr, kKeep, kKeep, kKeep, 0, false, "", ""},
    {".swf", kEmptied, nullptr, kKeep, kKeep, kKeep, 0, false, "", ""},
    {".flv", kEmptied, nullptr, kKeep, kKeep, kKeep, 0, false, "", ""},
    {".avi", Set("mpeg4"), "DX50", kKeep, kKeep, kKeep, 0, false, "", ""},
    {".avi", Set("mpeg4"), "XVID", kKeep, kKeep, kKeep, 0, false, "", ""},
    Plain(".avi"), Plain(".avi"), Plain(".avi"),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("24000"), 128000),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("48000"), 128000),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("24000"), 128000),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("24000"), 128000),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("24000"), 128000),
    DeviceAudio(".mp4", "libfaac", IfEmpty("2"), IfEmpty("24000"), 128000),
    DeviceAudio(".3gp", "libfaac", Set("1"), Set("8000"), 12000),
    DeviceAudio(".3g2", "libfaac", Set("1"), Set("8000"), 12000),
    DeviceAudio(".mp4", "libfaac", Set("2"), Set("44100"), 64000),
    DeviceAudio(".mp4", "libfaac", Set("2"), Set("32000"), 32000),
    DeviceAudio(".mp4", "libmp3lame", Set("2"), Set("44100"), 128000),
    DeviceAudio(".mp4", "libmp3lame", Set("2"), Set("44100"), 128000),
    Plain(".mp4"), Plain(".mkv"),
    DeviceAudio(".mov", "libfaac", Set("2"), Set("22050"), 128000),
    Plain(".avi"), Plain(".mp3"), Plain(".wma"), Plain(".wav"), Plain(".m4a"), Plain(".ac3"),
    Plain(".ogg"), Plain(".mp2"), Plain(".flac"), Plain(".rm"), Plain(".amr"),
};
// clang-format on

void Complete(const TCompletion &c, TOutputSettings &s) {
  c.VideoCodec.Apply(s.VideoCodec);
  if (c.VideoTag) s.VideoTag = c.VideoTag;
  c.AudioCodec.Apply(s.AudioCodec);
  c.Channels.Apply(s.AudioChannels);
  c.SampleRate.Apply(s.AudioSampleRate);
  if (c.BitRateIfUnset && (s.AudioBitRate == kUnset || (c.AlsoWhenZero && s.AudioBitRate == 0)))
    s.AudioBitRate = c.BitRateIfUnset;
  if (*c.Target) {
    s.TargetType = c.Target;
    if (s.TvNorm.empty()) s.TvNorm = "PAL";
  }
  if (*c.Container) s.OutputFormat = c.Container;
}

}  // namespace

TFinalEncode FinalEncodeOf(const TChosenOutput &chosen) {
  TOutputSettings settings = chosen.Settings;
  ReadQualityBoxes(chosen, settings);
  const int preset = chosen.PresetIndex;
  if (UsesAudioQuality(preset)) ApplyAudioQuality(chosen.AudioQualityText, settings);
  TFinalEncode encode;
  if (preset >= 0 && preset < kPresetCount) {
    Complete(kCompletions[preset], settings);
    encode.Extension = kCompletions[preset].Extension;
  }
  InitOutputOptions(encode.Options);
  CopySettings(settings, encode.Options);
  return encode;
}

}  // namespace velmora
