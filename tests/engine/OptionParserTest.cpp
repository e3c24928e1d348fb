// The option dispatcher: what each option stores, and the exact message of
// each refusal.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/CustomFFmpeg.h"
#include "engine/OptionTable.h"
#include "libav/FFmpegException.h"
#include "libav/ProgramFolder.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using S = TOptionState;
using OptionList = std::vector<std::pair<std::string, std::string>>;
using Observer = std::function<std::string(const S &)>;

std::string Text(bool v) { return v ? "true" : "false"; }
template <typename T>
std::string Text(const T &v) {
  std::ostringstream out;
  out << v;
  return out.str();
}
std::string Text(const std::optional<std::string> &v) { return v ? *v : "none"; }
std::string Text(const AVRational &v) {
  return std::to_string(v.num) + "/" + std::to_string(v.den);
}

// Prints fields of the option state, separated by spaces.
template <typename... T>
Observer Fields(T S::*...fields) {
  return [=](const S &s) {
    std::string text;
    ((text += (text.empty() ? "" : " ") + Text(s.*fields)), ...);
    return text;
  };
}

std::string MatrixText(const std::optional<QuantMatrix> &m) {
  if (!m) return "none";
  return std::to_string((*m)[0]) + ".." + std::to_string((*m)[63]);
}

std::string ChainText(const std::vector<BitstreamFilterEntry> &chain) {
  std::string text;
  for (const auto &entry : chain) text += "[" + entry.name + "|" + entry.value + "]";
  return text;
}

std::string PadColorText(const S &s) {
  return Text(s.padColor[0]) + " " + Text(s.padColor[1]) + " " + Text(s.padColor[2]);
}

std::string FirstMapText(const S &s) {
  const StreamMap &m = s.streamMaps.at(0);
  return Text(m.fileIndex) + " " + Text(m.streamIndex) + " " + Text(m.syncFileIndex) + " " +
         Text(m.syncStreamIndex);
}

std::string FormatText(const S &s) {
  return std::string(s.forcedInputFormat ? s.forcedInputFormat->name : "none") + " / " +
         (s.forcedOutputFormat ? s.forcedOutputFormat->name : "none");
}

// "1,2,...,n"
std::string Numbers(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += (i > 1 ? "," : "") + std::to_string(i);
  return text;
}

struct OptionCase {
  OptionList options;      // applied in order; the last one is the option under test
  Observer observe;        // the state afterwards (null: not checked)
  std::string expected;    // what observe gives
  std::string error = {};  // the exact message the last option raises; empty: none
};

const std::string kVerticalCrop =
    "Vertical crop dimensions are outside the range of the original image.\n"
    "Remember to crop first and scale second.";
const std::string kHorizontalCrop =
    "Horizontal crop dimensions are outside the range of the original image.\n"
    "Remember to crop first and scale second.";

