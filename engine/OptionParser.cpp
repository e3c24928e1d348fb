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

#include "engine/CustomFFmpeg.h"
#include "engine/NumberText.h"
#include "engine/OptionTable.h"
#include "engine/OptionTexts.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryCall.h"
#include "libav/LibraryLogLevel.h"
#include "libav/ProgramFolder.h"

namespace velmora {

namespace {

using S = TOptionState;

template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};

void StorePlainValue(S &state, const PlainField &field, const std::string &value) {
  std::visit(Overloaded{
                 [](std::monostate) {},
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

bool IsValueless(const PlainField &field) {
  return std::holds_alternative<FlagField>(field) || std::holds_alternative<SetField>(field);
}

using Row = TCustomFFmpeg::TOptionRow;
using Handler = TCustomFFmpeg::TOptionHandler;

// Accepted and ignored: they concern a command line, not a conversion task.
Row Ignored(std::string_view name) { return {name, TOptionKind::Ignored, false, {}, nullptr, {}}; }
// Refused with "TODO: option - <name>".
Row Refused(std::string_view name) { return {name, TOptionKind::Refused, true, {}, nullptr, {}}; }
Row Field(std::string_view name, PlainField field) {
  return {name, TOptionKind::Field, !IsValueless(field), field, nullptr, {}};
}
Row Handled(std::string_view name, Handler handler, OptionDetail detail = {}) {
  return {name, TOptionKind::Handler, true, {}, handler, detail};
}
// Handled options that ignore their value, written alone on a command line.
Row HandledAlone(std::string_view name, Handler handler, OptionDetail detail = {}) {
  return {name, TOptionKind::Handler, false, {}, handler, detail};
}

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

std::span<const TCustomFFmpeg::TOptionRow> TCustomFFmpeg::OptionTable() {
  using T = TCustomFFmpeg;
  static const Row kRows[] = {
      Ignored("L"),
      Ignored("h"),
      Ignored("version"),
      Ignored("formats"),
      Ignored("i"),
      Ignored("y"),
      Ignored("benchmark"),
      Ignored("apre"),
      Ignored("vpre"),
      Ignored("spre"),
      // The engine always runs its codecs with one thread.
      Refused("threads"),
      Field("dump", FlagField{&S::packetDump}),
      Field("hex", FlagField{&S::hexDump}),
      Field("re", FlagField{&S::rateEmulation}),
      Field("loop_input", FlagField{&S::loopInput}),
      Field("shortest", FlagField{&S::shortest}),
      Field("intra", FlagField{&S::intraOnly}),
      Field("vn", FlagField{&S::videoDisable}),
      Field("sameq", FlagField{&S::sameQuality}),
      Field("deinterlace", FlagField{&S::deinterlace}),
      Field("psnr", FlagField{&S::doPsnr}),
      Field("qphist", FlagField{&S::qpHistogram}),
      Field("force_fps", FlagField{&S::forceFps}),
      Field("an", FlagField{&S::audioDisable}),
      Field("sn", FlagField{&S::subtitleDisable}),
      Field("isync", FlagField{&S::inputSync}),
      Field("copyts", SetField{&S::copyTimestamps}),
      Field("xerror", SetField{&S::exitOnError}),
      Field("dframes", IntField{&S::dataFrames}),
      Field("vframes", IntField{&S::videoFrames}),
      Field("aframes", IntField{&S::audioFrames}),
      Field("loop_output", IntField{&S::loopOutput}),
      Field("vsync", IntField{&S::videoSync}),
      Field("async", IntField{&S::audioSync}),
      Field("vglobal", IntField{&S::videoGlobalHeader}),
      Field("programid", IntField{&S::programId}),
      Field("copyinkf", IntField{&S::copyInitialNonKeyframes}),
      Field("vdt", IntField{&S::videoDiscard}),
      Field("top", IntField{&S::topFieldFirst}),
      Field("dc", IntField{&S::intraDcPrecision}),
      Field("vol", IntField{&S::audioVolume}),
      Field("me_threshold", IntField{&S::meThreshold}),
      Field("vc", IntField{&S::videoChannel}),
      Field("fs", Int64Field{&S::limitFileSize}),
      Field("adrift_threshold", SingleField{&S::audioDriftThreshold}),
      Field("dts_delta_threshold", SingleField{&S::dtsDeltaThreshold}),
      Field("aq", SingleField{&S::audioQScale}),
      Field("muxdelay", SingleField{&S::muxMaxDelay}),
      Field("muxpreload", SingleField{&S::muxPreload}),
      Field("passlogfile", TextField{&S::passLogFileName}),
      Field("alang", TextField{&S::audioLanguage}),
      Field("slang", TextField{&S::subtitleLanguage}),
      Field("rc_override", OptionalTextField{&S::rcOverride}),
      Field("tvstd", OptionalTextField{&S::videoStandard}),
      Field("vstats_file", OptionalTextField{&S::vstatsFileName}),
      Handled("f", &T::OptFormat),
      Handled("map", &T::OptMap),
      Handled("map_meta_data", &T::OptMapMetadata),
      Handled("t", &T::OptRecordingTime),
      Handled("ss", &T::OptStartTime),
      Handled("itsoffset", &T::OptInputTsOffset),
      Handled("timestamp", &T::OptTimestamp),
      Handled("itsscale", &T::OptInputTsScale),
      Handled("metadata", &T::OptMetadata),
      Handled("chapter", &T::OptChapter),
      Handled("v", &T::OptVerbose),
      Handled("ar", &T::OptAudioRateOrChannels, IntField{&S::audioSampleRate}),
      Handled("ac", &T::OptAudioRateOrChannels, IntField{&S::audioChannels}),
      Handled("target", &T::OptTarget),
      Handled("b", &T::OptBitrate, MediaOption{AVMEDIA_TYPE_VIDEO}),
      Handled("vb", &T::OptBitrate, MediaOption{AVMEDIA_TYPE_VIDEO}),
      Handled("ab", &T::OptBitrate, MediaOption{AVMEDIA_TYPE_AUDIO}),
      Handled("r", &T::OptFrameRate),
      Handled("s", &T::OptFrameSize),
      Handled("aspect", &T::OptAspect),
      Handled("pix_fmt", &T::OptPixelFormat),
      Handled("sample_fmt", &T::OptSampleFormat),
      Handled("qscale", &T::OptQScale),
      Handled("croptop", &T::OptCrop, BandOption{"Top", &S::cropTop, true}),
      Handled("cropbottom", &T::OptCrop, BandOption{"Bottom", &S::cropBottom, true}),
      Handled("cropleft", &T::OptCrop, BandOption{"Left", &S::cropLeft, false}),
      Handled("cropright", &T::OptCrop, BandOption{"Right", &S::cropRight, false}),
      Handled("padtop", &T::OptPad, BandOption{"Top", &S::padTop, true}),
      Handled("padbottom", &T::OptPad, BandOption{"Bottom", &S::padBottom, true}),
      Handled("padleft", &T::OptPad, BandOption{"Left", &S::padLeft, false}),
      Handled("padright", &T::OptPad, BandOption{"Right", &S::padRight, false}),
      Handled("padcolor", &T::OptPadColor),
      Handled("vcodec", &T::OptCodec, CodecOption{&S::videoCodecName, &S::videoStreamCopy}),
      Handled("acodec", &T::OptCodec, CodecOption{&S::audioCodecName, &S::audioStreamCopy}),
      Handled("scodec", &T::OptCodec, CodecOption{&S::subtitleCodecName, &S::subtitleStreamCopy}),
      Handled("vtag", &T::OptCodecTag,
              TagOption{&S::videoCodecTag, "video tag parameter must be 4 chars"}),
      Handled("atag", &T::OptCodecTag,
              TagOption{&S::audioCodecTag, "audio tag parameter must be 4 chars"}),
      Handled("vfilters", &T::OptVideoFilters),
      Handled("intra_matrix", &T::OptMatrix, MatrixOption{&S::intraMatrix}),
      Handled("inter_matrix", &T::OptMatrix, MatrixOption{&S::interMatrix}),
      Handled("pass", &T::OptPass),
      HandledAlone("vstats", &T::OptVstats),
      Handled("vhook", &T::OptFrameHook),
      HandledAlone("newvideo", &T::OptNewStream, NewStreamOption{&T::NewVideoStream}),
      HandledAlone("newaudio", &T::OptNewStream, NewStreamOption{&T::NewAudioStream}),
      HandledAlone("newsubtitle", &T::OptNewStream, NewStreamOption{&T::NewSubtitleStream}),
      Handled("absf", &T::OptBitstreamFilter, FilterChainOption{&S::audioBitstreamFilters}),
      Handled("vbsf", &T::OptBitstreamFilter, FilterChainOption{&S::videoBitstreamFilters}),
      Handled("sbsf", &T::OptBitstreamFilter, FilterChainOption{&S::subtitleBitstreamFilters}),
  };
  return kRows;
}

const TCustomFFmpeg::TOptionRow *TCustomFFmpeg::FindOption(std::string_view name) {
  for (const TOptionRow &row : OptionTable())
    if (row.name == name) return &row;
  return nullptr;
}

bool TCustomFFmpeg::OptionTakesValue(const std::string &name) {
  const TOptionRow *row = FindOption(name);
  return row ? row->takesValue : true;
}

void TCustomFFmpeg::SetOption(const std::string &name, const std::string &value) {
  const TOptionRow *row = FindOption(name);
  // Names the engine does not know may still be options of the library.
  if (!row) {
    SetGenericOption(name, value);
    return;
  }
  switch (row->kind) {
    case TOptionKind::Ignored:
      Log(1, "Do nothing: option - " + name);
      return;
    case TOptionKind::Refused:
      throw FFmpegException("TODO: option - " + name);
    case TOptionKind::Field:
      StorePlainValue(options_, row->field, value);
      return;
    case TOptionKind::Handler:
      (this->*row->handler)(*row, value);
      return;
  }
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

void TCustomFFmpeg::OptFormat(const TOptionRow &, const std::string &value) {
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
void TCustomFFmpeg::OptMap(const TOptionRow &, const std::string &value) {
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
void TCustomFFmpeg::OptMapMetadata(const TOptionRow &, const std::string &value) {
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

void TCustomFFmpeg::OptRecordingTime(const TOptionRow &row, const std::string &value) {
  const std::int64_t duration = ParseTimeValue(std::string(row.name), value, true);
  if (duration <= 0) return;
  options_.recordingTime = duration;
  options_.totalOutputDuration = static_cast<int>(std::min<std::int64_t>(duration / 1000, INT_MAX));
}

void TCustomFFmpeg::OptStartTime(const TOptionRow &row, const std::string &value) {
  options_.startTime = ParseTimeValue(std::string(row.name), value, true);
}

void TCustomFFmpeg::OptInputTsOffset(const TOptionRow &row, const std::string &value) {
  options_.inputTsOffset = ParseTimeValue(std::string(row.name), value, true);
}

void TCustomFFmpeg::OptTimestamp(const TOptionRow &row, const std::string &value) {
  options_.recordingTimestamp = RoundToSeconds(ParseTimeValue(std::string(row.name), value, false));
}

// stream:scale for the input file that will be opened next.
void TCustomFFmpeg::OptInputTsScale(const TOptionRow &, const std::string &value) {
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

void TCustomFFmpeg::OptMetadata(const TOptionRow &, const std::string &value) {
  const std::size_t equals = value.find('=');
  if (equals == std::string::npos) throw FFmpegException("Missing =");
  options_.metadata.emplace_back(value.substr(0, equals), value.substr(equals + 1));
}

// START|END|TITLE: a chapter of the next output from START to END (each a
// duration as -t takes it), titled with the rest of the value.
void TCustomFFmpeg::OptChapter(const TOptionRow &, const std::string &value) {
  const std::size_t first = value.find('|');
  const std::size_t second = first == std::string::npos ? first : value.find('|', first + 1);
  const auto refuse = [&] { throw FFmpegException("Invalid chapter specification: " + value); };
  if (second == std::string::npos) refuse();
  ChapterMark mark;
  try {
    mark.start = ParseTimeValue("chapter", value.substr(0, first), true);
    mark.end = ParseTimeValue("chapter", value.substr(first + 1, second - first - 1), true);
  } catch (const FFmpegException &) {
    refuse();
  }
  if (mark.start < 0 || mark.end < mark.start) refuse();
  mark.title = value.substr(second + 1);
  options_.chapters.push_back(std::move(mark));
}

void TCustomFFmpeg::OptVerbose(const TOptionRow &, const std::string &value) {
  options_.verbose = TextToInt(value);
  SetLibraryLogLevel(options_.verbose);
}

// -ar and -ac keep their value unless the new one is above 0.
void TCustomFFmpeg::OptAudioRateOrChannels(const TOptionRow &row, const std::string &value) {
  const int number = TextToInt(value);
  if (number <= 0) return;
  options_.*std::get<IntField>(row.detail).field = number;
}

// [pal-|ntsc-|film-]type; without a norm prefix the norm is chosen from the
// frame rate or the inputs, with NTSC when neither decides.
void TCustomFFmpeg::OptTarget(const TOptionRow &, const std::string &value) {
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
void TCustomFFmpeg::OptBitrate(const TOptionRow &row, const std::string &value) {
  if (!SetGenericOption(std::string(row.name), value) || !OnLog) return;
  AVCodecContext *templ = CodecTemplate(std::get<MediaOption>(row.detail).type);
  std::int64_t bitRate = 0;
  if (templ && ff.av_opt_get_int(templ, "b", 0, &bitRate) >= 0 && bitRate < 1000)
    Log(1,
        "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not "
        "kbits/s");
}

void TCustomFFmpeg::OptFrameRate(const TOptionRow &, const std::string &value) {
  if (value.empty()) return;
  AVRational rate{0, 0};
  if (Required(ff.av_parse_video_rate)(&rate, value.c_str()) < 0)
    throw FFmpegException("Incorrect frame rate");
  options_.frameRate = rate;
}

void TCustomFFmpeg::OptFrameSize(const TOptionRow &, const std::string &value) {
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
void TCustomFFmpeg::OptAspect(const TOptionRow &, const std::string &value) {
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
void TCustomFFmpeg::OptPixelFormat(const TOptionRow &, const std::string &value) {
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

void TCustomFFmpeg::OptSampleFormat(const TOptionRow &, const std::string &value) {
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

void TCustomFFmpeg::OptQScale(const TOptionRow &, const std::string &value) {
  const float quantiser = TextToSingle(value);
  if (!(quantiser > 0.0f && quantiser <= 255.0f))
    throw FFmpegException("qscale must be > 0.0 and <= 255");
  options_.videoQScale = quantiser;
}

// A crop band is taken away from the frame size set so far, so -s must come
// first.
void TCustomFFmpeg::OptCrop(const TOptionRow &row, const std::string &value) {
  const BandOption &crop = std::get<BandOption>(row.detail);
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

void TCustomFFmpeg::OptPad(const TOptionRow &row, const std::string &value) {
  const BandOption &pad = std::get<BandOption>(row.detail);
  const int size = TextToInt(value);
  if (size < 0) return;
  if (size % 2 != 0)
    throw FFmpegException(std::string(pad.side) + " pad size must be a multiple of 2");
  options_.*pad.band = size;
}

// The colour is 0x00BBGGRR; it becomes full-range BT.601 Y, U, V in 10-bit
// fixed point.
void TCustomFFmpeg::OptPadColor(const TOptionRow &, const std::string &value) {
  const int colour = TextToInt(value);
  const int r = colour & 0xFF;
  const int g = (colour >> 8) & 0xFF;
  const int b = (colour >> 16) & 0xFF;
  options_.padColor[0] = ((307 * r + 602 * g + 117 * b + 512) >> 10) & 0xFF;
  options_.padColor[1] = (((-173 * r - 340 * g + 512 * b + 511) >> 10) + 128) & 0xFF;
  options_.padColor[2] = (((512 * r - 429 * g - 84 * b + 511) >> 10) + 128) & 0xFF;
}

void TCustomFFmpeg::OptCodec(const TOptionRow &row, const std::string &value) {
  const CodecOption &codec = std::get<CodecOption>(row.detail);
  if (value == "copy")
    options_.*codec.streamCopy = true;
  else
    options_.*codec.codecName = value;
}

// Four characters, the first in the lowest byte.
void TCustomFFmpeg::OptCodecTag(const TOptionRow &row, const std::string &value) {
  if (value.empty()) return;
  const TagOption &tag = std::get<TagOption>(row.detail);
  if (value.size() != 4) throw FFmpegException(tag.lengthError);
  std::uint32_t code = 0;
  for (int i = 3; i >= 0; --i) code = (code << 8) | static_cast<unsigned char>(value[i]);
  options_.*tag.tag = code;
}

void TCustomFFmpeg::OptVideoFilters(const TOptionRow &, const std::string &value) {
  if (!value.empty()) options_.videoFilters = value;
}

// 64 comma-separated coefficients; text after the 64th is ignored. A text
// with fewer is refused and the table is left as it was.
void TCustomFFmpeg::OptMatrix(const TOptionRow &row, const std::string &value) {
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
  options_.*std::get<MatrixOption>(row.detail).matrix = matrix;
}

void TCustomFFmpeg::OptPass(const TOptionRow &, const std::string &value) {
  const int pass = TextToInt(value);
  if (pass != 1 && pass != 2) throw FFmpegException("pass number can be only 1 or 2");
  options_.pass = pass;
}

// The statistics file goes into the program folder, named by the time of day.
void TCustomFFmpeg::OptVstats(const TOptionRow &, const std::string &) {
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
void TCustomFFmpeg::OptFrameHook(const TOptionRow &, const std::string &value) {
  const std::vector<std::string> words = SplitHookWords(value);
  if (words.size() > static_cast<std::size_t>(kMaxHookWords) || AddFrameHook(words) != 0)
    throw FFmpegException("Failed to add video hook function: " + value);
  options_.usingFrameHooks = true;
}

// -newvideo, -newaudio, -newsubtitle add a stream to the last output file.
void TCustomFFmpeg::OptNewStream(const TOptionRow &row, const std::string &) {
  if (outputFileCount_ <= 0) throw FFmpegException("At least one output file must be specified");
  (this->*std::get<NewStreamOption>(row.detail).add)(LastOutputFile());
}

// name[=arguments]; only the name is checked here: the filter context needs
// the parameters of the stream it will filter.
void TCustomFFmpeg::OptBitstreamFilter(const TOptionRow &row, const std::string &value) {
  if (value.empty() || value.front() == '=') return;
  const std::string filterName = value.substr(0, value.find('='));
  if (!Required(ff.av_bsf_get_by_name)(filterName.c_str()))
    throw FFmpegException("Unknown bitstream filter " + TrimText(value));
  (options_.*std::get<FilterChainOption>(row.detail).chain).push_back({filterName, value});
}

}  // namespace velmora
