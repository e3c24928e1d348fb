#include "converter/OptionRecords.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <string_view>
#include <vector>

#include "converter/FFmpegTask.h"
#include "engine/NumberText.h"

namespace velmora {

namespace {

using O = TOutputOptions;

// Days from 1899-12-30 (day 0 of a TDateTime) to 1970-01-01.
constexpr double kUnixEpochDay = 25569.0;
constexpr double kSecondsPerDay = 86400.0;

// Options that add a stream to the output file, so they can only run once
// that file exists.
bool AddsStream(std::string_view name) {
  return name == "newvideo" || name == "newaudio" || name == "newsubtitle";
}

void Generic(TFFmpeg &task, const char *name, long long value) {
  // A name the library does not know is dropped there without an error.
  task.SetGenericOption(name, std::to_string(value));
}

// One field of the output record: when it applies, and what it becomes.
struct OutputField {
  bool (*applies)(const O &);
  void (*apply)(TFFmpeg &, const O &);
};

bool Always(const O &) { return true; }

// Metadata fields, each with its own condition.
void ApplyMetadata(TFFmpeg &task, const TStreamInfo &info) {
  TOptionState &state = task.Options();
  if (info.Timestamp == 0)
    state.recordingTimestamp = static_cast<std::int64_t>(std::time(nullptr));
  else if (info.Timestamp > 0)
    state.recordingTimestamp = DateTimeToUnixSeconds(info.Timestamp);
  if (info.Year > 0) state.metadata.emplace_back("year", std::to_string(info.Year));
  if (info.Track > 0) state.metadata.emplace_back("track", std::to_string(info.Track));
  const std::pair<const char *, const std::string *> texts[] = {
      {"title", &info.Title},         {"author", &info.Author}, {"copyright", &info.Copyright},
      {"comment", &info.Comment},     {"album", &info.Album},   {"genre", &info.Genre},
  };
  for (const auto &[key, value] : texts)
    if (!value->empty()) state.metadata.emplace_back(key, *value);
}

// In this order: FrameSize comes before the crop bands, which are checked
// against and taken from the size it set, and each microsecond time comes
// after its millisecond twin so that it wins.
const OutputField kOutputFields[] = {
    {[](const O &o) { return !o.FileFormat.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOutputFormat(o.FileFormat); }},
    {[](const O &o) { return o.PacketSize > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "packetsize", o.PacketSize); }},
    {[](const O &o) { return o.MuxRate > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "muxrate", o.MuxRate); }},
    {[](const O &o) { return o.MuxDelay > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().muxMaxDelay = o.MuxDelay; }},
    {[](const O &o) { return o.MuxPreload > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().muxPreload = o.MuxPreload; }},
    {[](const O &o) { return !o.AudioCodec.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("acodec", o.AudioCodec); }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().audioDisable = o.DisableAudio; }},
    {[](const O &o) { return o.AudioVolume >= 0; },
     [](TFFmpeg &t, const O &o) { t.Options().audioVolume = o.AudioVolume; }},
    {[](const O &o) { return o.AudioChannels > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().audioChannels = o.AudioChannels; }},
    {[](const O &o) { return o.AudioSampleRate > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().audioSampleRate = o.AudioSampleRate; }},
    {[](const O &o) { return o.AudioBitrate > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "ab", o.AudioBitrate); }},
    {[](const O &o) { return o.AudioBitrateTolerance > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "abt", o.AudioBitrateTolerance); }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().audioLanguage = o.AudioLanguage; }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().audioSync = o.AudioSync; }},
    {[](const O &o) { return !o.AudioTag.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("atag", o.AudioTag); }},
    {[](const O &o) { return !o.VideoCodec.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("vcodec", o.VideoCodec); }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().videoDisable = o.DisableVideo; }},
    {[](const O &o) { return !o.FrameRate.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("r", o.FrameRate); }},
    {[](const O &o) { return !o.FrameSize.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("s", o.FrameSize); }},
    {[](const O &o) { return !o.AspectRatio.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("aspect", o.AspectRatio); }},
    {[](const O &o) { return o.CropTop >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("croptop", std::to_string(o.CropTop)); }},
    {[](const O &o) { return o.CropBottom >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("cropbottom", std::to_string(o.CropBottom)); }},
    {[](const O &o) { return o.CropLeft >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("cropleft", std::to_string(o.CropLeft)); }},
    {[](const O &o) { return o.CropRight >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("cropright", std::to_string(o.CropRight)); }},
    {[](const O &o) { return o.PadTop >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("padtop", std::to_string(o.PadTop)); }},
    {[](const O &o) { return o.PadBottom >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("padbottom", std::to_string(o.PadBottom)); }},
    {[](const O &o) { return o.PadLeft >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("padleft", std::to_string(o.PadLeft)); }},
    {[](const O &o) { return o.PadRight >= 0; },
     [](TFFmpeg &t, const O &o) { t.SetOption("padright", std::to_string(o.PadRight)); }},
    {Always,
     [](TFFmpeg &t, const O &o) { t.SetOption("padcolor", std::to_string(PlainRgb(o.PadColor))); }},
    // Today's library calls the GOP size option "g".
    {[](const O &o) { return o.GopSize > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "g", o.GopSize); }},
    {[](const O &o) { return o.VideoBitrate > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "vb", o.VideoBitrate); }},
    {[](const O &o) { return o.MaxRate > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "maxrate", o.MaxRate); }},
    {[](const O &o) { return o.MinRate > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "minrate", o.MinRate); }},
    {[](const O &o) { return o.BitrateTolerance > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "bt", o.BitrateTolerance); }},
    {[](const O &o) { return o.BufferSize > 0; },
     [](TFFmpeg &t, const O &o) { Generic(t, "bufsize", o.BufferSize); }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().videoSync = o.VideoSync; }},
    {[](const O &o) { return !o.VideoTag.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("vtag", o.VideoTag); }},
    {[](const O &o) { return !o.VideoFilters.empty(); },
     [](TFFmpeg &t, const O &o) { t.SetOption("vfilters", o.VideoFilters); }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().subtitleDisable = o.DisableSubtitle; }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().subtitleLanguage = o.SubtitleLanguage; }},
    {Always, [](TFFmpeg &t, const O &o) { t.Options().copyTimestamps = o.CopyTimestamps; }},
    {[](const O &o) { return o.StartTimeMs > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().startTime = std::int64_t{o.StartTimeMs} * 1000; }},
    {[](const O &o) { return o.StartTimeUs > 0; },
     [](TFFmpeg &t, const O &o) { t.Options().startTime = o.StartTimeUs; }},
    {[](const O &o) { return o.DurationMs > 0; },
     [](TFFmpeg &t, const O &o) {
       t.Options().recordingTime = std::int64_t{o.DurationMs} * 1000;
       t.Options().totalOutputDuration = o.DurationMs;
     }},
    {[](const O &o) { return o.DurationUs > 0; },
     [](TFFmpeg &t, const O &o) {
       t.Options().recordingTime = o.DurationUs;
       t.Options().totalOutputDuration =
           static_cast<int>(std::min<std::int64_t>(o.DurationUs / 1000, INT_MAX));
     }},
    {Always, [](TFFmpeg &t, const O &o) { ApplyMetadata(t, o.Metadata); }},
};