const std::vector<OptionCase> &Cases() {
  static const std::vector<OptionCase> cases = {
      // Boolean options: true unless the value is exactly "0".
      {{{"an", "1"}, {"an", "0"}}, Fields(&S::audioDisable), "false"},
      {{{"an", "no"}}, Fields(&S::audioDisable), "true"},
      {{{"an", ""}}, Fields(&S::audioDisable), "true"},
      {{{"dump", "1"}}, Fields(&S::packetDump), "true"},
      {{{"hex", "1"}}, Fields(&S::hexDump), "true"},
      {{{"re", "1"}}, Fields(&S::rateEmulation), "true"},
      {{{"loop_input", "1"}}, Fields(&S::loopInput), "true"},
      {{{"shortest", "1"}}, Fields(&S::shortest), "true"},
      {{{"intra", "1"}}, Fields(&S::intraOnly), "true"},
      {{{"vn", "1"}}, Fields(&S::videoDisable), "true"},
      {{{"sameq", "1"}}, Fields(&S::sameQuality), "true"},
      {{{"deinterlace", "1"}}, Fields(&S::deinterlace), "true"},
      {{{"psnr", "1"}}, Fields(&S::doPsnr), "true"},
      {{{"qphist", "1"}}, Fields(&S::qpHistogram), "true"},
      {{{"force_fps", "1"}}, Fields(&S::forceFps), "true"},
      {{{"sn", "1"}}, Fields(&S::subtitleDisable), "true"},
      {{{"isync", "1"}}, Fields(&S::inputSync), "true"},
      // ... and two that are set whatever the value.
      {{{"copyts", "0"}}, Fields(&S::copyTimestamps), "true"},
      {{{"xerror", "0"}}, Fields(&S::exitOnError), "true"},

      // Integer options.
      {{{"dframes", "5"}}, Fields(&S::dataFrames), "5"},
      {{{"vframes", " 250 "}}, Fields(&S::videoFrames), "250"},
      {{{"aframes", "+7"}}, Fields(&S::audioFrames), "7"},
      {{{"loop_output", "0"}}, Fields(&S::loopOutput), "0"},
      {{{"vsync", "2"}}, Fields(&S::videoSync), "2"},
      {{{"async", "-1"}}, Fields(&S::audioSync), "-1"},
      {{{"vglobal", "3"}}, Fields(&S::videoGlobalHeader), "3"},
      {{{"programid", "17"}}, Fields(&S::programId), "17"},
      {{{"copyinkf", "1"}}, Fields(&S::copyInitialNonKeyframes), "1"},
      {{{"vdt", "8"}}, Fields(&S::videoDiscard), "8"},
      {{{"top", "1"}}, Fields(&S::topFieldFirst), "1"},
      {{{"dc", "10"}}, Fields(&S::intraDcPrecision), "10"},
      {{{"vol", "512"}}, Fields(&S::audioVolume), "512"},
      {{{"me_threshold", "4"}}, Fields(&S::meThreshold), "4"},
      {{{"vc", "2"}}, Fields(&S::videoChannel), "2"},
      {{{"fs", "5000000000"}}, Fields(&S::limitFileSize), "5000000000"},
      {{{"vframes", "12a"}},
       Fields(&S::videoFrames),
       "2147483647",
       "'12a' is not a valid integer value"},
      {{{"vol", "2147483648"}}, nullptr, "", "'2147483648' is not a valid integer value"},
      {{{"dc", "0x10"}}, nullptr, "", "'0x10' is not a valid integer value"},
      {{{"fs", "9223372036854775808"}},
       nullptr,
       "",
       "'9223372036854775808' is not a valid integer value"},

      // Floating-point options, always with "." as the decimal point.
      {{{"adrift_threshold", "0.25"}}, Fields(&S::audioDriftThreshold), "0.25"},
      {{{"dts_delta_threshold", "20"}}, Fields(&S::dtsDeltaThreshold), "20"},
      {{{"aq", "3.5"}}, Fields(&S::audioQScale), "3.5"},
      {{{"muxdelay", "1e-1"}}, Fields(&S::muxMaxDelay), "0.1"},
      {{{"muxpreload", ".44"}}, Fields(&S::muxPreload), "0.44"},
      {{{"muxdelay", "1,5"}},
       Fields(&S::muxMaxDelay),
       "0.7",
       "'1,5' is not a valid floating point value"},
      {{{"aq", "nan"}}, nullptr, "", "'nan' is not a valid floating point value"},

      // Text options.
      {{{"passlogfile", "pass.log"}}, Fields(&S::passLogFileName), "pass.log"},
      {{{"alang", "eng"}}, Fields(&S::audioLanguage), "eng"},
      {{{"slang", "fre"}}, Fields(&S::subtitleLanguage), "fre"},
      {{{"rc_override", "0,100,-50"}}, Fields(&S::rcOverride), "0,100,-50"},
      {{{"tvstd", "pal"}}, Fields(&S::videoStandard), "pal"},
      {{{"vstats_file", "a.log"}, {"vstats_file", "b.log"}}, Fields(&S::vstatsFileName), "b.log"},

      // Refused and unknown names.
      {{{"threads", "2"}}, nullptr, "", "TODO: option - threads"},
      {{{"no_such_option", "1"}}, Fields(&S::videoFrames), "2147483647"},

      // -f: demuxer and muxer.
      {{{"f", "mpeg"}}, FormatText, "mpeg / mpeg"},
      {{{"f", "null"}}, FormatText, "none / null"},
      {{{"f", "pgmyuv"}},
       [](const S &s) { return FormatText(s) + " " + Text(s.pgmyuvCompatibility); },
       "image2 / image2 true"},
      {{{"f", "no_such_format"}},
       FormatText,
       "none / none",
       "Unknown input or output format: no_such_format"},

      // -map and -map_meta_data: base-0 integers, any one separator.
      {{{"map", "0.1"}}, FirstMapText, "0 1 0 1"},
      {{{"map", "0x1:010,2.3"}}, FirstMapText, "1 8 2 3"},
      {{{"map_meta_data", "1:0"}},
       [](const S &s) {
         return Text(s.metadataMaps.at(0).outputFile) + " " + Text(s.metadataMaps.at(0).inputFile);
       },
       "1 0"},

      // Times.
      {{{"t", "10.5"}}, Fields(&S::recordingTime, &S::totalOutputDuration), "10500000 10500"},
      {{{"t", "0"}}, Fields(&S::recordingTime, &S::totalOutputDuration), "9223372036854775807 -1"},
      {{{"t", "-5"}}, Fields(&S::recordingTime, &S::totalOutputDuration), "9223372036854775807 -1"},
      {{{"t", "abc"}}, nullptr, "", "Invalid duration specification for t: abc"},
      {{{"ss", "1:00"}}, Fields(&S::startTime), "60000000"},
      {{{"ss", "1:xx"}}, nullptr, "", "Invalid duration specification for ss: 1:xx"},
      {{{"itsoffset", "-2.5"}}, Fields(&S::inputTsOffset), "-2500000"},
      {{{"timestamp", "1970-01-01 00:00:03.4999Z"}}, Fields(&S::recordingTimestamp), "3"},
      {{{"timestamp", "1970-01-01 00:00:01.5Z"}}, Fields(&S::recordingTimestamp), "2"},
      {{{"timestamp", "1970-01-01 00:00:02.5Z"}}, Fields(&S::recordingTimestamp), "2"},
      {{{"timestamp", "1969-12-31 23:59:58.5Z"}}, Fields(&S::recordingTimestamp), "-2"},
      {{{"timestamp", "yesterday"}},
       nullptr,
       "",
       "Invalid date specification for timestamp: yesterday"},

      // -itsscale: stream:scale for the input opened next (none yet: row 0).
      {{{"itsscale", "1:0.5"}}, [](const S &s) { return Text(s.inputTsScale[0][1]); }, "0.5"},
      {{{"itsscale", "19:2"}}, [](const S &s) { return Text(s.inputTsScale[0][19]); }, "2"},
      {{{"itsscale", "20:2"}}, nullptr, "", "stream index over MAX_STREAMS(20)"},
      {{{"itsscale", "-1:2"}}, nullptr, "", "stream index over MAX_STREAMS(20)"},

      {{{"metadata", "title=a=b"}},
       [](const S &s) { return s.metadata.at(0).first + "|" + s.metadata.at(0).second; },
       "title|a=b"},
      {{{"metadata", "title"}},
       [](const S &s) { return Text(s.metadata.size()); },
       "0",
       "Missing ="},

      {{{"v", "2"}}, Fields(&S::verbose), "2"},

      // -ar and -ac change only for values above 0.
      {{{"ar", "22050"}}, Fields(&S::audioSampleRate), "22050"},
      {{{"ar", "0"}}, Fields(&S::audioSampleRate), "44100"},
      {{{"ar", "-5"}}, Fields(&S::audioSampleRate), "44100"},
      {{{"ac", "1"}}, Fields(&S::audioChannels), "1"},
      {{{"ac", "0"}}, Fields(&S::audioChannels), "2"},

      // -r and -s through the library's parsers.
      {{{"r", "25"}}, Fields(&S::frameRate), "25/1"},
      {{{"r", "ntsc"}}, Fields(&S::frameRate), "30000/1001"},
      {{{"r", ""}}, Fields(&S::frameRate), "0/0"},
      {{{"r", "0"}}, nullptr, "", "Incorrect frame rate"},
      {{{"s", "352x288"}}, Fields(&S::frameWidth, &S::frameHeight), "352 288"},
      {{{"s", "pal"}}, Fields(&S::frameWidth, &S::frameHeight), "720 576"},
      {{{"s", "353x288"}},
       Fields(&S::frameWidth, &S::frameHeight),
       "353 288",
       "Frame size must be a multiple of 2"},
      {{{"s", "big"}}, Fields(&S::frameWidth, &S::frameHeight), "0 0", "Incorrect frame size"},

      // -aspect: w:h with integer sides, or a decimal number; only positive ratios.
      {{{"aspect", "16:9"}}, Fields(&S::frameAspectRatio), "1.77778"},
      {{{"aspect", "1.7777"}}, Fields(&S::frameAspectRatio), "1.7777"},
      {{{"aspect", "16:0"}},
       Fields(&S::frameAspectRatio),
       "0",
       "Incorrect aspect ratio specification."},
      {{{"aspect", "x:3"}}, nullptr, "", "Incorrect aspect ratio specification."},
      {{{"aspect", "wide"}}, nullptr, "", "Incorrect aspect ratio specification."},
      {{{"aspect", "-4:3"}}, nullptr, "", "Incorrect aspect ratio specification."},

      // Pixel and sample formats by name; an unknown name gives none.
      {{{"pix_fmt", "yuv422p"}}, Fields(&S::pixelFormat), "4"},
      {{{"pix_fmt", "rgb24"}, {"pix_fmt", "no_such_format"}}, Fields(&S::pixelFormat), "-1"},
      {{{"sample_fmt", "s16"}}, Fields(&S::sampleFormat), "1"},
      {{{"sample_fmt", "fltp"}}, Fields(&S::sampleFormat), "8"},

      {{{"qscale", "2.5"}}, Fields(&S::videoQScale), "2.5"},
      {{{"qscale", "255"}}, Fields(&S::videoQScale), "255"},
      {{{"qscale", "0"}}, nullptr, "", "qscale must be > 0.0 and <= 255"},
      {{{"qscale", "255.5"}}, nullptr, "", "qscale must be > 0.0 and <= 255"},

      // Crop bands come off the frame size set before them.
      {{{"s", "352x288"}, {"croptop", "10"}}, Fields(&S::cropTop, &S::frameHeight), "10 278"},
      {{{"s", "352x288"}, {"croptop", "10"}, {"croptop", "300"}},
       Fields(&S::cropTop, &S::frameHeight),
       "10 278",
       kVerticalCrop},
      {{{"s", "352x288"}, {"cropbottom", "288"}}, nullptr, "", kVerticalCrop},
      {{{"s", "352x288"}, {"cropleft", "20"}, {"cropright", "32"}},
       Fields(&S::cropLeft, &S::cropRight, &S::frameWidth),
       "20 32 300"},
      {{{"s", "352x288"}, {"cropright", "352"}}, nullptr, "", kHorizontalCrop},
      {{{"s", "352x288"}, {"cropleft", "-2"}}, Fields(&S::cropLeft, &S::frameWidth), "0 352"},
      {{{"croptop", "3"}}, nullptr, "", "Top crop size must be a multiple of 2"},
      {{{"cropbottom", "5"}}, nullptr, "", "Bottom crop size must be a multiple of 2"},
      {{{"cropleft", "7"}}, nullptr, "", "Left crop size must be a multiple of 2"},
      {{{"cropright", "9"}}, nullptr, "", "Right crop size must be a multiple of 2"},

      {{{"padtop", "8"}, {"padbottom", "6"}, {"padleft", "4"}, {"padright", "2"}},
       Fields(&S::padTop, &S::padBottom, &S::padLeft, &S::padRight),
       "8 6 4 2"},
      {{{"padtop", "-2"}}, Fields(&S::padTop), "0"},
      {{{"padtop", "1"}}, nullptr, "", "Top pad size must be a multiple of 2"},
      {{{"padbottom", "1"}}, nullptr, "", "Bottom pad size must be a multiple of 2"},
      {{{"padleft", "1"}}, nullptr, "", "Left pad size must be a multiple of 2"},
      {{{"padright", "1"}}, nullptr, "", "Right pad size must be a multiple of 2"},

      // -padcolor: 0x00BBGGRR to full-range Y, U, V.
      {{{"padcolor", "255"}}, PadColorText, "76 85 255"},
      {{{"padcolor", "16777215"}}, PadColorText, "255 128 128"},
      {{{"padcolor", "16711680"}}, PadColorText, "29 255 107"},

      // Codec names and stream copy.
      {{{"vcodec", "mpeg4"}}, Fields(&S::videoCodecName, &S::videoStreamCopy), "mpeg4 false"},
      {{{"vcodec", "copy"}}, Fields(&S::videoCodecName, &S::videoStreamCopy), "none true"},
      {{{"acodec", "mp2"}}, Fields(&S::audioCodecName, &S::audioStreamCopy), "mp2 false"},
      {{{"acodec", "copy"}}, Fields(&S::audioStreamCopy), "true"},
      {{{"scodec", "dvdsub"}}, Fields(&S::subtitleCodecName), "dvdsub"},
      {{{"scodec", "copy"}}, Fields(&S::subtitleStreamCopy), "true"},

      // Codec tags: four characters, the first in the lowest byte.
      {{{"vtag", "XVID"}}, Fields(&S::videoCodecTag), "1145656920"},
      {{{"atag", "\x01\x02\x03\x04"}}, Fields(&S::audioCodecTag), "67305985"},
      {{{"vtag", ""}}, Fields(&S::videoCodecTag), "0"},
      {{{"vtag", "XVI"}}, nullptr, "", "video tag parameter must be 4 chars"},
      {{{"atag", "abcde"}}, nullptr, "", "audio tag parameter must be 4 chars"},

      {{{"vfilters", "hflip"}, {"vfilters", ""}}, Fields(&S::videoFilters), "hflip"},

      // Matrices: 64 comma-separated numbers; more are ignored.
      {{{"intra_matrix", Numbers(64)}},
       [](const S &s) { return MatrixText(s.intraMatrix); },
       "1..64"},
      {{{"inter_matrix", Numbers(70)}},
       [](const S &s) { return MatrixText(s.interMatrix); },
       "1..64"},
      {{{"intra_matrix", Numbers(63)}},
       [](const S &s) { return MatrixText(s.intraMatrix); },
       "none",
       "Syntax error in matrix \"" + Numbers(63) + "\" at coeff 62"},
      {{{"inter_matrix", "8"}}, nullptr, "", "Syntax error in matrix \"8\" at coeff 0"},

      {{{"pass", "2"}}, Fields(&S::pass), "2"},
      {{{"pass", "3"}}, Fields(&S::pass), "0", "pass number can be only 1 or 2"},

      // Until a hook module can be loaded every hook is refused.
      {{{"vhook", "hook.so -a 1"}},
       Fields(&S::usingFrameHooks),
       "false",
       "Failed to add video hook function: hook.so -a 1"},

      {{{"newvideo", ""}}, nullptr, "", "At least one output file must be specified"},
      {{{"newaudio", ""}}, nullptr, "", "At least one output file must be specified"},
      {{{"newsubtitle", ""}}, nullptr, "", "At least one output file must be specified"},

      // Bitstream filters: checked by name, kept per stream type.
      {{{"vbsf", "h264_mp4toannexb"}, {"vbsf", "dump_extra=freq=keyframe"}},
       [](const S &s) { return ChainText(s.videoBitstreamFilters); },
       "[h264_mp4toannexb|h264_mp4toannexb][dump_extra|dump_extra=freq=keyframe]"},
      {{{"absf", "aac_adtstoasc"}},
       [](const S &
              s) { return ChainText(s.audioBitstreamFilters) + ChainText(s.videoBitstreamFilters); },
       "[aac_adtstoasc|aac_adtstoasc]"},
      {{{"sbsf", "null"}},
       [](const S &s) { return ChainText(s.subtitleBitstreamFilters); },
       "[null|null]"},
      {{{"vbsf", ""}, {"vbsf", "=x"}},
       [](const S &s) { return ChainText(s.videoBitstreamFilters); },
       ""},
      {{{"absf", " no_such_filter =1 "}},
       nullptr,
       "",
       "Unknown bitstream filter no_such_filter =1"},
  };
  return cases;
}

