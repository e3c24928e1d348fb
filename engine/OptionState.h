#pragma once
// The option state of one engine instance: every value an option can set,
// with its default. Options given before an input apply to that input, options
// given after it apply to the next output; the input and output code reads
// these values and resets some of them once consumed. Resetting all options
// is assignment of a fresh TOptionState.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "libav/FFmpegHeaders.h"

namespace velmora {

// Rationals compare by their two numbers, as the option state keeps them.
inline bool operator==(const AVRational &a, const AVRational &b) {
  return a.num == b.num && a.den == b.den;
}

constexpr int kMaxStreamMaps = 400;
constexpr int kMaxMetadataMaps = 20;
constexpr int kMaxInputFiles = 20;
constexpr int kMaxStreamsPerInput = 20;  // rows of the input timestamp scales
constexpr int kMaxOutputFiles = 20;      // entries of the output list
constexpr int kMaxStreamsPerOutput = 20;
constexpr int kMaxOutputStreams = 400;
constexpr int kMaxHookWords = 64;        // a frame hook module and up to 63 arguments

// One -map entry: the source stream and the stream it is synchronised with.
struct StreamMap {
  int fileIndex = 0;
  int streamIndex = 0;
  int syncFileIndex = 0;
  int syncStreamIndex = 0;
  bool operator==(const StreamMap &) const = default;
};

// One -map_meta_data entry: which input's tags go to which output.
struct MetadataMap {
  int outputFile = 0;
  int inputFile = 0;
  bool operator==(const MetadataMap &) const = default;
};

// One entry of a bitstream filter chain. The filter context itself needs the
// parameters of the stream it filters, so it is made per output stream.
struct BitstreamFilterEntry {
  std::string name;   // the filter's name: the value up to its first "="
  std::string value;  // the option value as given ("name" or "name=arguments")
  bool operator==(const BitstreamFilterEntry &) const = default;
};

// One -chapter entry: a part of the next output, in microseconds.
struct ChapterMark {
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string title;
  bool operator==(const ChapterMark &) const = default;
};

using QuantMatrix = std::array<std::uint16_t, 64>;
using TextPairs = std::vector<std::pair<std::string, std::string>>;

struct TOptionState {
  // Frame limits (-vframes, -aframes, -dframes).
  int videoFrames = std::numeric_limits<int>::max();
  int audioFrames = std::numeric_limits<int>::max();
  int dataFrames = std::numeric_limits<int>::max();

  // Picture (-r, -s, -aspect, crop and pad bands, -padcolor, -pix_fmt).
  AVRational frameRate{0, 0};
  int frameWidth = 0;
  int frameHeight = 0;
  float frameAspectRatio = 0.0f;
  int cropTop = 0;
  int cropBottom = 0;
  int cropLeft = 0;
  int cropRight = 0;
  int padTop = 0;
  int padBottom = 0;
  int padLeft = 0;
  int padRight = 0;
  std::array<int, 3> padColor{16, 128, 128};  // Y, U, V: black
  int pixelFormat = -1;                       // AV_PIX_FMT_NONE
  int sampleFormat = -1;                      // AV_SAMPLE_FMT_NONE

  // Video coding (-qscale, matrices, -rc_override, ...).
  float videoQScale = 0.0f;
  std::optional<QuantMatrix> intraMatrix;
  std::optional<QuantMatrix> interMatrix;
  std::optional<std::string> rcOverride;
  int topFieldFirst = -1;  // -top: decided from the input
  int intraDcPrecision = 8;
  int meThreshold = 0;
  std::string videoFilters;  // -vfilters

  // Streams disabled (-vn, -an, -sn) and the -vdt discard level.
  bool videoDisable = false;
  bool audioDisable = false;
  bool subtitleDisable = false;
  int videoDiscard = 0;

  // Codec names (-vcodec, -acodec, -scodec); "copy" sets a stream copy flag.
  std::optional<std::string> videoCodecName;
  std::optional<std::string> audioCodecName;
  std::optional<std::string> subtitleCodecName;
  bool videoStreamCopy = false;
  bool audioStreamCopy = false;
  bool subtitleStreamCopy = false;
  std::uint32_t videoCodecTag = 0;  // -vtag, first character in the lowest byte
  std::uint32_t audioCodecTag = 0;  // -atag

