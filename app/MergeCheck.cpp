#include "app/MergeCheck.h"

#include <algorithm>
#include <cstdio>

#include "libav/FFmpegHeaders.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

struct TDiscCodecs {
  int Target;
  const char *Video;
  const char *Audio;
};
constexpr TDiscCodecs kDiscCodecs[] = {
    {1, "mpeg1video", "mp2"}, {2, "mpeg2video", "mp2"}, {3, "mpeg2video", "ac3"}};

// Encoder names of the older library that today's library knows by another
// name, with the codec they write.
struct TOldEncoder {
  const char *Name;
  const char *Codec;
};
constexpr TOldEncoder kOldEncoders[] = {{"libfaac", "aac"}, {"libamr_nb", "amr_nb"}};

// The codec an encoder name writes ("" when the library does not know it).
std::string CodecOfEncoder(const std::string &name) {
  if (const AVCodec *encoder = ff.avcodec_find_encoder_by_name(name.c_str()))
    return ff.avcodec_get_name(encoder->id);
  for (const TOldEncoder &old : kOldEncoders)
    if (name == old.Name) return old.Codec;
  return {};
}

// The codec of the named encoder, or the container's default for the type.
std::string ChosenCodec(const std::string &encoder, const AVOutputFormat *format,
                        AVMediaType type) {
  if (!encoder.empty()) return CodecOfEncoder(encoder);
  if (!format) return {};
  const AVCodecID id = type == AVMEDIA_TYPE_VIDEO ? format->video_codec : format->audio_codec;
  return id == AV_CODEC_ID_NONE ? std::string() : ff.avcodec_get_name(id);
}

std::string Seconds(std::int64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(us) / 1e6);
  return text;
}

std::string SizeText(std::int64_t bytes) {
  char text[48];
  if (bytes >= 1024 * 1024)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  else
    std::snprintf(text, sizeof text, "%lld 字节", static_cast<long long>(bytes));
  return text;
}

using F = TMergeCheckFailure;
struct TFailureText {
  F Failure;
  const char *Text;
};
constexpr TFailureText kFailureTexts[] = {
    {F::CannotOpen, "无法打开输出文件"},
    {F::NoVideo, "输出文件没有视频"},
    {F::UnexpectedVideo, "输出文件不应有视频"},
    {F::WrongVideoCodec, "输出文件的视频编码不对"},
    {F::NoAudio, "输出文件没有音频"},
    {F::WrongAudioCodec, "输出文件的音频编码不对"},
    {F::NoPictureAtStart, "输出文件开头的视频无法解码"},
    {F::NoSoundAtStart, "输出文件开头的音频无法解码"},
    {F::NoPictureAtEnd, "输出文件结尾的视频无法解码"},
    {F::NoSoundAtEnd, "输出文件结尾的音频无法解码"},
    {F::TooShort, "输出文件比源文件的总时长短"},
    {F::TooLong, "输出文件比源文件的总时长长"},
};

}  // namespace

TMergeExpectation ExpectedOutput(const TOutputOptions &final, const std::string &path,
                                 const std::vector<TSourceMedia> &sources) {
  TMergeExpectation expected;
  const auto any = [&](bool TSourceMedia::*member) {
    return std::any_of(sources.begin(), sources.end(),
                       [&](const TSourceMedia &s) { return s.*member; });
  };
  expected.video = !final.DisableVideo && any(&TSourceMedia::HasVideo);
  expected.audio = !final.DisableAudio && any(&TSourceMedia::HasAudio);
  for (const TSourceMedia &source : sources)
    expected.sourceDurationsUs.push_back(source.DurationUs);

  for (const TDiscCodecs &disc : kDiscCodecs) {
    if (final.Target != disc.Target) continue;
    expected.videoCodec = disc.Video;
    expected.audioCodec = disc.Audio;
    return expected;
  }
  const AVOutputFormat *format = ff.av_guess_format(
      final.FileFormat.empty() ? nullptr : final.FileFormat.c_str(), path.c_str(), nullptr);
  expected.videoCodec = ChosenCodec(final.VideoCodec, format, AVMEDIA_TYPE_VIDEO);
  expected.audioCodec = ChosenCodec(final.AudioCodec, format, AVMEDIA_TYPE_AUDIO);
  return expected;
}

std::string CheckFailureText(const TMergeCheckReport &report) {
  std::string text = "输出文件检查未通过";
  for (const TFailureText &entry : kFailureTexts)
    if (entry.Failure == report.failure) text = entry.Text;
  switch (report.failure) {
    case F::WrongVideoCodec:
      return text + "（" + report.videoCodec + "）";
    case F::WrongAudioCodec:
      return text + "（" + report.audioCodec + "）";
    case F::TooShort:
    case F::TooLong:
      return text + "（" + Seconds(report.durationUs) + " 秒，应为 " + Seconds(report.expectedUs) +
             " 秒）";
    default:
      return text;
  }
}

std::string CheckPassedText(const std::string &path, const TMergeCheckReport &report) {
  return "合并完成：" + path + "（时长 " + Seconds(report.durationUs) + " 秒，大小 " +
         SizeText(report.sizeBytes) + "）";
}

}  // namespace velmora
