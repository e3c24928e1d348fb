#pragma once
// The records with which the application describes a conversion to the
// converter: TInputOptions for a task's input file, TOutputOptions (with its
// TStreamInfo metadata) for its output file, and how their fields become
// engine options. Integer fields use -1 (floating-point -1.0) for "not set";
// a field left at its default leaves the engine default in force.
#include <cstdint>
#include <string>

namespace velmora {

class TFFmpeg;

// A colour as 0x00BBGGRR. Negative values are the GUI toolkit's system
// colours, which have no meaning outside it.
using TColor = std::int32_t;

// Date and time as days since 1899-12-30 with the time of day as fraction.
using TDateTime = double;

struct TInputOptions {
  std::string FileName;  // UTF-8; filled with the task's file name when empty
  std::string ForceFormat;
  int StartTimeMs = -1;
  std::int64_t StartTimeUs = -1;  // wins over StartTimeMs
  int ProgramId = -1;
  std::string ExtraOptions;  // one name=value per line
};

struct TStreamInfo {
  TDateTime Timestamp = -1.0;  // 0: now; > 0: this local date-time
  int Year = -1;
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
};

struct TOutputOptions {
  std::string FileName;
  std::string FileFormat;
  int PacketSize = -1;
  int MuxRate = -1;
  float MuxDelay = -1.0f;    // seconds
  float MuxPreload = -1.0f;  // seconds
  std::string AudioCodec;
  bool DisableAudio = false;
  int AudioVolume = -1;
  int AudioChannels = -1;
  int AudioSampleRate = -1;
  int AudioBitrate = -1;  // bits per second
  int AudioBitrateTolerance = -1;
  std::string AudioLanguage;
  int AudioSync = 0;
  std::string AudioTag;
  std::string VideoCodec;
  bool DisableVideo = false;
  std::string FrameRate;
  std::string FrameSize;
  std::string AspectRatio;
  int CropTop = -1;
  int CropBottom = -1;
  int CropLeft = -1;
  int CropRight = -1;
  int PadTop = -1;
  int PadBottom = -1;
  int PadLeft = -1;
  int PadRight = -1;
  TColor PadColor = 0;  // black
  int GopSize = -1;
  int VideoBitrate = -1;  // bits per second
  int MaxRate = -1;
  int MinRate = -1;
  int BitrateTolerance = -1;
  int BufferSize = -1;
  int VideoSync = -1;
  std::string VideoTag;
  std::string VideoFilters;
  bool DisableSubtitle = false;
  std::string SubtitleLanguage;
  bool CopyTimestamps = false;
  int StartTimeMs = -1;
  std::int64_t StartTimeUs = -1;  // wins over StartTimeMs
  int DurationMs = -1;
  std::int64_t DurationUs = -1;  // wins over DurationMs
  TStreamInfo Metadata;
  int Target = 0;              // 1 vcd, 2 svcd, 3 dvd; anything else: none
  int TargetNorm = 0;          // 0 auto, 1 pal, 2 ntsc; anything else: auto
  int TargetDefaultNorm = 1;   // 1 pal, anything else ntsc: when auto cannot decide
  bool UseCustomHook = false;  // every frame goes to the custom hook
  bool UseBeforeHook = false;  // the before hook decides per frame (without the custom hook)
  std::string HookRanges;      // "start-end,..." in ms, used when neither hook is set
  bool JoinInputs = false;     // the task's inputs are joined one after another
  std::string ExtraOptions;    // one name=value per line
};

void InitInputOptions(TInputOptions &options);
void InitOutputOptions(TOutputOptions &options);

// Applies an input record to a task before its input is opened. With null
// options the task's copy is reset. Otherwise an empty FileName is filled in
// the caller's record, the record is copied into the task, and its fields
// become engine options. Raises FFmpegException on the first option refused;
// everything applied before it stays applied.
void ApplyInputOptions(TFFmpeg &task, const std::string &fileName, TInputOptions *options);

// Applies an output record before the output file is created, and returns its
// JoinInputs (false for null options). The "newvideo", "newaudio" and
// "newsubtitle" lines of ExtraOptions are left for the second pass, after the
// output file exists. Raises like ApplyInputOptions.
bool ApplyOutputOptions(TFFmpeg &task, const std::string &fileName, TOutputOptions *options);

// One option per line, "name=value" (a line without "=" has an empty value).
// The first pass applies every line except the stream-adding ones; the
// second pass applies only those.
void ApplyExtraOptions(TFFmpeg &task, const std::string &text, bool secondPass);

// "start-end" items in milliseconds, comma-separated; items whose end is
// before the start or negative are dropped.
void SetHookRanges(TFFmpeg &task, const std::string &text);

// A local date-time to seconds since 1970-01-01 UTC, rounded to the nearest
// second, with the time-zone bias of local standard time (daylight saving is
// not applied).
std::int64_t DateTimeToUnixSeconds(TDateTime localDateTime);

// The plain 0x00BBGGRR value of a colour; system colours become black.
int PlainRgb(TColor color);

}  // namespace velmora