std::string Describe(const OptionList &options) {
  std::string text;
  for (const auto &[name, value] : options) text += "-" + name + " \"" + value + "\" ";
  return text;
}

class OptionParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    engine.OnLog = [this](int level, const std::string &text) { log.emplace_back(level, text); };
  }

  TCustomFFmpeg engine;
  std::vector<std::pair<int, std::string>> log;
};

TEST_F(OptionParserTest, TableOfCases) {
  for (const OptionCase &c : Cases()) {
    SCOPED_TRACE(Describe(c.options));
    TCustomFFmpeg fresh;
    std::string raised;
    for (std::size_t i = 0; i < c.options.size(); ++i) {
      try {
        fresh.SetOption(c.options[i].first, c.options[i].second);
      } catch (const FFmpegException &e) {
        if (i + 1 < c.options.size()) ADD_FAILURE() << "an earlier option raised: " << e.what();
        raised = e.what();
      }
    }
    EXPECT_EQ(raised, c.error);
    if (c.observe) {
      EXPECT_EQ(c.observe(fresh.Options()), c.expected);
    }
  }
}

TEST_F(OptionParserTest, IgnoredOptionsOnlyLog) {
  for (const char *name :
       {"L", "h", "version", "formats", "i", "y", "benchmark", "apre", "vpre", "spre"})
    EXPECT_NO_THROW(engine.SetOption(name, "x"));
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(log[0], std::make_pair(1, std::string("Do nothing: option - L")));
  EXPECT_EQ(log[9], std::make_pair(1, std::string("Do nothing: option - spre")));

  TCustomFFmpeg silent;  // no log receiver connected
  EXPECT_NO_THROW(silent.SetOption("version", ""));
}

