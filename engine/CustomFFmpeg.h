#pragma once
// The transcoding engine: one instance per conversion task. It is configured
// like a command line, by option names and text values given in order
// (SetOption); later code opens the inputs and outputs with the resulting
// option state and runs the transcode.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineRecords.h"
#include "engine/FrameHooks.h"
#include "engine/OptionState.h"
#include "engine/RunControl.h"
#include "libav/Bitmap.h"
#include "libav/ConvertTypes.h"
#include "libav/FFmpegHeaders.h"

namespace velmora {

constexpr int kCodecTemplateCount = 5;  // video, audio, data, subtitle, attachment

struct TFrameHookState;  // engine/FrameHookState.h

class TCustomFFmpeg {
 public:
  // Engine log levels: -1 quiet, 0 error, 1 information, 2 debug, 3 all.
  using TLogReceiver = std::function<void(int level, const std::string &text)>;
  using TLogLevelSetter = std::function<void(int level)>;
  using TProgressReceiver =
      std::function<void(int frameNumber, int fps, int currentDurationMs, float quality,
                         float bitRateKbps, std::int64_t currentSize, int totalOutputDurationMs)>;

  TCustomFFmpeg();
  virtual ~TCustomFFmpeg();
  TCustomFFmpeg(const TCustomFFmpeg &) = delete;
  TCustomFFmpeg &operator=(const TCustomFFmpeg &) = delete;

  // Receives the engine's own messages; empty while nothing is connected.
  TLogReceiver OnLog;
  // Changes the log level on the engine's behalf (the converter keeps its
  // level in step); when empty the library level is set directly.
  TLogLevelSetter OnSetLogLevel;
  // Receives the progress of a run (frame number, frames per second and
  // quality are -1 when the output has no video stream).
  TProgressReceiver OnProgress;

  // Wall-clock time between two progress reports, in microseconds.
  std::int64_t ProgressInterval = 500000;
  // Threads of the run's decoders and encoders where the codec can use them;
  // 0 keeps the one thread of the option state (the -threads option stays
  // refused). Set from outside the option table, by a merge started from the
  // command line.
  int CodecThreads = 0;
  // Previews switched on: bit 0 the preview window, bit 1 the preview bitmap.
  // Changed under PreviewLock() while a task may run.
  int PreviewFlags = 0;
  // A custom frame hook receiver is connected.
  bool CustomHookInstalled = false;

  // ---- frame hooks and previews (engine/FrameHookStage.cpp, FrameHookPreview.cpp) ----
  // Decides per picture whether the -vhook plug-ins run: gets the action the
  // previous picture left (haContinue at first) and may change it.
  using TBeforeHookReceiver = std::function<void(THookAction &action, std::int64_t pts)>;
  // Gets each decoded picture as a bitmap while CustomHookInstalled; the
  // bitmap is written back when `update` stays true; `stop` ends all hooking
  // for the rest of the run.
  using TCustomHookReceiver = std::function<void(TBitmap &bitmap, bool &stop, bool &update,
                                                 std::int64_t pts, int frameNumber)>;
  // Gets encoded pictures as bitmaps while bit 1 of PreviewFlags is set.
  using TPreviewBitmapReceiver =
      std::function<void(const TBitmap &bitmap, int frameNumber, std::int64_t pts)>;
  TBeforeHookReceiver OnBeforeHook;
  TCustomHookReceiver OnCustomHook;
  TPreviewBitmapReceiver OnPreviewBitmapReceiver;

  // Time ranges (microseconds) outside which the plug-ins do not run; kept
  // sorted by ascending end. Ignored while a before-hook receiver is set.
  void SetHookRanges(std::vector<HookRange> ranges);
  const std::vector<HookRange> &HookRanges() const;
  THookAction HookAction() const;
  // Process of every plug-in added, in order, on the picture (in place).
  void RunFrameHooks(AVFrame *picture, int pixelFormat, int width, int height, std::int64_t pts);
  // Release of every plug-in, then the list is emptied; resets the hook and
  // preview state of the run.
  void ReleaseFrameHooks();
  // The per-picture decision: true when the plug-ins apply to this picture.
  bool FrameHooksApply(std::int64_t pts);
  // The custom hook on `picture` (writable, its own format and size).
  void RunCustomHook(AVFrame *picture, std::int64_t pts, int frameNumber);
  // The whole hook stage of one decoded picture: the custom hook when
  // installed, otherwise the plug-ins when they apply. Makes the picture
  // writable before changing it.
  void HookPicture(AVFrame *picture, std::int64_t pts, int frameNumber);
  // The preview of one encoded picture (pts in the encoder's time base),
  // throttled to one per 100 ms, under the preview lock.
  void PreviewPicture(const AVFrame *picture, const AVCodecContext *encoder, int frameNumber);

