#include "app/OutputRecords.h"

#include <charconv>

#include "app/MainForm.h"

namespace velmora {

namespace {

struct TTextCode {
  const char *Text;
  int Code;
};
constexpr TTextCode kTargetCodes[] = {{"vcd", 1}, {"svcd", 2}, {"dvd", 3}};
constexpr TTextCode kNormCodes[] = {{"PAL", 1}, {"NTSC", 2}};

// The code of a text; 0 for any other text.
template <std::size_t N>
int CodeOf(const TTextCode (&table)[N], const std::string &text) {
  for (const TTextCode &entry : table)
    if (text == entry.Text) return entry.Code;
  return 0;
}

using S = TOutputSettings;
using O = TOutputOptions;

// One setting that a record takes over under its condition.
struct TSettingCopy {
  bool (*Applies)(const S &);
  void (*Copy)(const S &, O &);
};

bool Always(const S &) { return true; }

const TSettingCopy kAudioChannels{
    [](const S &s) { return !s.AudioChannels.empty(); },
    [](const S &s, O &o) { o.AudioChannels = SettingNumber(s.AudioChannels); }};
const TSettingCopy kAudioSampleRate{
    [](const S &s) { return !s.AudioSampleRate.empty() && s.AudioSampleRate != "AUTO"; },
    [](const S &s, O &o) { o.AudioSampleRate = SettingNumber(s.AudioSampleRate); }};
const TSettingCopy kFrameSize{[](const S &s) { return !s.FrameSize.empty(); },
                              [](const S &s, O &o) { o.FrameSize = s.FrameSize; }};
const TSettingCopy kFrameRate{[](const S &s) { return !s.FrameRate.empty(); },
                              [](const S &s, O &o) { o.FrameRate = s.FrameRate; }};
const TSettingCopy kAspectRatio{[](const S &s) { return !s.AspectRatio.empty(); },
                                [](const S &s, O &o) { o.AspectRatio = s.AspectRatio; }};
const TSettingCopy kVideoBitrate{[](const S &s) { return s.VideoBitRate != -1000; },
                                 [](const S &s, O &o) { o.VideoBitrate = s.VideoBitRate; }};
const TSettingCopy kAudioBitrate{
    [](const S &s) { return s.AudioBitRate != -1000 && s.AudioBitRate != -2000; },
    [](const S &s, O &o) { o.AudioBitrate = s.AudioBitRate; }};

const TSettingCopy kQualityFields[] = {kAudioChannels, kAudioSampleRate, kFrameSize,   kFrameRate,
                                       kAspectRatio,   kVideoBitrate,    kAudioBitrate};

const TSettingCopy kEveryField[] = {
    kAudioChannels,
    kAudioSampleRate,
    kFrameSize,
    kFrameRate,
    {[](const S &s) { return !s.TargetType.empty(); },
     [](const S &s, O &o) { o.Target = CodeOf(kTargetCodes, s.TargetType); }},
    {Always, [](const S &s, O &o) { o.TargetNorm = CodeOf(kNormCodes, s.TvNorm); }},
    {[](const S &s) { return s.AudioVolume != "256"; },
     [](const S &s, O &o) { o.AudioVolume = SettingNumber(s.AudioVolume); }},
    {Always, [](const S &s, O &o) { o.DisableVideo = s.AudioOnly; }},
    kAspectRatio,
    kVideoBitrate,
    kAudioBitrate,
    {[](const S &s) { return !s.OutputFormat.empty(); },
     [](const S &s, O &o) { o.FileFormat = s.OutputFormat; }},
    {[](const S &s) { return !s.VideoFilters.empty(); },
     [](const S &s, O &o) { o.VideoFilters = s.VideoFilters; }},
    {[](const S &s) { return !s.VideoTag.empty(); },
     [](const S &s, O &o) { o.VideoTag = s.VideoTag; }},
    {[](const S &s) { return !s.VideoCodec.empty(); },
     [](const S &s, O &o) { o.VideoCodec = s.VideoCodec; }},
    {[](const S &s) { return !s.AudioCodec.empty() && s.AudioCodec != "AUTO"; },
     [](const S &s, O &o) { o.AudioCodec = s.AudioCodec; }},
};

template <std::size_t N>
void CopyWhereSet(const TSettingCopy (&table)[N], const S &settings, O &record) {
  for (const TSettingCopy &copy : table)
    if (copy.Applies(settings)) copy.Copy(settings, record);
}

struct TDiscTarget {
  int Target;
  bool FixesVideoBitrate;
};
// Every disc target fixes its audio sample rate; the VCD also its video bit
// rate (minimum = maximum = 1 150 000 bit/s).
constexpr TDiscTarget kDiscTargets[] = {{1, true}, {2, false}, {3, false}};

}  // namespace

int SettingNumber(const std::string &text) {
  int value = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() ? value : -1;
}

void CopyOutputSettings(const TOutputSettings &settings, TOutputOptions &record) {
  CopyWhereSet(kEveryField, settings, record);
}

void RefreshQualityFields(const TOutputSettings &settings, TOutputOptions &record) {
  CopyWhereSet(kQualityFields, settings, record);
}

void KeepDiscTargetValues(TOutputOptions &record) {
  for (const TDiscTarget &disc : kDiscTargets) {
    if (record.Target != disc.Target) continue;
    record.AudioSampleRate = -1;
    if (disc.FixesVideoBitrate) record.VideoBitrate = -1;
  }
}

}  // namespace velmora