TEST_F(OptionParserTest, PgmyuvIsDeprecatedForImage2) {
  engine.SetOption("f", "pgmyuv");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], std::make_pair(1, std::string("pgmyuv format is deprecated, use image2")));
}

TEST_F(OptionParserTest, InputAndOutputFormsOfFormat) {
  engine.SetInputFormat("mpeg");
  engine.SetOutputFormat("avi");
  EXPECT_STREQ(engine.Options().forcedInputFormat->name, "mpeg");
  EXPECT_STREQ(engine.Options().forcedOutputFormat->name, "avi");

  engine.SetInputFormat("");  // nothing happens
  EXPECT_STREQ(engine.Options().forcedInputFormat->name, "mpeg");

  try {
    engine.SetInputFormat("null");  // a muxer only
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Unknown input format: null");
  }
  try {
    engine.SetOutputFormat("no_such_format");
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Unknown output format: no_such_format");
  }
}

TEST_F(OptionParserTest, FormatListsGoToTheLog) {
  engine.SetOption("pix_fmt", "list");
  ASSERT_EQ(log.size(), static_cast<std::size_t>(AV_PIX_FMT_NB) + 1);
  EXPECT_EQ(log[0].second, "name nb_components nb_bits");
  EXPECT_EQ(log[1].second.rfind("yuv420p ", 0), 0u) << log[1].second;
  for (const auto &[level, text] : log) {
    EXPECT_EQ(level, 1);
    EXPECT_FALSE(text.empty() || text.back() == ' ' || text.front() == ' ') << "[" << text << "]";
  }
  EXPECT_EQ(engine.Options().pixelFormat, -1);

  log.clear();
  engine.SetOption("sample_fmt", "list");
  ASSERT_EQ(log.size(), static_cast<std::size_t>(AV_SAMPLE_FMT_NB) + 1);
  EXPECT_EQ(log[0].second, "name   depth");
  EXPECT_EQ(log[2].second, "s16      16");
  EXPECT_EQ(engine.Options().sampleFormat, -1);
}

