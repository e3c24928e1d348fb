#include "dialogs/LibraryCheck.h"

#include <filesystem>

#include "converter/FFmpegTask.h"
#include "dialogs/EncodeTrial.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

std::string Upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The muxer the encode names: its disc target's or its forced container
// ("" when the file's extension decides).
std::string MuxerName(const TFinalEncode &encode) {
  static const char *const kTargetMuxers[] = {"vcd", "svcd", "dvd"};
  const int target = encode.Options.Target;
  return target >= 1 && target <= 3 ? kTargetMuxers[target - 1] : encode.Options.FileFormat;
}

// The container as the user knows it, with the file's extension: "MP4 (*.mp4)".
std::string ContainerName(const TFinalEncode &encode) {
  std::string name = MuxerName(encode);
  if (name.empty()) name = encode.Extension.substr(1);
  return Upper(name) + " (*" + encode.Extension + ")";
}

// The name of the encoder the container takes when the encode names none.
std::string DefaultCodecName(const TFinalEncode &encode, AVMediaType type) {
  const std::string muxerName = MuxerName(encode);
  const std::string file = "output" + encode.Extension;
  const AVOutputFormat *muxer =
      ff.av_guess_format(muxerName.empty() ? nullptr : muxerName.c_str(), file.c_str(), nullptr);
  if (!muxer) return {};
  return ff.avcodec_get_name(ff.av_guess_codec(muxer, nullptr, file.c_str(), nullptr, type));
}

struct TStreamChoice {
  const char *Kind;   // "视频" or "音频"
  AVMediaType Type;
  std::string Entry;  // the dialog's entry
  std::string Codec;  // the encoder the encode names, or the container's default
  bool Named;         // the encode names its encoder
};

TStreamChoice StreamOf(const char *kind, AVMediaType type, const std::string &entry,
                       const std::string &codec, const TFinalEncode &encode) {
  return {kind, type, entry, codec.empty() ? DefaultCodecName(encode, type) : codec, !codec.empty()};
}

std::string Describe(const TStreamChoice &stream) {
  return std::string(stream.Kind) + "编码器“" + stream.Entry + "”(" + stream.Codec + ")";
}

// Whether the library has the encoder the stream names.
bool HasEncoder(const TStreamChoice &stream) {
  if (!stream.Named) return true;
  TFFmpeg lookUp;
  AVCodecID id;
  return lookUp.FindCodecByName(stream.Codec, stream.Type, true, id);
}

bool LibrariesReady(TForm1 &main) {
  const TForm1::TStateLock lock = main.Lock();
  if (main.SourceConverter.LibrariesLoaded()) return true;
  const std::string folder = (std::filesystem::path(main.ProgramFolderPath()) / "LibAV").string();
  return main.SourceConverter.LoadLibraries(folder);
}

std::string Refusal(const TChosenOutput &chosen) {
  const TFinalEncode &encode = chosen.Encode;
  const TOutputOptions &options = encode.Options;
  const std::string container = ContainerName(encode);
  const bool video = !options.DisableVideo;
  const TStreamChoice videoStream =
      StreamOf("视频", AVMEDIA_TYPE_VIDEO, chosen.VideoEncoderEntry, options.VideoCodec, encode);
  const TStreamChoice audioStream =
      StreamOf("音频", AVMEDIA_TYPE_AUDIO, chosen.AudioEncoderEntry, options.AudioCodec, encode);
  for (const TStreamChoice *stream : {&videoStream, &audioStream})
    if ((stream == &audioStream || video) && !HasEncoder(*stream))
      return "编码库中没有" + Describe(*stream) + "，无法生成 " + container + " 文件，请选择其他" +
             stream->Kind + "编码器。";

  TEncodeTrial trial;
  const TTrialOutcome both = trial.Run(options, encode.Extension);
  if (both.Written) return {};
  // Which stream the container or the encoder refuses.
  TOutputOptions videoOnly = options, audioOnly = options;
  videoOnly.DisableAudio = true;
  audioOnly.DisableVideo = true;
  const bool videoFails = video && !trial.Run(videoOnly, encode.Extension).Written;
  const bool audioFails = !video || !trial.Run(audioOnly, encode.Extension).Written;
  const std::string reason = "\n（编码库：" + both.Error + "）";
  if (!video || videoFails != audioFails) {
    const TStreamChoice &stream = video && videoFails ? videoStream : audioStream;
    return container + " 文件中不能使用" + Describe(stream) + "，请选择其他" + stream.Kind +
           "编码器。" + reason;
  }
  return container + " 文件中不能同时使用" + Describe(videoStream) + "和" + Describe(audioStream) +
         "，请选择其他编码器。" + reason;
}

}  // namespace

TChosenOutputCheck LibraryCheck(TForm1 &mainForm) {
  return [&mainForm](const TChosenOutput &chosen) -> std::string {
    if (!LibrariesReady(mainForm)) return {};
    try {
      return Refusal(chosen);
    } catch (const FFmpegException &) {
      return {};  // no folder for the trial: nothing could be tried
    }
  };
}

}  // namespace velmora