 private:
  struct FrameHookStateDeleter {
    void operator()(TFrameHookState *state) const;
  };
  std::unique_ptr<TFrameHookState, FrameHookStateDeleter> hookState_;
  TFrameHookState &HookState();

 public:
  // ---- end of frame hooks and previews ----

  // Opens one input with the current option state. False (with LastError
  // set) when it cannot be opened; nothing of it is kept then.
  bool OpenInputFile(const std::string &fileName);
  // Creates one output and its streams from the current option state. With
  // `join` and more than one input, the output is fed by all inputs in turn.
  // Returns the number of outputs now open, or -1 with LastError set.
  int OpenOutputFile(const std::string &fileName, bool join);
  const std::string &LastError() const { return lastError_; }

  // Set-up, main loop, trailers and the last report. Raises FFmpegException
  // on a fatal error.
  void Transcode();
  // True after a run that ended without a stop request.
  bool Finished() const { return finished_; }
  // Closes the encoders and decoders a run left open (after a failure).
  void CloseOpenedCodecs();
  // Closes the outputs (deleting those that stayed empty) and the inputs and
  // releases everything the engine holds, options included.
  void ClearEngine();

  TRunControl &RunControl() { return runControl_; }

  // Total output duration in milliseconds, -1 while unknown.
  int TotalOutputDuration() const { return options_.totalOutputDuration; }
  AVFormatContext *InputContext(int index) const;
  // Whether the automatic stream choice may take `stream` for an output
  // stream that decodes it or copies it (`copy`): the probe must have
  // described it (a decoder, or at least a codec, for it; channels and a
  // sample rate for audio; a picture size for video). Damage can make the
  // demuxer announce streams it cannot describe. An explicit -map takes
  // any stream.
  static bool AutomaticChoiceTakes(const AVStream *stream, const AVCodec *forcedDecoder,
                                   bool copy);
  bool JoinMode() const { return joinMode_; }

  // Looks an encoder (or decoder) up by name, trying the present-day name of
  // a codec the older library called otherwise. No name: success with
  // AV_CODEC_ID_NONE. A failure sets LastError and returns false.
  bool FindCodecByName(const std::optional<std::string> &name, AVMediaType type, bool encoder,
                       AVCodecID &id, const AVCodec **codec = nullptr);

  // The option dispatcher. Raises FFmpegException when a value is refused;
  // an unknown name goes to the generic path and is dropped when the library
  // does not know it either.
  void SetOption(const std::string &name, const std::string &value);
  // Whether an option is followed by a value on a command line (Boolean
  // options and options that ignore their value are written alone).
  static bool OptionTakesValue(const std::string &name);
  // The option table: one row per option name the engine knows
  // (engine/OptionTable.h), and the row of a name or null.
  struct TOptionRow;
  using TOptionHandler = void (TCustomFFmpeg::*)(const TOptionRow &row, const std::string &value);
  static std::span<const TOptionRow> OptionTable();
  static const TOptionRow *FindOption(std::string_view name);
  // Whether a name is the engine's or the library's option at all (the
  // generic templates must exist: CreateOptionContexts).
  bool KnowsOption(const std::string &name) const;
  // The library's own option system: sets the value on the templates that
  // have an option of that name. False when no option was found or the value
  // was refused (the latter logged through the library log).
  bool SetGenericOption(const std::string &name, const std::string &value);
  // Copies every generic option set so far from `templ` to `target` (both
  // library objects with options), for options of the target whose flags
  // contain all bits of `flags` (AV_OPT_FLAG_*).
  void ApplyGenericOptions(void *target, void *templ, int flags) const;
  // Whether a generic option (by its library name) is meant for streams of
  // `type`: some names meant fewer media types in the older library
  // generation than today's library gives them.
  static bool GenericOptionMeantFor(std::string_view name, AVMediaType type);
  // Gives `codec` the defaults `encoder` declares for itself where they
  // differ from the library's generic ones, except for what the user set as
  // a generic option, what the engine already changed, and the thread count
  // (one codec thread per engine).
  void ApplyEncoderDefaults(AVCodecContext *codec, const AVCodec *encoder) const;
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