TEST_F(OptionParserTest, MapTablesRefuseEntriesPastTheirSize) {
  for (int i = 0; i < kMaxStreamMaps; ++i) engine.SetOption("map", "0.0");
  try {
    engine.SetOption("map", "0.1");
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Too many stream maps (at most 400)");
  }
  EXPECT_EQ(engine.Options().streamMaps.size(), 400u);

  for (int i = 0; i < kMaxMetadataMaps; ++i) engine.SetOption("map_meta_data", "0:0");
  try {
    engine.SetOption("map_meta_data", "0:1");
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Too many metadata maps (at most 20)");
  }
  EXPECT_EQ(engine.Options().metadataMaps.size(), 20u);
}

// Stands for an engine with input files already opened.
class EngineWithInputs : public TCustomFFmpeg {
 public:
  explicit EngineWithInputs(int inputs) { inputFileCount_ = inputs; }
};

TEST_F(OptionParserTest, TimestampScaleGoesToTheNextInput) {
  EngineWithInputs three(3);
  three.SetOption("itsscale", "2:1.25");
  EXPECT_EQ(three.Options().inputTsScale[3][2], 1.25);
  EXPECT_EQ(three.Options().inputTsScale[0][2], 0.0);

  EngineWithInputs full(kMaxInputFiles);
  try {
    full.SetOption("itsscale", "0:2");
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Too many input files for -itsscale (at most 20)");
  }
}

