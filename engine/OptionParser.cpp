// The option dispatcher: every option name the engine knows, what each one
// stores in the option state, and the checks on its value.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <limits>
#include <variant>

#include "converter/FFmpegLoader.h"
#include "media/ProgramFolder.h"
#include "converter/LibraryLogLevel.h"
#include "engine/CustomFFmpeg.h"
#include "engine/FFmpegException.h"
#include "engine/LibraryCall.h"
#include "engine/NumberText.h"
#include "engine/OptionTexts.h"

namespace velmora {

namespace {

using S = TOptionState;

// Accepted and ignored: they concern a command line, not a conversion task.
constexpr std::string_view kIgnoredOptions[] = {"L", "h",         "version", "formats", "i",
                                                "y", "benchmark", "apre",    "vpre",    "spre"};
// Refused: the engine always runs its codecs with one thread.
constexpr std::string_view kRefusedOptions[] = {"threads"};

// Options whose value goes straight into one field of the option state.
struct FlagField {  // true unless the value is exactly "0"
  bool S::*field;
};
struct SetField {  // true whatever the value
  bool S::*field;
};
struct IntField {
  int S::*field;
};
struct Int64Field {
  std::int64_t S::*field;
};
struct SingleField {
  float S::*field;
};
struct TextField {
  std::string S::*field;
};
struct OptionalTextField {  // replaces any earlier text
  std::optional<std::string> S::*field;
};
using PlainField = std::variant<FlagField, SetField, IntField, Int64Field, SingleField, TextField,
                                OptionalTextField>;

struct PlainOption {
  std::string_view name;
  PlainField field;
};

const PlainOption kPlainOptions[] = {
    {"dump", FlagField{&S::packetDump}},
    {"hex", FlagField{&S::hexDump}},
    {"re", FlagField{&S::rateEmulation}},
    {"loop_input", FlagField{&S::loopInput}},
    {"shortest", FlagField{&S::shortest}},
    {"intra", FlagField{&S::intraOnly}},
    {"vn", FlagField{&S::videoDisable}},
    {"sameq", FlagField{&S::sameQuality}},
    {"deinterlace", FlagField{&S::deinterlace}},
    {"psnr", FlagField{&S::doPsnr}},
    {"qphist", FlagField{&S::qpHistogram}},
    {"force_fps", FlagField{&S::forceFps}},
    {"an", FlagField{&S::audioDisable}},
    {"sn", FlagField{&S::subtitleDisable}},
    {"isync", FlagField{&S::inputSync}},
    {"copyts", SetField{&S::copyTimestamps}},
    {"xerror", SetField{&S::exitOnError}},
    {"dframes", IntField{&S::dataFrames}},
    {"vframes", IntField{&S::videoFrames}},
    {"aframes", IntField{&S::audioFrames}},
    {"loop_output", IntField{&S::loopOutput}},
    {"vsync", IntField{&S::videoSync}},
    {"async", IntField{&S::audioSync}},
    {"vglobal", IntField{&S::videoGlobalHeader}},
    {"programid", IntField{&S::programId}},
    {"copyinkf", IntField{&S::copyInitialNonKeyframes}},
    {"vdt", IntField{&S::videoDiscard}},
    {"top", IntField{&S::topFieldFirst}},
    {"dc", IntField{&S::intraDcPrecision}},
    {"vol", IntField{&S::audioVolume}},
    {"me_threshold", IntField{&S::meThreshold}},
    {"vc", IntField{&S::videoChannel}},
    {"fs", Int64Field{&S::limitFileSize}},
    {"adrift_threshold", SingleField{&S::audioDriftThreshold}},
    {"dts_delta_threshold", SingleField{&S::dtsDeltaThreshold}},
    {"aq", SingleField{&S::audioQScale}},
    {"muxdelay", SingleField{&S::muxMaxDelay}},
    {"muxpreload", SingleField{&S::muxPreload}},
    {"passlogfile", TextField{&S::passLogFileName}},
    {"alang", TextField{&S::audioLanguage}},
    {"slang", TextField{&S::subtitleLanguage}},
    {"rc_override", OptionalTextField{&S::rcOverride}},
    {"tvstd", OptionalTextField{&S::videoStandard}},
    {"vstats_file", OptionalTextField{&S::vstatsFileName}},
};

template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};

void StorePlainValue(S &state, const PlainField &field, const std::string &value) {
  std::visit(Overloaded{
                 [&](FlagField f) { state.*f.field = value != "0"; },
                 [&](SetField f) { state.*f.field = true; },
                 [&](IntField f) { state.*f.field = TextToInt(value); },
                 [&](Int64Field f) { state.*f.field = TextToInt64(value); },
                 [&](SingleField f) { state.*f.field = TextToSingle(value); },
                 [&](TextField f) { state.*f.field = value; },
                 [&](OptionalTextField f) { state.*f.field = value; },
             },
             field);
}

template <std::size_t N>
bool IsListed(const std::string_view (&names)[N], std::string_view name) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The row of a table of options sharing one handler; the handler is only
// ever reached through a name of its table.
template <typename Row, std::size_t N>
const Row &FindRow(const Row (&rows)[N], std::string_view name) {
  return *std::find_if(std::begin(rows), std::end(rows),
                       [&](const Row &row) { return row.name == name; });
}

// Crop and pad options: which band, and which side of the frame it narrows.
struct BandOption {
  std::string_view name;
  const char *side;  // for the messages
  int S::*band;
  bool vertical;  // top and bottom bands take away from the height
};
const BandOption kCropOptions[] = {
    {"croptop", "Top", &S::cropTop, true},
    {"cropbottom", "Bottom", &S::cropBottom, true},
    {"cropleft", "Left", &S::cropLeft, false},
    {"cropright", "Right", &S::cropRight, false},
};
const BandOption kPadOptions[] = {
    {"padtop", "Top", &S::padTop, true},
    {"padbottom", "Bottom", &S::padBottom, true},
    {"padleft", "Left", &S::padLeft, false},
    {"padright", "Right", &S::padRight, false},
};

// -vcodec, -acodec, -scodec: the codec name and the stream copy flag.
struct CodecOption {
  std::string_view name;
  std::optional<std::string> S::*codecName;
  bool S::*streamCopy;
};
const CodecOption kCodecOptions[] = {
    {"vcodec", &S::videoCodecName, &S::videoStreamCopy},
    {"acodec", &S::audioCodecName, &S::audioStreamCopy},
    {"scodec", &S::subtitleCodecName, &S::subtitleStreamCopy},
};

// -vtag, -atag.
struct TagOption {
  std::string_view name;
  std::uint32_t S::*tag;
  const char *lengthError;
};
const TagOption kTagOptions[] = {
    {"vtag", &S::videoCodecTag, "video tag parameter must be 4 chars"},
    {"atag", &S::audioCodecTag, "audio tag parameter must be 4 chars"},
};

// -vbsf, -absf, -sbsf: the chain each one appends to.
struct FilterChainOption {
  std::string_view name;
  std::vector<BitstreamFilterEntry> S::*chain;
};
const FilterChainOption kFilterChainOptions[] = {
    {"vbsf", &S::videoBitstreamFilters},
    {"absf", &S::audioBitstreamFilters},
    {"sbsf", &S::subtitleBitstreamFilters},
};

// The leading decimal integer of a matrix item, as atoi reads it (0 when
// there is none), clamped to the int range.
int LeadingInteger(const char *text) {
  const long value = std::strtol(text, nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// Microseconds to whole seconds, rounded to the nearest, ties to even.
std::int64_t RoundToSeconds(std::int64_t microseconds) {
  constexpr std::int64_t kSecond = 1000000;
  std::int64_t seconds = microseconds / kSecond;
  std::int64_t rest = microseconds % kSecond;
  if (rest < 0) {
    rest += kSecond;
    --seconds;
  }
  if (rest > kSecond / 2 || (rest == kSecond / 2 && (seconds & 1) != 0)) ++seconds;
  return seconds;
}

const char *const kVerticalCropError =
    "Vertical crop dimensions are outside the range of the original image.\n"
    "Remember to crop first and scale second.";
const char *const kHorizontalCropError =
    "Horizontal crop dimensions are outside the range of the original image.\n"
    "Remember to crop first and scale second.";

}  // namespace

bool TCustomFFmpeg::OptionTakesValue(const std::string &name) {
  // Options that ignore their value, and Boolean options, are written alone
  // on a command line.
  static constexpr std::string_view kValueless[] = {"vstats", "newvideo", "newaudio",
                                                    "newsubtitle"};
  if (IsListed(kIgnoredOptions, name) || IsListed(kValueless, name)) return false;
  for (const PlainOption &option : kPlainOptions)
    if (option.name == name)
      return !std::holds_alternative<FlagField>(option.field) &&
             !std::holds_alternative<SetField>(option.field);
  return true;
}

void TCustomFFmpeg::SetOption(const std::string &name, const std::string &value) {
  if (IsListed(kIgnoredOptions, name)) {
    Log(1, "Do nothing: option - " + name);
    return;
  }
  if (IsListed(kRefusedOptions, name)) throw FFmpegException("TODO: option - " + name);
  if (SetPlainOption(name, value)) return;
  if (const TOptionHandler handler = FindOptionHandler(name)) {
    (this->*handler)(name, value);
    return;
  }
  // Names the engine does not know may still be options of the library.
  SetGenericOption(name, value);
}

bool TCustomFFmpeg::SetPlainOption(const std::string &name, const std::string &value) {
  for (const PlainOption &option : kPlainOptions) {
    if (option.name != name) continue;
    StorePlainValue(options_, option.field, value);
    return true;
  }
  return false;
}

TCustomFFmpeg::TOptionHandler TCustomFFmpeg::FindOptionHandler(std::string_view name) {
  struct Row {
    std::string_view name;
    TOptionHandler handler;
  };
  static const Row kHandledOptions[] = {
      {"f", &TCustomFFmpeg::OptFormat},
      {"map", &TCustomFFmpeg::OptMap},
      {"map_meta_data", &TCustomFFmpeg::OptMapMetadata},
      {"t", &TCustomFFmpeg::OptRecordingTime},
      {"ss", &TCustomFFmpeg::OptStartTime},
      {"itsoffset", &TCustomFFmpeg::OptInputTsOffset},
      {"timestamp", &TCustomFFmpeg::OptTimestamp},
      {"itsscale", &TCustomFFmpeg::OptInputTsScale},
      {"metadata", &TCustomFFmpeg::OptMetadata},
      {"v", &TCustomFFmpeg::OptVerbose},
      {"ar", &TCustomFFmpeg::OptAudioRateOrChannels},
      {"ac", &TCustomFFmpeg::OptAudioRateOrChannels},
      {"target", &TCustomFFmpeg::OptTarget},
      {"b", &TCustomFFmpeg::OptBitrate},
      {"vb", &TCustomFFmpeg::OptBitrate},
      {"ab", &TCustomFFmpeg::OptBitrate},
      {"r", &TCustomFFmpeg::OptFrameRate},
      {"s", &TCustomFFmpeg::OptFrameSize},
      {"aspect", &TCustomFFmpeg::OptAspect},
      {"pix_fmt", &TCustomFFmpeg::OptPixelFormat},
      {"sample_fmt", &TCustomFFmpeg::OptSampleFormat},
      {"qscale", &TCustomFFmpeg::OptQScale},
      {"croptop", &TCustomFFmpeg::OptCrop},
      {"cropbottom", &TCustomFFmpeg::OptCrop},
      {"cropleft", &TCustomFFmpeg::OptCrop},
      {"cropright", &TCustomFFmpeg::OptCrop},
      {"padtop", &TCustomFFmpeg::OptPad},
      {"padbottom", &TCustomFFmpeg::OptPad},
      {"padleft", &TCustomFFmpeg::OptPad},
      {"padright", &TCustomFFmpeg::OptPad},
      {"padcolor", &TCustomFFmpeg::OptPadColor},
      {"vcodec", &TCustomFFmpeg::OptCodec},
      {"acodec", &TCustomFFmpeg::OptCodec},
      {"scodec", &TCustomFFmpeg::OptCodec},
      {"vtag", &TCustomFFmpeg::OptCodecTag},
      {"atag", &TCustomFFmpeg::OptCodecTag},
      {"vfilters", &TCustomFFmpeg::OptVideoFilters},
      {"intra_matrix", &TCustomFFmpeg::OptMatrix},
      {"inter_matrix", &TCustomFFmpeg::OptMatrix},
      {"pass", &TCustomFFmpeg::OptPass},
      {"vstats", &TCustomFFmpeg::OptVstats},
      {"vhook", &TCustomFFmpeg::OptFrameHook},
      {"newvideo", &TCustomFFmpeg::OptNewStream},
      {"newaudio", &TCustomFFmpeg::OptNewStream},
      {"newsubtitle", &TCustomFFmpeg::OptNewStream},
      {"absf", &TCustomFFmpeg::OptBitstreamFilter},
      {"vbsf", &TCustomFFmpeg::OptBitstreamFilter},
      {"sbsf", &TCustomFFmpeg::OptBitstreamFilter},
  };
  for (const Row &row : kHandledOptions)
    if (row.name == name) return row.handler;
  return nullptr;
}

void TCustomFFmpeg::ResetOptions() {
  options_ = TOptionState{};
  genericOptionNames_.clear();
  privateFormatOptions_.clear();
  privateCodecOptions_.clear();
}

std::string TCustomFFmpeg::TakeFormatName(const std::string &name) {
  if (name != "pgmyuv") return name;
  Log(1, "pgmyuv format is deprecated, use image2");
  options_.pgmyuvCompatibility = true;
  return "image2";
}

void TCustomFFmpeg::OptFormat(const std::string &, const std::string &value) {
  const std::string formatName = TakeFormatName(value);
  options_.forcedInputFormat = Required(ff.av_find_input_format)(formatName.c_str());
  options_.forcedOutputFormat = Required(ff.av_guess_format)(formatName.c_str(), nullptr, nullptr);
  if (!options_.forcedInputFormat && !options_.forcedOutputFormat)
    throw FFmpegException("Unknown input or output format: " + value);
}

void TCustomFFmpeg::SetInputFormat(const std::string &name) {
  if (name.empty()) return;
  const std::string formatName = TakeFormatName(name);
  options_.forcedInputFormat = Required(ff.av_find_input_format)(formatName.c_str());
  if (!options_.forcedInputFormat) throw FFmpegException("Unknown input format: " + name);
}

void TCustomFFmpeg::SetOutputFormat(const std::string &name) {
  if (name.empty()) return;
  const std::string formatName = TakeFormatName(name);
  options_.forcedOutputFormat = Required(ff.av_guess_format)(formatName.c_str(), nullptr, nullptr);
  if (!options_.forcedOutputFormat) throw FFmpegException("Unknown output format: " + name);
}

// file.stream[:syncfile.syncstream]: each number is followed by one
// separator character of any kind.
void TCustomFFmpeg::OptMap(const std::string &, const std::string &value) {
  if (options_.streamMaps.size() >= static_cast<std::size_t>(kMaxStreamMaps))
    throw FFmpegException("Too many stream maps (at most " + std::to_string(kMaxStreamMaps) + ")");
  StreamMap map;
  const char *p = value.c_str();
  map.fileIndex = ReadCInteger(p, &p);
  if (*p) ++p;
  map.streamIndex = ReadCInteger(p, &p);
  if (*p) {
    ++p;
    map.syncFileIndex = ReadCInteger(p, &p);
    if (*p) ++p;
    map.syncStreamIndex = ReadCInteger(p, &p);
  } else {
    map.syncFileIndex = map.fileIndex;
    map.syncStreamIndex = map.streamIndex;
  }
  options_.streamMaps.push_back(map);
}

// outfile:infile
void TCustomFFmpeg::OptMapMetadata(const std::string &, const std::string &value) {
  if (options_.metadataMaps.size() >= static_cast<std::size_t>(kMaxMetadataMaps))
    throw FFmpegException("Too many metadata maps (at most " + std::to_string(kMaxMetadataMaps) +
                          ")");
  MetadataMap map;
  const char *p = value.c_str();
  map.outputFile = ReadCInteger(p, &p);
  if (*p) ++p;
  map.inputFile = ReadCInteger(p, &p);
  options_.metadataMaps.push_back(map);
}

void TCustomFFmpeg::OptRecordingTime(const std::string &name, const std::string &value) {
  const std::int64_t duration = ParseTimeValue(name, value, true);
  if (duration <= 0) return;
  options_.recordingTime = duration;
  options_.totalOutputDuration = static_cast<int>(std::min<std::int64_t>(duration / 1000, INT_MAX));
}

void TCustomFFmpeg::OptStartTime(const std::string &name, const std::string &value) {
  options_.startTime = ParseTimeValue(name, value, true);
}

void TCustomFFmpeg::OptInputTsOffset(const std::string &name, const std::string &value) {
  options_.inputTsOffset = ParseTimeValue(name, value, true);
}

void TCustomFFmpeg::OptTimestamp(const std::string &name, const std::string &value) {
  options_.recordingTimestamp = RoundToSeconds(ParseTimeValue(name, value, false));
}

// stream:scale for the input file that will be opened next.
void TCustomFFmpeg::OptInputTsScale(const std::string &, const std::string &value) {
  const char *p = value.c_str();
  const int stream = ReadCInteger(p, &p);
  if (*p) ++p;
  const double scale = ReadCDouble(p, &p);
  if (stream < 0 || stream >= kMaxStreamsPerInput)
    throw FFmpegException("stream index over MAX_STREAMS(" + std::to_string(kMaxStreamsPerInput) +
                          ")");
  if (inputFileCount_ >= kMaxInputFiles)
    throw FFmpegException("Too many input files for -itsscale (at most " +
                          std::to_string(kMaxInputFiles) + ")");
  options_.inputTsScale[inputFileCount_][stream] = scale;
}

void TCustomFFmpeg::OptMetadata(const std::string &, const std::string &value) {
  const std::size_t equals = value.find('=');
  if (equals == std::string::npos) throw FFmpegException("Missing =");
  options_.metadata.emplace_back(value.substr(0, equals), value.substr(equals + 1));
}

void TCustomFFmpeg::OptVerbose(const std::string &, const std::string &value) {
  options_.verbose = TextToInt(value);
  SetLibraryLogLevel(options_.verbose);
}

// -ar and -ac keep their value unless the new one is above 0.
void TCustomFFmpeg::OptAudioRateOrChannels(const std::string &name, const std::string &value) {
  const int number = TextToInt(value);
  if (number <= 0) return;
  (name == "ar" ? options_.audioSampleRate : options_.audioChannels) = number;
}

// [pal-|ntsc-|film-]type; without a norm prefix the norm is chosen from the
// frame rate or the inputs, with NTSC when neither decides.
void TCustomFFmpeg::OptTarget(const std::string &, const std::string &value) {
  static const std::string kNorms[] = {"pal", "ntsc", "film"};
  for (const std::string &norm : kNorms) {
    if (value.rfind(norm + "-", 0) == 0) {
      ApplyTarget(value.substr(norm.size() + 1), norm, "ntsc");
      return;
    }
  }
  ApplyTarget(value, "auto", "ntsc");
}

// Bit rates are bits per second; a small number is most likely meant as
// kbit/s, which the user is warned about.
void TCustomFFmpeg::OptBitrate(const std::string &name, const std::string &value) {
  if (!SetGenericOption(name, value) || !OnLog) return;
  AVCodecContext *templ =
      CodecTemplate(name.front() == 'a' ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO);
  std::int64_t bitRate = 0;
  if (templ && ff.av_opt_get_int(templ, "b", 0, &bitRate) >= 0 && bitRate < 1000)
    Log(1,
        "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not "
        "kbits/s");
}

void TCustomFFmpeg::OptFrameRate(const std::string &, const std::string &value) {
  if (value.empty()) return;
  AVRational rate{0, 0};
  if (Required(ff.av_parse_video_rate)(&rate, value.c_str()) < 0)
    throw FFmpegException("Incorrect frame rate");
  options_.frameRate = rate;
}

void TCustomFFmpeg::OptFrameSize(const std::string &, const std::string &value) {
  int width = 0;
  int height = 0;
  if (Required(ff.av_parse_video_size)(&width, &height, value.c_str()) < 0)
    throw FFmpegException("Incorrect frame size");
  options_.frameWidth = width;
  options_.frameHeight = height;
  if (width % 2 != 0 || height % 2 != 0)
    throw FFmpegException("Frame size must be a multiple of 2");
}

// w:h with integer sides, or a decimal number. A ratio that is not positive
// is refused (a negative one is as meaningless as 0).
void TCustomFFmpeg::OptAspect(const std::string &, const std::string &value) {
  double ratio = 0;
  const std::size_t colon = value.find(':');
  if (colon != std::string::npos) {
    int width = 0;
    int height = 0;
    if (!TryTextToInt(std::string_view(value).substr(0, colon), width)) width = 0;
    if (!TryTextToInt(std::string_view(value).substr(colon + 1), height)) height = 0;
    ratio = height > 0 ? static_cast<double>(width) / height : 0.0;
  } else if (!TryTextToFloat(value, ratio)) {
    ratio = 0;
  }
  if (!(ratio > 0) || ratio > std::numeric_limits<float>::max() || static_cast<float>(ratio) == 0)
    throw FFmpegException("Incorrect aspect ratio specification.");
  options_.frameAspectRatio = static_cast<float>(ratio);
}

// "list" logs the library's table of pixel formats (a header line, then one
// line per format); any other value is a format name.
void TCustomFFmpeg::OptPixelFormat(const std::string &, const std::string &value) {
  if (value != "list") {
    options_.pixelFormat = Required(ff.av_get_pix_fmt)(value.c_str());
    return;
  }
  if (!OnLog) return;
  char line[256];
  for (int format = -1; format < AV_PIX_FMT_NB; ++format) {
    // The running library may know fewer formats than its headers.
    if (format >= 0 && !Required(ff.av_pix_fmt_desc_get)(static_cast<AVPixelFormat>(format))) break;
    Required(ff.av_get_pix_fmt_string)(line, sizeof line, static_cast<AVPixelFormat>(format));
    Log(1, TrimText(line));
  }
}

void TCustomFFmpeg::OptSampleFormat(const std::string &, const std::string &value) {
  if (value != "list") {
    options_.sampleFormat = Required(ff.av_get_sample_fmt)(value.c_str());
    return;
  }
  if (!OnLog) return;
  char line[256];
  for (int format = -1; format < AV_SAMPLE_FMT_NB; ++format) {
    if (!Required(ff.av_get_sample_fmt_string)(line, sizeof line,
                                               static_cast<AVSampleFormat>(format)))
      break;
    Log(1, TrimText(line));
  }
}

void TCustomFFmpeg::OptQScale(const std::string &, const std::string &value) {
  const float quantiser = TextToSingle(value);
  if (!(quantiser > 0.0f && quantiser <= 255.0f))
    throw FFmpegException("qscale must be > 0.0 and <= 255");
  options_.videoQScale = quantiser;
}

// A crop band is taken away from the frame size set so far, so -s must come
// first.
void TCustomFFmpeg::OptCrop(const std::string &name, const std::string &value) {
  const BandOption &crop = FindRow(kCropOptions, name);
  const int size = TextToInt(value);
  if (size < 0) return;
  if (size % 2 != 0)
    throw FFmpegException(std::string(crop.side) + " crop size must be a multiple of 2");
  int &extent = crop.vertical ? options_.frameHeight : options_.frameWidth;
  if (size >= extent)
    throw FFmpegException(crop.vertical ? kVerticalCropError : kHorizontalCropError);
  options_.*crop.band = size;
  extent -= size;
}

void TCustomFFmpeg::OptPad(const std::string &name, const std::string &value) {
  const BandOption &pad = FindRow(kPadOptions, name);
  const int size = TextToInt(value);
  if (size < 0) return;
  if (size % 2 != 0)
    throw FFmpegException(std::string(pad.side) + " pad size must be a multiple of 2");
  options_.*pad.band = size;
}

// The colour is 0x00BBGGRR; it becomes full-range BT.601 Y, U, V in 10-bit
// fixed point.
void TCustomFFmpeg::OptPadColor(const std::string &, const std::string &value) {
  const int colour = TextToInt(value);
  const int r = colour & 0xFF;
  const int g = (colour >> 8) & 0xFF;
  const int b = (colour >> 16) & 0xFF;
  options_.padColor[0] = ((307 * r + 602 * g + 117 * b + 512) >> 10) & 0xFF;
  options_.padColor[1] = (((-173 * r - 340 * g + 512 * b + 511) >> 10) + 128) & 0xFF;
  options_.padColor[2] = (((512 * r - 429 * g - 84 * b + 511) >> 10) + 128) & 0xFF;
}

void TCustomFFmpeg::OptCodec(const std::string &name, const std::string &value) {
  const CodecOption &codec = FindRow(kCodecOptions, name);
  if (value == "copy")
    options_.*codec.streamCopy = true;
  else
    options_.*codec.codecName = value;
}

// Four characters, the first in the lowest byte.
void TCustomFFmpeg::OptCodecTag(const std::string &name, const std::string &value) {
  if (value.empty()) return;
  const TagOption &tag = FindRow(kTagOptions, name);
  if (value.size() != 4) throw FFmpegException(tag.lengthError);
  std::uint32_t code = 0;
  for (int i = 3; i >= 0; --i) code = (code << 8) | static_cast<unsigned char>(value[i]);
  options_.*tag.tag = code;
}

void TCustomFFmpeg::OptVideoFilters(const std::string &, const std::string &value) {
  if (!value.empty()) options_.videoFilters = value;
}

// 64 comma-separated coefficients; text after the 64th is ignored. A text
// with fewer is refused and the table is left as it was.
void TCustomFFmpeg::OptMatrix(const std::string &name, const std::string &value) {
  QuantMatrix matrix{};
  const char *p = value.c_str();
  for (int i = 0; i < static_cast<int>(matrix.size()); ++i) {
    matrix[i] = static_cast<std::uint16_t>(LeadingInteger(p));
    if (i == static_cast<int>(matrix.size()) - 1) break;
    p = std::strchr(p, ',');
    if (!p)
      throw FFmpegException("Syntax error in matrix \"" + value + "\" at coeff " +
                            std::to_string(i));
    ++p;
  }
  (name == "intra_matrix" ? options_.intraMatrix : options_.interMatrix) = matrix;
}

void TCustomFFmpeg::OptPass(const std::string &, const std::string &value) {
  const int pass = TextToInt(value);
  if (pass != 1 && pass != 2) throw FFmpegException("pass number can be only 1 or 2");
  options_.pass = pass;
}

// The statistics file goes into the program folder, named by the time of day.
void TCustomFFmpeg::OptVstats(const std::string &, const std::string &) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char clock[16];
  std::strftime(clock, sizeof clock, "%H%M%S", &local);
  options_.vstatsFileName = ProgramFolder() + "/vstats_" + clock + ".log";
}

std::vector<std::string> TCustomFFmpeg::SplitHookWords(const std::string &value) {
  const char separator = value.find('|') != std::string::npos ? '|' : ' ';
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < value.size()) {
    std::size_t end = value.find(separator, start);
    if (end == std::string::npos) end = value.size();
    if (end > start) words.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// The hook module takes at most 63 arguments; a longer list is refused like
// any hook the frame hook list does not take.
void TCustomFFmpeg::OptFrameHook(const std::string &, const std::string &value) {
  const std::vector<std::string> words = SplitHookWords(value);
  if (words.size() > static_cast<std::size_t>(kMaxHookWords) || AddFrameHook(words) != 0)
    throw FFmpegException("Failed to add video hook function: " + value);
  options_.usingFrameHooks = true;
}

// -newvideo, -newaudio, -newsubtitle add a stream to the last output file.
void TCustomFFmpeg::OptNewStream(const std::string &name, const std::string &) {
  struct Row {
    std::string_view name;
    void (TCustomFFmpeg::*add)(AVFormatContext *);
  };
  static const Row kNewStreamOptions[] = {
      {"newvideo", &TCustomFFmpeg::NewVideoStream},
      {"newaudio", &TCustomFFmpeg::NewAudioStream},
      {"newsubtitle", &TCustomFFmpeg::NewSubtitleStream},
  };
  if (outputFileCount_ <= 0) throw FFmpegException("At least one output file must be specified");
  (this->*FindRow(kNewStreamOptions, name).add)(LastOutputFile());
}

// name[=arguments]; only the name is checked here: the filter context needs
// the parameters of the stream it will filter.
void TCustomFFmpeg::OptBitstreamFilter(const std::string &name, const std::string &value) {
  if (value.empty() || value.front() == '=') return;
  const std::string filterName = value.substr(0, value.find('='));
  if (!Required(ff.av_bsf_get_by_name)(filterName.c_str()))
    throw FFmpegException("Unknown bitstream filter " + TrimText(value));
  (options_.*FindRow(kFilterChainOptions, name).chain).push_back({filterName, value});
}

}  // namespace velmora