  // The audio and video paths: decoded audio or a decoded picture of
  // `source` for the re-encoded output stream `output`.
  virtual void EncodeAudio(OutputStreamRecord &output, InputStreamRecord &source, AVFrame *frame);
  virtual void EncodeVideo(OutputStreamRecord &output, InputStreamRecord &source, AVFrame *frame);
  // Builds the video filter graph of a re-encoded stream; false with
  // LastError set when it cannot be built.
  virtual bool ConfigureFilters(OutputStreamRecord &output, InputStreamRecord &source);
  // Hands what the audio path still buffers for `output` to its encoder
  // at the end of the input.
  virtual void FlushAudioBuffer(OutputStreamRecord &output);
  // Every decoded picture, once, before any output stream sees it:
  // deinterlacing (-deinterlace), then the picture hooks.
  void PreprocessVideoFrame(InputStreamRecord &source, AVFrame *frame);
  // Seconds of input the output stream should have reached: the clock of
  // its sync stream less `startTime` (microseconds).
  double GetSyncTime(const OutputStreamRecord &output, std::int64_t startTime) const;
  // One line of the -vstats file for the packet just written.
  void WriteVideoStats(OutputStreamRecord &output, int frameSize);

  // Receives every packet the encoder of `output` has ready (all of them,
  // up to its end, when `draining`) and writes them. Returns the bytes written.
  std::int64_t WriteEncodedPackets(OutputStreamRecord &output, bool draining);
  // Bitstream filters, then the muxer.
  void WritePacket(OutputStreamRecord &output, AVPacket *packet);

  // Opened input and output files so far; maintained by the code that opens
  // them. In join mode the output list repeats the one output once per input.
  int inputFileCount_ = 0;
  int outputFileCount_ = 0;

  // Counters of the run, shown by the reports.
  std::int64_t videoBytes_ = 0;
  std::int64_t audioBytes_ = 0;
  std::int64_t globalHeaderBytes_ = 0;
  int duplicatedFrames_ = 0;
  int droppedFrames_ = 0;
  int decodedPictures_ = 0;  // pictures pre-processed since the engine was reset

 private:
  // "pgmyuv" stands for the image formats with the PGMYUV codec forced.
  std::string TakeFormatName(const std::string &name);

  // Options with their own handling (OptionParser.cpp).
  void OptFormat(const TOptionRow &row, const std::string &value);
  void OptMap(const TOptionRow &row, const std::string &value);
  void OptMapMetadata(const TOptionRow &row, const std::string &value);
  void OptRecordingTime(const TOptionRow &row, const std::string &value);
  void OptStartTime(const TOptionRow &row, const std::string &value);
  void OptInputTsOffset(const TOptionRow &row, const std::string &value);
  void OptTimestamp(const TOptionRow &row, const std::string &value);
  void OptInputTsScale(const TOptionRow &row, const std::string &value);
  void OptMetadata(const TOptionRow &row, const std::string &value);
  void OptChapter(const TOptionRow &row, const std::string &value);
  void OptVerbose(const TOptionRow &row, const std::string &value);
  void OptAudioRateOrChannels(const TOptionRow &row, const std::string &value);
  void OptTarget(const TOptionRow &row, const std::string &value);
  void OptBitrate(const TOptionRow &row, const std::string &value);
  void OptFrameRate(const TOptionRow &row, const std::string &value);
  void OptFrameSize(const TOptionRow &row, const std::string &value);
  void OptAspect(const TOptionRow &row, const std::string &value);
  void OptPixelFormat(const TOptionRow &row, const std::string &value);
  void OptSampleFormat(const TOptionRow &row, const std::string &value);
  void OptQScale(const TOptionRow &row, const std::string &value);
  void OptCrop(const TOptionRow &row, const std::string &value);
  void OptPad(const TOptionRow &row, const std::string &value);
  void OptPadColor(const TOptionRow &row, const std::string &value);
  void OptCodec(const TOptionRow &row, const std::string &value);
  void OptCodecTag(const TOptionRow &row, const std::string &value);
  void OptVideoFilters(const TOptionRow &row, const std::string &value);
  void OptMatrix(const TOptionRow &row, const std::string &value);
  void OptPass(const TOptionRow &row, const std::string &value);
  void OptVstats(const TOptionRow &row, const std::string &value);
  void OptFrameHook(const TOptionRow &row, const std::string &value);
  void OptNewStream(const TOptionRow &row, const std::string &value);
  void OptBitstreamFilter(const TOptionRow &row, const std::string &value);

  // Generic path helpers (GenericOptions.cpp).
  bool SetPrivateOption(const std::string &name, const std::string &value, bool &refused);
  void RaiseLogLevelForDebug();

  // Inputs (InputFiles.cpp).
  void ResetAfterInput();
  void WriteBackVideoOptions(int streamIndex, const AVStream *stream, AVCodecContext *decoder);
  void WriteBackAudioOptions(AVCodecContext *decoder);