// The -target preset of a record, with its norm and its fallback norm.
void ApplyTargetSetup(TFFmpeg &task, const O &options) {
  static const char *const kTargets[] = {"vcd", "svcd", "dvd"};
  if (options.Target < 1 || options.Target > 3) return;
  const char *norm = options.TargetNorm == 1 ? "pal" : options.TargetNorm == 2 ? "ntsc" : "auto";
  const char *defaultNorm = options.TargetDefaultNorm == 1 ? "pal" : "ntsc";
  task.ApplyTarget(kTargets[options.Target - 1], norm, defaultNorm);
}

// A hook range bound: milliseconds as a 64-bit decimal number (-1 when the
// text is not one) in microseconds, saturating instead of overflowing.
std::int64_t RangeBound(const std::string &text) {
  std::int64_t milliseconds = 0;
  if (!TryTextToInt64(text, milliseconds)) milliseconds = -1;
  constexpr std::int64_t kLimit = INT64_MAX / 1000;
  if (milliseconds > kLimit) return INT64_MAX;
  if (milliseconds < -kLimit) return INT64_MIN;
  return milliseconds * 1000;
}

}  // namespace

void InitInputOptions(TInputOptions &options) { options = TInputOptions{}; }

void InitOutputOptions(TOutputOptions &options) { options = TOutputOptions{}; }

