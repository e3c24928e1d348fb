// Applying an output preset: the settings it writes and the lists it puts
// into the five quality boxes.
#include "app/OutputPresets.h"

namespace velmora {

namespace {

void ApplyVideoRule(const TOutputPreset &preset, TOutputSettings &settings) {
  switch (preset.Video) {
    case TVideoRule::Fill:
      if (settings.VideoCodec.empty()) {
        settings.VideoCodec = "mpeg4";
        if (settings.VideoTag.empty()) settings.VideoTag = "DX50";
      }
      break;
    case TVideoRule::Set:
      settings.VideoCodec = preset.VideoCodec;
      settings.VideoTag = preset.VideoTag;
      break;
    case TVideoRule::Clear:
      settings.VideoCodec.clear();
      settings.VideoTag.clear();
      break;
    case TVideoRule::Keep:
      break;
  }
}

void ApplyAudioRule(const TOutputPreset &preset, TOutputSettings &settings) {
  if (preset.Audio == TAudioRule::Set) settings.AudioCodec = preset.AudioCodec;
  if (preset.Audio == TAudioRule::Clear) settings.AudioCodec.clear();
}

void ApplyOtherSettings(const TOutputPreset &preset, TOutputSettings &settings) {
  if (*preset.Target) {
    settings.TargetType = preset.Target;
    if (settings.TvNorm.empty()) settings.TvNorm = "PAL";
  }
  if (*preset.Container) settings.OutputFormat = preset.Container;
  if (preset.AudioOnly) settings.AudioOnly = true;
  if (preset.AmrAudio) {
    settings.AudioBitRate = kAmrAudioBitRate;
    settings.AudioChannels = kAmrAudioChannels;
    settings.AudioSampleRate = kAmrAudioSampleRate;
  }
}

void Fill(TComboBoxState &box, const TListChoice &choice) { box.Fill(*choice.List, choice.Entry); }

}  // namespace

void ApplyPresetSettings(int presetIndex, TOutputSettings &settings) {
  settings.AudioOnly = false;
  if (presetIndex < 0 || presetIndex >= kPresetCount) return;
  const TOutputPreset &preset = kOutputPresets[presetIndex];
  ApplyVideoRule(preset, settings);
  ApplyAudioRule(preset, settings);
  ApplyOtherSettings(preset, settings);
}

TQualityBoxFill QualityBoxFill(int presetIndex, const std::string &tvNorm) {
  const TOutputPreset &preset = kOutputPresets[presetIndex];
  const bool ntsc = *preset.Target && tvNorm == "NTSC";
  return {preset.VideoBitRate,
          {&kAudioQuality, kAudioQualityDefaultEntry},
          preset.FrameRate,
          {preset.AudioOnly ? &kNone : &kAspect, 0},
          {preset.FrameSize.List, ntsc ? preset.FrameSizeNtscEntry : preset.FrameSize.Entry}};
}

void TForm1::FillQualityBoxes(int presetIndex) {
  const TQualityBoxFill fill = QualityBoxFill(presetIndex, Settings.TvNorm);
  Fill(suiComboBox6, fill.VideoBitRate);
  Fill(suiComboBox10, fill.FrameSize);
  Fill(suiComboBox8, fill.FrameRate);
  Fill(suiComboBox7, fill.AudioQuality);
  Fill(suiComboBox9, fill.Aspect);
}

void TForm1::suiComboBox5Change() {
  TChange change(*this);
  for (TComboBoxState *box :
       {&suiComboBox6, &suiComboBox7, &suiComboBox8, &suiComboBox9, &suiComboBox10})
    box->Clear();
  const int index = suiComboBox5.ItemIndex;
  ApplyPresetSettings(index, Settings);
  if (index < 0 || index >= kPresetCount) return;
  PresetNumber = index + 1;
  FillQualityBoxes(index);
}

void TForm1::SelectItem(TComboBoxState &box, int index) {
  TChange change(*this);
  box.Select(index);
}

}  // namespace velmora