TEST_F(OptionParserTest, HookValuesSplitIntoWords) {
  using Words = std::vector<std::string>;
  const std::pair<std::string, Words> cases[] = {
      {"hook.so|-t 1 2|-c red", {"hook.so", "-t 1 2", "-c red"}},
      {"hook.so -t 1 2 -c red", {"hook.so", "-t", "1", "2", "-c", "red"}},
      {"||hook.so|||a b|", {"hook.so", "a b"}},
      {"  hook.so   a  ", {"hook.so", "a"}},
      {"", {}},
  };
  for (const auto &[value, words] : cases)
    EXPECT_EQ(TCustomFFmpeg::SplitHookWords(value), words) << value;
}

// Records what -vhook and -target hand over, and takes every hook.
class RecordingEngine : public TCustomFFmpeg {
 public:
  int AddFrameHook(const std::vector<std::string> &words) override {
    hooks.push_back(words);
    return 0;
  }
  void ApplyTarget(const std::string &target, const std::string &norm,
                   const std::string &defaultNorm) override {
    targets.push_back(target + " " + norm + " " + defaultNorm);
  }
  std::vector<std::vector<std::string>> hooks;
  std::vector<std::string> targets;
};

TEST_F(OptionParserTest, HooksTakeAtMost64Words) {
  RecordingEngine recording;
  recording.SetOption("vhook", "hook.so|-t 1 2|-c red");
  ASSERT_EQ(recording.hooks.size(), 1u);
  EXPECT_EQ(recording.hooks[0], (std::vector<std::string>{"hook.so", "-t 1 2", "-c red"}));
  EXPECT_TRUE(recording.Options().usingFrameHooks);

  std::string value = "hook.so";
  for (int i = 1; i < kMaxHookWords; ++i) value += " a";
  recording.SetOption("vhook", value);  // 64 words
  ASSERT_EQ(recording.hooks.size(), 2u);
  EXPECT_EQ(recording.hooks[1].size(), 64u);

  value += " a";  // 65 words
  try {
    recording.SetOption("vhook", value);
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_EQ(std::string(e.what()), "Failed to add video hook function: " + value);
  }
  EXPECT_EQ(recording.hooks.size(), 2u);
}