int PlainRgb(TColor color) { return color < 0 ? 0 : (color & 0xFFFFFF); }

std::int64_t DateTimeToUnixSeconds(TDateTime localDateTime) {
  // `timezone` is the bias of local standard time in seconds (UTC = local +
  // bias), the same whatever the date: no daylight adjustment.
  tzset();
  return std::llround((localDateTime - kUnixEpochDay) * kSecondsPerDay +
                      static_cast<double>(timezone));
}

void ApplyExtraOptions(TFFmpeg &task, const std::string &text, bool secondPass) {
  std::string rest = TrimText(text);
  std::string lines;
  lines.reserve(rest.size());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '\r') {
      lines += '\n';
      if (i + 1 < rest.size() && rest[i + 1] == '\n') ++i;
    } else {
      lines += rest[i];
    }
  }
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    const std::string line = lines.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = line.find('=');
    const std::string name = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
    if (AddsStream(name) == secondPass) task.SetOption(name, value);
  }
}

void SetHookRanges(TFFmpeg &task, const std::string &text) {
  const std::string items = TrimText(text);
  std::vector<THookRange> ranges;
  ranges.reserve(std::count(items.begin(), items.end(), ',') + 1);
  std::size_t start = 0;
  while (start <= items.size()) {
    std::size_t comma = items.find(',', start);
    if (comma == std::string::npos) comma = items.size();
    const std::string item = TrimText(std::string_view(items).substr(start, comma - start));
    start = comma + 1;
    // An item without "-" has no end, which reads as -1.
    const std::size_t dash = item.find('-');
    const std::string before = TrimText(std::string_view(item).substr(0, dash));
    const std::string after = dash == std::string::npos ? std::string() : item.substr(dash + 1);
    const THookRange range{RangeBound(before), RangeBound(after)};
    if (range.end >= range.start && range.end >= 0) ranges.push_back(range);
  }
  task.SetHookRangeList(std::move(ranges));
}

void ApplyInputOptions(TFFmpeg &task, const std::string &fileName, TInputOptions *options) {
  if (!options) {
    InitInputOptions(task.InputOptions);
    return;
  }
  if (options->FileName.empty()) options->FileName = fileName;
  task.InputOptions = *options;
  ApplyExtraOptions(task, options->ExtraOptions, false);
  if (!options->ForceFormat.empty()) task.SetInputFormat(options->ForceFormat);
  TOptionState &state = task.Options();
  if (options->StartTimeMs > 0) state.startTime = std::int64_t{options->StartTimeMs} * 1000;
  if (options->StartTimeUs > 0) state.startTime = options->StartTimeUs;
  if (options->ProgramId >= 0) state.programId = options->ProgramId;
}

bool ApplyOutputOptions(TFFmpeg &task, const std::string &fileName, TOutputOptions *options) {
  if (!options) {
    InitOutputOptions(task.OutputOptions);
    return false;
  }
  if (options->FileName.empty()) options->FileName = fileName;
  task.OutputOptions = *options;
  ApplyTargetSetup(task, *options);
  ApplyExtraOptions(task, options->ExtraOptions, false);
  for (const OutputField &field : kOutputFields)
    if (field.applies(*options)) field.apply(task, *options);
  task.CustomHookConnected = options->UseCustomHook;
  task.BeforeHookConnected = !options->UseCustomHook && options->UseBeforeHook;
  if (!options->UseCustomHook && !options->UseBeforeHook) SetHookRanges(task, options->HookRanges);
  return options->JoinInputs;
}

}  // namespace velmora