  // Boolean switches.
  bool sameQuality = false;     // -sameq
  bool deinterlace = false;     // -deinterlace
  bool intraOnly = false;       // -intra
  bool qpHistogram = false;     // -qphist
  bool doPsnr = false;          // -psnr
  bool hexDump = false;         // -hex
  bool packetDump = false;      // -dump
  bool rateEmulation = false;   // -re
  bool loopInput = false;       // -loop_input
  bool shortest = false;        // -shortest
  bool copyTimestamps = false;  // -copyts
  bool forceFps = false;        // -force_fps
  bool inputSync = false;       // -isync
  bool exitOnError = false;     // -xerror

  int loopOutput = -1;  // -loop_output

  // Audio (-ar, -ac, -aq, -vol, languages).
  int audioSampleRate = 44100;
  int audioChannels = 2;
  std::uint64_t audioChannelLayout = 0;  // channel mask taken from the input; 0 unknown
  float audioQScale = -99999.0f;  // not set
  int audioVolume = 256;
  std::string audioLanguage;     // -alang
  std::string subtitleLanguage;  // -slang

  // Muxing (-muxpreload, -muxdelay) in seconds.
  float muxPreload = 0.5f;
  float muxMaxDelay = 0.7f;

  // Times in microseconds (-t, -ss, -itsoffset), -timestamp in seconds since
  // 1970, -fs in bytes.
  std::int64_t recordingTime = std::numeric_limits<std::int64_t>::max();
  std::int64_t startTime = 0;
  std::int64_t inputTsOffset = 0;
  std::int64_t recordingTimestamp = 0;
  std::int64_t limitFileSize = 0;
  // Total output duration in milliseconds, -1 while unknown (set by -t).
  int totalOutputDuration = -1;

  // Two-pass encoding (-pass, -passlogfile).
  int pass = 0;
  std::string passLogFileName;

  // Synchronisation and miscellaneous integers.
  int videoSync = -1;  // -vsync
  int audioSync = 0;   // -async
  float audioDriftThreshold = 0.1f;
  float dtsDeltaThreshold = 10.0f;
  int videoGlobalHeader = 0;                  // -vglobal
  int programId = 0;                          // -programid
  int copyInitialNonKeyframes = 0;            // -copyinkf
  int videoChannel = 0;                       // -vc
  std::optional<std::string> videoStandard;   // -tvstd
  int verbose = 1;                            // -v: the engine's log level
  std::optional<std::string> vstatsFileName;  // -vstats, -vstats_file

  // Forced formats (-f); either may be none.
  const AVInputFormat *forcedInputFormat = nullptr;
  const AVOutputFormat *forcedOutputFormat = nullptr;
  bool pgmyuvCompatibility = false;  // -f pgmyuv
  bool usingFrameHooks = false;      // -vhook

  int swsFlags = 4;  // SWS_BICUBIC: the flags the scaler template is made with
  int bitBufferSize = 262144;
  int threadCount = 1;  // codec threads; no option changes it

  // Tables and lists filled by options.
  std::vector<StreamMap> streamMaps;      // at most kMaxStreamMaps
  std::vector<MetadataMap> metadataMaps;  // at most kMaxMetadataMaps
  TextPairs metadata;                     // (key, value), in order given
  std::vector<ChapterMark> chapters;      // -chapter, for the next output
  // Per input file and stream; 0 means no scaling. -itsscale writes the row
  // of the input that will be opened next.
  std::array<std::array<double, kMaxStreamsPerInput>, kMaxInputFiles> inputTsScale{};
  std::vector<BitstreamFilterEntry> videoBitstreamFilters;
  std::vector<BitstreamFilterEntry> audioBitstreamFilters;
  std::vector<BitstreamFilterEntry> subtitleBitstreamFilters;

  bool operator==(const TOptionState &) const = default;
};

}  // namespace velmora
