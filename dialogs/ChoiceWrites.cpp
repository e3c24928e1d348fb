#include "dialogs/ChoiceWrites.h"

#include <charconv>
#include <cmath>

#include "dialogs/OptionLists.h"

namespace velmora {

namespace {

constexpr int kAutomatic = -1000;
constexpr const char *kVolumeUnchanged = "256";

// A whole text as a number of type T.
template <typename T>
std::optional<T> Parse(const std::string &text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A disc encoder entry leaves only what its disc target and norm decide.
void ResetForDisc(const TVideoEncoderWrite &write, TOutputSettings &settings) {
  settings.TargetType = write.DiscTarget;
  settings.TvNorm = write.DiscNorm;
  for (std::string *field :
       {&settings.AudioChannels, &settings.AudioSampleRate, &settings.FrameSize,
        &settings.FrameRate, &settings.AspectRatio, &settings.OutputFormat, &settings.VideoTag,
        &settings.VideoCodec, &settings.AudioCodec})
    field->clear();
  settings.AudioVolume = kVolumeUnchanged;
  settings.VideoBitRate = kAutomatic;
  settings.AudioBitRate = kAutomatic;
}

void WriteVideoEncoder(const std::string &entry, TOutputSettings &settings) {
  const TVideoEncoderWrite *write = FindVideoEncoderWrite(entry);
  if (!write) return;
  if (*write->DiscTarget) {
    ResetForDisc(*write, settings);
    return;
  }
  settings.VideoCodec = write->Codec ? write->Codec : "";
  if (write->TagWritten) settings.VideoTag = write->Tag;
  if (*write->OutputFormat) settings.OutputFormat = write->OutputFormat;
}

void AppendFilter(bool checked, const char *filter, std::string &filters) {
  if (!checked) return;
  if (!filters.empty()) filters += ',';
  filters += filter;
}

}  // namespace

std::optional<int> BitRateOf(const std::string &entry) {
  if (entry == kAutoBitRate) return kAutomatic;
  if (entry.find('.') != std::string::npos) {
    const std::optional<double> kbps = Parse<double>(entry);
    if (!kbps) return std::nullopt;
    return static_cast<int>(std::lround(*kbps * 1000));
  }
  const std::optional<int> kbps = Parse<int>(entry);
  if (!kbps) return std::nullopt;
  return *kbps * 1000;
}

void WriteDialogChoices(const TDialogChoices &choices, TOutputSettings &settings) {
  if (const char *channels = ChannelsOf(choices.Channels)) settings.AudioChannels = channels;
  if (choices.SampleRate == kAutoSampleRate)
    settings.AudioSampleRate = "AUTO";
  else if (!choices.SampleRate.empty())
    settings.AudioSampleRate = choices.SampleRate;
  if (const std::optional<int> bitRate = BitRateOf(choices.BitRate))
    settings.AudioBitRate = *bitRate;
  WriteVideoEncoder(choices.VideoEncoder, settings);
  AppendFilter(choices.HorizontalFlip, "hflip", settings.VideoFilters);
  AppendFilter(choices.VerticalFlip, "vflip", settings.VideoFilters);
  AppendFilter(choices.Negative, "negate", settings.VideoFilters);
  if (const TAudioEncoderWrite *write = FindAudioEncoderWrite(choices.AudioEncoder))
    settings.AudioCodec = write->Codec ? write->Codec : "";
  settings.TargetType = choices.DiscTarget;
  settings.AudioOnly = choices.AudioOnly;
  if (const char *volume = VolumeOf(choices.Volume)) settings.AudioVolume = volume;
}

}  // namespace velmora
