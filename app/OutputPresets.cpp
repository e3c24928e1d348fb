// Applying an output preset: the settings it writes and the lists it puts
// into the five quality boxes.
#include "app/MainForm.h"
#include "app/OutputPresetTable.h"

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

void Fill(TComboBoxState &box, const TListChoice &choice, int entry) {
  box.Fill(*choice.List, entry);
}

}  // namespace

void TForm1::FillQualityBoxes(int presetIndex) {
  const TOutputPreset &preset = kOutputPresets[presetIndex];
  const bool ntsc = *preset.Target && Settings.TvNorm == "NTSC";
  Fill(suiComboBox6, preset.VideoBitRate, preset.VideoBitRate.Entry);
  Fill(suiComboBox10, preset.FrameSize, ntsc ? preset.FrameSizeNtscEntry : preset.FrameSize.Entry);
  Fill(suiComboBox8, preset.FrameRate, preset.FrameRate.Entry);
  suiComboBox7.Fill(kAudioQuality, kAudioQualityDefaultEntry);
  if (preset.AudioOnly)
    suiComboBox9.Fill(kNone, 0);
  else
    suiComboBox9.Fill(kAspect, 0);
}

void TForm1::suiComboBox5Change() {
  TChange change(*this);
  for (TComboBoxState *box :
       {&suiComboBox6, &suiComboBox7, &suiComboBox8, &suiComboBox9, &suiComboBox10})
    box->Clear();
  Settings.AudioOnly = false;
  const int index = suiComboBox5.ItemIndex;
  if (index < 0 || index >= kPresetCount) return;
  PresetNumber = index + 1;
  const TOutputPreset &preset = kOutputPresets[index];
  ApplyVideoRule(preset, Settings);
  ApplyAudioRule(preset, Settings);
  ApplyOtherSettings(preset, Settings);
  FillQualityBoxes(index);
}

void TForm1::SelectItem(TComboBoxState &box, int index) {
  TChange change(*this);
  box.Select(index);
}

}  // namespace velmora
