#pragma once
// The value lists of the advanced options dialog's boxes and what each entry
// writes into the main window's output settings.
#include <string>

#include "app/OutputPresetTable.h"

namespace velmora {

// Video encoder lists.
extern const TValueList kVE1, kVE2, kVE3, kVE4, kVE5, kVE6, kVE7, kVE8, kVE9;
// Audio encoder lists.
extern const TValueList kAE1, kAE2, kAE3, kAE4, kAE5;
// Audio bit rates in kbit/s.
extern const TValueList kAB1, kAB2, kAB3, kAB4, kAB5, kAB6, kAB7, kAB8;
// Sample rates in Hz.
extern const TValueList kSR1, kSR2, kSR3, kSR4, kSR5, kSR6, kSR7, kSR8;
// Channels: stereo, mono.
extern const TValueList kCH1;
// The volume entries, from silence to eight times; entry 10 keeps the volume.
extern const TValueList kVolumeEntries;
inline constexpr int kVolumeUnchangedEntry = 10;

// The entries that stand for "let the library choose".
inline constexpr const char *kAutoAudioEncoder = "自动音频编码器";
inline constexpr const char *kAutoBitRate = "自动音频比特率";
inline constexpr const char *kAutoSampleRate = "自动音频采样率";
inline constexpr const char *kStereo = "立体声";
inline constexpr const char *kMono = "单声道";
inline constexpr const char *kAacEncoder = "AAC音频编码器";
inline constexpr const char *kAmrEncoder = "AMR音频编码器";
inline constexpr const char *kNoVideoEncoder = "该格式无视频";

// What "确定" writes for a video encoder entry. A null codec clears
// VideoCodec; the tag is written only when TagWritten (an empty tag then
// clears it). A disc entry resets the settings for its disc and norm.
struct TVideoEncoderWrite {
  const char *Entry;
  const char *Codec;
  bool TagWritten;
  const char *Tag;
  const char *OutputFormat;  // written when not empty
  const char *DiscTarget;    // "dvd", "svcd", "vcd" or "": the disc reset
  const char *DiscNorm;      // "PAL" or "NTSC" with a disc target
};

// What "确定" writes into AudioCodec for an audio encoder entry (null: cleared).
struct TAudioEncoderWrite {
  const char *Entry;
  const char *Codec;
};

// An entry with the settings text it stands for.
struct TEntryValue {
  const char *Entry;
  const char *Value;
};

// The row of an entry; null for a text no list holds.
const TVideoEncoderWrite *FindVideoEncoderWrite(const std::string &entry);
const TAudioEncoderWrite *FindAudioEncoderWrite(const std::string &entry);
// AudioVolume of a volume entry, AudioChannels of a channel entry; null for
// an unknown text.
const char *VolumeOf(const std::string &entry);
const char *ChannelsOf(const std::string &entry);

}  // namespace velmora
