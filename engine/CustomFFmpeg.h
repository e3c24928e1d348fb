#pragma once
// The transcoding engine: one instance per conversion task. It is configured
// like a command line, by option names and text values given in order
// (SetOption); later code opens the inputs and outputs with the resulting
// option state and runs the transcode.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "converter/FFmpegHeaders.h"
#include "engine/OptionState.h"

namespace velmora {

// Releases library contexts through the function slots.
struct CodecContextDeleter {
  void operator()(AVCodecContext *context) const;
};
struct FormatContextDeleter {
  void operator()(AVFormatContext *context) const;
};
struct ScalerContextDeleter {
  void operator()(SwsContext *context) const;
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using ScalerContextPtr = std::unique_ptr<SwsContext, ScalerContextDeleter>;

constexpr int kCodecTemplateCount = 5;  // video, audio, data, subtitle, attachment

class TCustomFFmpeg {
 public:
  // Engine log levels: -1 quiet, 0 error, 1 information, 2 debug, 3 all.
  using TLogReceiver = std::function<void(int level, const std::string &text)>;
  using TLogLevelSetter = std::function<void(int level)>;

  TCustomFFmpeg();
  virtual ~TCustomFFmpeg();
  TCustomFFmpeg(const TCustomFFmpeg &) = delete;
  TCustomFFmpeg &operator=(const TCustomFFmpeg &) = delete;

  // Receives the engine's own messages; empty while nothing is connected.
  TLogReceiver OnLog;
  // Changes the log level on the engine's behalf (the converter keeps its
  // level in step); when empty the library level is set directly.
  TLogLevelSetter OnSetLogLevel;

  // The option dispatcher. Raises FFmpegException when a value is refused;
  // an unknown name goes to the generic path and is dropped when the library
  // does not know it either.
  void SetOption(const std::string &name, const std::string &value);
  // Whether an option is followed by a value on a command line (Boolean
  // options and options that ignore their value are written alone).
  static bool OptionTakesValue(const std::string &name);
  // The library's own option system: sets the value on the templates that
  // have an option of that name. False when no option was found or the value
  // was refused (the latter logged through the library log).
  bool SetGenericOption(const std::string &name, const std::string &value);
  // Copies every generic option set so far from `templ` to `target` (both
  // library objects with options), for options of the target whose flags
  // contain all bits of `flags` (AV_OPT_FLAG_*).
  void ApplyGenericOptions(void *target, void *templ, int flags) const;
  // The input-only and output-only forms of -f; an empty name does nothing.
  void SetInputFormat(const std::string &name);
  void SetOutputFormat(const std::string &name);
  // Restores every default and empties the option tables.
  void ResetOptions();
  // Makes fresh generic option templates (the codec libraries must be
  // loaded) and empties the lists of generic options set.
  void CreateOptionContexts();
  void FreeOptionContexts();

  TOptionState &Options() { return options_; }
  const TOptionState &Options() const { return options_; }

  // The generic option templates; null before CreateOptionContexts.
  // CodecTemplate takes AVMEDIA_TYPE_VIDEO .. AVMEDIA_TYPE_ATTACHMENT.
  AVCodecContext *CodecTemplate(int mediaType) const;
  AVFormatContext *FormatTemplate() const { return formatTemplate_.get(); }
  SwsContext *ScalerTemplate() const { return scalerTemplate_.get(); }
  // Library names of the generic options set successfully, in order.
  const std::vector<std::string> &GenericOptionNames() const { return genericOptionNames_; }
  // Options that only particular muxers or encoders have (name, value); they
  // reach the muxer or encoder when it is opened.
  const TextPairs &PrivateFormatOptions() const { return privateFormatOptions_; }
  const TextPairs &PrivateCodecOptions() const { return privateCodecOptions_; }

  int InputFileCount() const { return inputFileCount_; }
  int OutputFileCount() const { return outputFileCount_; }