  // Outputs (OutputFiles.cpp).
  void ChooseOutputStreams(const AVOutputFormat *format, bool join, bool &video, bool &audio,
                           bool &subtitle) const;
  OutputStreamConfig &NewStream(AVFormatContext *output, AVMediaType type,
                              std::vector<BitstreamFilterEntry> &pendingFilters,
                              std::optional<std::string> &codecName);
  OutputEntry *EntryOf(const AVFormatContext *context) const;
  bool IsSourceFile(const std::string &fileName) const;

  // Set-up and loop (TranscodeSetup.cpp, TranscodeLoop.cpp).
  struct RunState;
  void RunTranscode();
  void SetUp(RunState &run);
  void BuildInputTables(RunState &run);
  void MapStreams(RunState &run);
  bool PreviewSwitchedOn() const;
  void PrepareStreamCopy(OutputStreamRecord &output, InputStreamRecord &source);
  void PrepareEncoding(RunState &run, OutputStreamRecord &output, InputStreamRecord &source,
                       int recordNumber);
  void PrepareBitstreamFilters(OutputStreamRecord &output);
  void OpenCodecs(RunState &run);
  void OpenDecoder(InputStreamRecord &input);
  void CopyMetadata();
  void WriteHeaders(RunState &run);
  void RunMainLoop(RunState &run);
  void FinishRun(RunState &run);
  void CloseRunCodecs(RunState &run);
  int DecodePacket(RunState &run, InputStreamRecord &source, const AVPacket *packet);
  void CopyPacket(RunState &run, OutputStreamRecord &output, InputStreamRecord &source,
                  const AVPacket *packet);
  void HandFrame(RunState &run, InputStreamRecord &source, AVFrame *frame);
  void DrainEncoders(RunState &run, InputStreamRecord &source);
  void EncodeSubtitle(RunState &run, OutputStreamRecord &output, InputStreamRecord &source,
                      AVSubtitle &subtitle, std::int64_t pts);
  void HandOverSegment(RunState &run, int segment);
  bool CorrectDiscontinuity(InputStreamRecord &source, AVPacket *packet);
  double OutputClock(const OutputStreamRecord &output) const;
  void PrintReport(RunState &run, bool isLast);
  void CloseOutputs();
  void CloseInputs();
  static int InterruptCallback(void *opaque);

  TOptionState options_;

  std::vector<std::unique_ptr<InputEntry>> inputs_;
  std::vector<std::unique_ptr<OutputEntry>> outputs_;  // each file once
  std::vector<OutputEntry *> outputList_;  // in join mode one entry per input
  int inputStreamTotal_ = 0;   // streams of all inputs (forced-decoder slots)
  int outputStreamTotal_ = 0;  // streams created (forced-encoder slots)
  bool joinMode_ = false;
  bool filtersInUse_ = false;
  std::string lastError_;

  TRunControl runControl_;
  // While false, the I/O interrupt callback lets blocking calls finish even
  // after a stop request (the trailers must still be written).
  std::atomic<bool> interruptIo_{false};
  bool finished_ = false;
  std::int64_t runStartTime_ = 0;
  std::array<int, 52> qpHistogram_{};
  std::vector<std::uint8_t> subtitleBuffer_;
  StdioFilePtr videoStatsFile_;
  FramePtr deinterlaceFrame_;
  AVFrame *ConformPicture(OutputStreamRecord &output, AVFrame *frame);
  // The video path of one picture once its frame rate is decided.
  void EncodePicture(OutputStreamRecord &output, InputStreamRecord &source, AVFrame *frame);
  void PushAudio(OutputStreamRecord &output, const std::uint8_t *const *data, int samples,
                 int inRate, AVSampleFormat inFormat, const AVChannelLayout &inLayout);
  void EncodeAudioFrames(OutputStreamRecord &output, bool last);
  void MakeResampler(OutputStreamRecord &output, int inRate, AVSampleFormat inFormat,
                     const AVChannelLayout &inLayout);
  void AdaptEncoderParameters(OutputStreamRecord &output);
  // `tag` when the container can store it for codec `id`, else 0 (logged).
  std::uint32_t StorableTag(const AVOutputFormat *format, AVCodecID id, std::uint32_t tag) const;
  std::unique_ptr<RunState> run_;
  // The encoder and decoder contexts opened by the current run.
  std::vector<CodecContextPtr *> openedEncoders_;
  std::vector<CodecContextPtr *> openedDecoders_;

  std::array<CodecContextPtr, kCodecTemplateCount> codecTemplates_;
  FormatContextPtr formatTemplate_;
  ScalerContextPtr scalerTemplate_;
  std::vector<std::string> genericOptionNames_;
  TextPairs privateFormatOptions_;
  TextPairs privateCodecOptions_;
};

}  // namespace velmora