TEST_F(OptionParserTest, TargetSplitsOffItsNorm) {
  RecordingEngine recording;
  for (const char *value : {"pal-dvd", "ntsc-vcd", "film-svcd", "dvd", "secam-dvd"})
    recording.SetOption("target", value);
  EXPECT_EQ(recording.targets,
            (std::vector<std::string>{"dvd pal ntsc", "vcd ntsc ntsc", "svcd film ntsc",
                                      "dvd auto ntsc", "secam-dvd auto ntsc"}));
}

TEST_F(OptionParserTest, VstatsFileGoesToTheProgramFolder) {
  engine.SetOption("vstats", "");
  ASSERT_TRUE(engine.Options().vstatsFileName);
  const std::string folder = ProgramFolder() + "/";
  const std::string name = *engine.Options().vstatsFileName;
  ASSERT_EQ(name.rfind(folder, 0), 0u) << name;
  EXPECT_TRUE(std::regex_match(name.substr(folder.size()), std::regex(R"(vstats_\d{6}\.log)")))
      << name;
}

TEST_F(OptionParserTest, ResetRestoresTheDefaults) {
  const OptionList options = {{"vframes", "1"},
                              {"r", "25"},
                              {"s", "352x288"},
                              {"croptop", "10"},
                              {"padcolor", "255"},
                              {"aspect", "4:3"},
                              {"pix_fmt", "rgb24"},
                              {"vcodec", "copy"},
                              {"acodec", "mp2"},
                              {"t", "5"},
                              {"ar", "8000"},
                              {"aq", "4"},
                              {"muxdelay", "2"},
                              {"map", "0.0"},
                              {"map_meta_data", "0:0"},
                              {"metadata", "a=b"},
                              {"itsscale", "0:2"},
                              {"vbsf", "null"},
                              {"intra_matrix", Numbers(64)},
                              {"f", "mpeg"},
                              {"top", "0"},
                              {"vsync", "1"}};
  for (const auto &[name, value] : options) engine.SetOption(name, value);
  ASSERT_FALSE(engine.Options() == S{});
  engine.ResetOptions();
  EXPECT_TRUE(engine.Options() == S{});
}

