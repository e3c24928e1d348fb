#include "dialogs/LibraryCheck.h"

#include <filesystem>
#include <optional>

#include "converter/FFmpegTask.h"
#include "dialogs/EncodeTrial.h"
#include "dialogs/FinalEncode.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

std::string Upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

constexpr const char *kTargetNames[] = {"", "vcd", "svcd", "dvd"};

// The container as the user knows it, with the file's extension: "MP4 (*.mp4)".
std::string ContainerName(const TFinalEncode &encode) {
  const int target = encode.Options.Target;
  std::string name = target >= 1 && target <= 3 ? kTargetNames[target] : encode.Options.FileFormat;
  if (name.empty()) name = encode.Extension.substr(1);
  return Upper(name) + " (*" + encode.Extension + ")";
}

// The library's muxer for the encode and its default encoder of a kind.
std::string DefaultCodecName(const TFinalEncode &encode, AVMediaType type) {
  const int target = encode.Options.Target;
  const std::string format =
      target >= 1 && target <= 3 ? kTargetNames[target] : encode.Options.FileFormat;
  const std::string file = "output" + encode.Extension;
  const AVOutputFormat *muxer =
      ff.av_guess_format(format.empty() ? nullptr : format.c_str(), file.c_str(), nullptr);
  if (!muxer) return {};
  return ff.avcodec_get_name(ff.av_guess_codec(muxer, nullptr, file.c_str(), nullptr, type));
}

struct TStreamChoice {
  const char *Kind;     // "视频" or "音频"
  std::string Entry;    // the dialog's entry
  std::string Codec;    // the encoder the encode names, or the container's default
  bool Named;           // the encode names its encoder
};

std::string Describe(const TStreamChoice &stream) {
  return std::string(stream.Kind) + "编码器“" + stream.Entry + "”(" + stream.Codec + ")";
}

// Whether the library has the encoder the stream names.
bool HasEncoder(const TStreamChoice &stream, AVMediaType type) {
  if (!stream.Named) return true;
  TFFmpeg lookUp;
  AVCodecID id;
  return lookUp.FindCodecByName(stream.Codec, type, true, id);
}

bool LibrariesReady(TForm1 &main) {
  const TForm1::TStateLock lock = main.Lock();
  if (main.SourceConverter.LibrariesLoaded()) return true;
  const std::string folder = (std::filesystem::path(main.ProgramFolderPath()) / "LibAV").string();
  return main.SourceConverter.LoadLibraries(folder);
}

std::string Refusal(const TChosenOutput &chosen) {
  const TFinalEncode encode = FinalEncodeOf(chosen);
  const TOutputOptions &options = encode.Options;
  const std::string container = ContainerName(encode);
  const bool video = !options.DisableVideo;
  const TStreamChoice videoStream{"视频", chosen.VideoEncoderEntry,
                                  options.VideoCodec.empty()
                                      ? DefaultCodecName(encode, AVMEDIA_TYPE_VIDEO)
                                      : options.VideoCodec,
                                  !options.VideoCodec.empty()};
  const TStreamChoice audioStream{"音频", chosen.AudioEncoderEntry,
                                  options.AudioCodec.empty()
                                      ? DefaultCodecName(encode, AVMEDIA_TYPE_AUDIO)
                                      : options.AudioCodec,
                                  !options.AudioCodec.empty()};
  for (const auto &[stream, type, used] :
       {std::tuple{&videoStream, AVMEDIA_TYPE_VIDEO, video},
        std::tuple{&audioStream, AVMEDIA_TYPE_AUDIO, true}})
    if (used && !HasEncoder(*stream, type))
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