  // Splits a -vhook value into words: at each "|" when it has one, otherwise
  // at each space; runs of separators count as one.
  static std::vector<std::string> SplitHookWords(const std::string &value);

  // Disc and camcorder presets (-target): Norm "pal", "ntsc", "film" or
  // anything else for an automatic choice, DefaultNorm when that fails.
  virtual void ApplyTarget(const std::string &target, const std::string &norm,
                           const std::string &defaultNorm);
  // Adds a frame hook (words[0] is the module, at most kMaxHookWords words);
  // 0 on success.
  virtual int AddFrameHook(const std::vector<std::string> &words);
  // Add one stream to an output file.
  void NewVideoStream(AVFormatContext *output);
  void NewAudioStream(AVFormatContext *output);
  void NewSubtitleStream(AVFormatContext *output);

 protected:
  void Log(int level, const std::string &text) const;
  // The output file that -newvideo and its siblings add streams to.
  AVFormatContext *LastOutputFile() const;

  // Opened input and output files so far; maintained by the code that opens
  // them.
  int inputFileCount_ = 0;
  int outputFileCount_ = 0;

 private:
  using TOptionHandler = void (TCustomFFmpeg::*)(const std::string &name, const std::string &value);
  static TOptionHandler FindOptionHandler(std::string_view name);
  bool SetPlainOption(const std::string &name, const std::string &value);
  // "pgmyuv" stands for the image formats with the PGMYUV codec forced.
  std::string TakeFormatName(const std::string &name);

  // Options with their own handling (OptionParser.cpp).
  void OptFormat(const std::string &name, const std::string &value);
  void OptMap(const std::string &name, const std::string &value);
  void OptMapMetadata(const std::string &name, const std::string &value);
  void OptRecordingTime(const std::string &name, const std::string &value);
  void OptStartTime(const std::string &name, const std::string &value);
  void OptInputTsOffset(const std::string &name, const std::string &value);
  void OptTimestamp(const std::string &name, const std::string &value);
  void OptInputTsScale(const std::string &name, const std::string &value);
  void OptMetadata(const std::string &name, const std::string &value);
  void OptVerbose(const std::string &name, const std::string &value);
  void OptAudioRateOrChannels(const std::string &name, const std::string &value);
  void OptTarget(const std::string &name, const std::string &value);
  void OptBitrate(const std::string &name, const std::string &value);
  void OptFrameRate(const std::string &name, const std::string &value);
  void OptFrameSize(const std::string &name, const std::string &value);
  void OptAspect(const std::string &name, const std::string &value);
  void OptPixelFormat(const std::string &name, const std::string &value);
  void OptSampleFormat(const std::string &name, const std::string &value);
  void OptQScale(const std::string &name, const std::string &value);
  void OptCrop(const std::string &name, const std::string &value);
  void OptPad(const std::string &name, const std::string &value);
  void OptPadColor(const std::string &name, const std::string &value);
  void OptCodec(const std::string &name, const std::string &value);
  void OptCodecTag(const std::string &name, const std::string &value);
  void OptVideoFilters(const std::string &name, const std::string &value);
  void OptMatrix(const std::string &name, const std::string &value);
  void OptPass(const std::string &name, const std::string &value);
  void OptVstats(const std::string &name, const std::string &value);
  void OptFrameHook(const std::string &name, const std::string &value);
  void OptNewStream(const std::string &name, const std::string &value);
  void OptBitstreamFilter(const std::string &name, const std::string &value);

  // Generic path helpers (GenericOptions.cpp).
  bool SetPrivateOption(const std::string &name, const std::string &value, bool &refused);
  void RaiseLogLevelForDebug();

  TOptionState options_;

  std::array<CodecContextPtr, kCodecTemplateCount> codecTemplates_;
  FormatContextPtr formatTemplate_;
  ScalerContextPtr scalerTemplate_;
  std::vector<std::string> genericOptionNames_;
  TextPairs privateFormatOptions_;
  TextPairs privateCodecOptions_;
};

}  // namespace velmora