// The defaults the engine documents for its options.
TEST(OptionDefaults, AreTheDocumentedValues) {
  const S s;
  struct Row {
    const char *option;
    std::string value;
    const char *expected;
  };
  const Row rows[] = {
      {"vframes", Text(s.videoFrames), "2147483647"},
      {"r", Text(s.frameRate), "0/0"},
      {"s", Text(s.frameWidth) + "x" + Text(s.frameHeight), "0x0"},
      {"padcolor", PadColorText(s), "16 128 128"},
      {"aspect", Text(s.frameAspectRatio), "0"},
      {"pix_fmt", Text(s.pixelFormat), "-1"},
      {"t", Text(s.recordingTime), "9223372036854775807"},
      {"ar", Text(s.audioSampleRate), "44100"},
      {"ac", Text(s.audioChannels), "2"},
      {"aq", Text(s.audioQScale), "-99999"},
      {"muxdelay", Text(s.muxMaxDelay), "0.7"},
      {"muxpreload", Text(s.muxPreload), "0.5"},
      {"top", Text(s.topFieldFirst), "-1"},
      {"vsync", Text(s.videoSync), "-1"},
      {"loop_output", Text(s.loopOutput), "-1"},
      {"dc", Text(s.intraDcPrecision), "8"},
      {"vol", Text(s.audioVolume), "256"},
      {"v", Text(s.verbose), "1"},
      {"scaler flags", Text(s.swsFlags), "4"},
      {"bit buffer", Text(s.bitBufferSize), "262144"},
      {"codec threads", Text(s.threadCount), "1"},
      {"total output duration", Text(s.totalOutputDuration), "-1"},
  };
  for (const Row &row : rows) EXPECT_EQ(row.value, row.expected) << row.option;
}

// Every option name is in the table once, and SetOption reaches its row:
// any value either passes or is refused with the engine's exception.
TEST_F(OptionParserTest, TheTableHasEachNameOnceAndEveryRowIsReachable) {
  std::set<std::string_view> names;
  for (const TCustomFFmpeg::TOptionRow &row : TCustomFFmpeg::OptionTable()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
    EXPECT_EQ(TCustomFFmpeg::FindOption(row.name), &row) << row.name;
    TCustomFFmpeg fresh;
    fresh.CreateOptionContexts();
    try {
      fresh.SetOption(std::string(row.name), "2");
    } catch (const FFmpegException &) {
    } catch (const std::exception &e) {
      ADD_FAILURE() << row.name << ": " << e.what();
    }
  }
  EXPECT_EQ(TCustomFFmpeg::FindOption("frobnicate"), nullptr);
  EXPECT_TRUE(TCustomFFmpeg::OptionTakesValue("frobnicate"));
  EXPECT_FALSE(TCustomFFmpeg::OptionTakesValue("an"));
  EXPECT_FALSE(TCustomFFmpeg::OptionTakesValue("newvideo"));
  EXPECT_TRUE(TCustomFFmpeg::OptionTakesValue("threads"));
}

}  // namespace
}  // namespace velmora
