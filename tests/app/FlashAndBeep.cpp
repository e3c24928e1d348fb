#include "FlashAndBeep.h"

#include <cmath>
#include <cstdio>

#include "libav/FFmpegLoader.h"
#include "libav/LibraryPtr.h"
#include "media/UnicodeProtocol.h"

namespace velmora::test {

namespace {

constexpr double kFlashLength = 0.12;  // three pictures at 25 per second
constexpr double kBeepLength = 0.12;
constexpr double kLoud = 0.2;          // of full scale
constexpr double kQuietBefore = 0.05;  // seconds of quiet before a beep counts
constexpr int kBright = 128;           // average luma of a flash

std::string Seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// The first channel's sample `i` of a decoded audio frame, full scale 1.
double Sample(const AVFrame *frame, int i) {
  const int channels = frame->ch_layout.nb_channels;
  const std::uint8_t *data = frame->data[0];
  switch (frame->format) {
    case AV_SAMPLE_FMT_S16:
      return reinterpret_cast<const std::int16_t *>(data)[i * channels] / 32768.0;
    case AV_SAMPLE_FMT_S16P:
      return reinterpret_cast<const std::int16_t *>(data)[i] / 32768.0;
    case AV_SAMPLE_FMT_S32:
      return reinterpret_cast<const std::int32_t *>(data)[i * channels] / 2147483648.0;
    case AV_SAMPLE_FMT_S32P:
      return reinterpret_cast<const std::int32_t *>(data)[i] / 2147483648.0;
    case AV_SAMPLE_FMT_FLT:
      return reinterpret_cast<const float *>(data)[i * channels];
    case AV_SAMPLE_FMT_FLTP:
      return reinterpret_cast<const float *>(data)[i];
    case AV_SAMPLE_FMT_DBL:
      return reinterpret_cast<const double *>(data)[i * channels];
    case AV_SAMPLE_FMT_DBLP:
      return reinterpret_cast<const double *>(data)[i];
    case AV_SAMPLE_FMT_U8:
      return (data[i * channels] - 128) / 128.0;
    case AV_SAMPLE_FMT_U8P:
      return (data[i] - 128) / 128.0;
    default:
      return 0;
  }
}

double AverageLuma(const AVFrame *frame) {
  double sum = 0;
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) sum += frame->data[0][y * frame->linesize[0] + x];
  return sum / (static_cast<double>(frame->width) * frame->height);
}

struct TDecoder {
  int Stream = -1;
  AVRational TimeBase{1, 1};
  CodecContextPtr Codec;
  double FrameLength = 0;  // of a picture, in seconds
  double Next = 0;         // where a frame without a time stamp starts
};

bool OpenDecoder(AVFormatContext *file, AVMediaType type, TDecoder &decoder) {
  decoder.Stream = ff.av_find_best_stream(file, type, -1, -1, nullptr, 0);
  if (decoder.Stream < 0) return false;
  const AVStream *stream = file->streams[decoder.Stream];
  decoder.TimeBase = stream->time_base;
  const AVCodec *codec = ff.avcodec_find_decoder(stream->codecpar->codec_id);
  decoder.Codec.reset(ff.avcodec_alloc_context3(codec));
  return codec && decoder.Codec &&
         ff.avcodec_parameters_to_context(decoder.Codec.get(), stream->codecpar) >= 0 &&
         ff.avcodec_open2(decoder.Codec.get(), codec, nullptr) >= 0;
}

// Follows the decoded pictures and sound and notes where flashes and beeps start.
class TOnsets {
 public:
  explicit TOnsets(TFlashesAndBeeps &found) : found_(found) {}
  void Picture(const AVFrame *frame, double time) {
    const bool bright = AverageLuma(frame) >= kBright;
    if (bright && !bright_) found_.Flashes.push_back(time);
    bright_ = bright;
  }
  void Sound(const AVFrame *frame, double time) {
    for (int i = 0; i < frame->nb_samples; ++i) {
      const double t = time + static_cast<double>(i) / frame->sample_rate;
      if (std::fabs(Sample(frame, i)) < kLoud) continue;
      if (t - lastLoud_ >= kQuietBefore) found_.Beeps.push_back(t);
      lastLoud_ = t;
    }
  }

 private:
  TFlashesAndBeeps &found_;
  bool bright_ = false;
  double lastLoud_ = -1e9;
};

void Drain(TDecoder &decoder, AVFrame *frame, TOnsets &onsets, bool video, int &errors) {
  for (;;) {
    const int received = ff.avcodec_receive_frame(decoder.Codec.get(), frame);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
    if (received < 0) {
      ++errors;
      return;
    }
    // A frame without a time stamp follows the one before it.
    const std::int64_t pts = frame->best_effort_timestamp;
    const double time = pts != AV_NOPTS_VALUE ? pts * av_q2d(decoder.TimeBase) : decoder.Next;
    if (video) {
      onsets.Picture(frame, time);
      decoder.Next = time + decoder.FrameLength;
    } else {
      onsets.Sound(frame, time);
      decoder.Next = time + static_cast<double>(frame->nb_samples) / frame->sample_rate;
    }
    ff.av_frame_unref(frame);
  }
}

// "between(t,a,b)+..." over the moments, each `length` long.
std::string During(double seconds, double length) {
  std::string terms;
  for (double at : FlashMoments(seconds))
    terms += std::string(terms.empty() ? "" : "+") + "between(t," + Seconds(at) + "," +
             Seconds(at + length) + ")";
  return terms;
}

std::vector<std::string> BeepInput(double seconds, int sampleRate, int channels) {
  const std::string tone = "0.8*sin(2*PI*1000*t)*(" + During(seconds, kBeepLength) + ")";
  std::string expression = tone;
  for (int c = 1; c < channels; ++c) expression += "|" + tone;
  return {
      "-f", "lavfi", "-i",
      "aevalsrc='" + expression + "':s=" + std::to_string(sampleRate) + ":d=" + Seconds(seconds)};
}

}  // namespace

std::vector<double> FlashMoments(double seconds) { return {0.2, seconds - 0.4}; }

std::vector<std::string> BeepArgs(double seconds, int sampleRate, int channels,
                                  const std::vector<std::string> &codecs) {
  std::vector<std::string> args = BeepInput(seconds, sampleRate, channels);
  args.insert(args.end(), codecs.begin(), codecs.end());
  return args;
}

std::vector<std::string> FlashAndBeepArgs(double seconds, const std::string &size, int rate,
                                          int sampleRate, int channels,
                                          const std::vector<std::string> &codecs) {
  std::vector<std::string> args = {
      "-f", "lavfi", "-i",
      "color=c=black:s=" + size + ":r=" + std::to_string(rate) + ":d=" + Seconds(seconds) +
          ",drawbox=c=white:t=fill:enable='" + During(seconds, kFlashLength - 0.001) + "'"};
  const std::vector<std::string> sound = BeepInput(seconds, sampleRate, channels);
  args.insert(args.end(), sound.begin(), sound.end());
  args.insert(args.end(), codecs.begin(), codecs.end());
  return args;
}

TFlashesAndBeeps FindFlashesAndBeeps(const std::string &path) {
  TFlashesAndBeeps found;
  AVFormatContext *raw = nullptr;
  if (OpenInputUrl(&raw, UrlForFileName(path), nullptr, nullptr) < 0) return found;
  const InputContextPtr file(raw);
  if (ff.avformat_find_stream_info(file.get(), nullptr) < 0) return found;
  TDecoder video, audio;
  std::vector<TDecoder *> decoders;
  if (ff.av_find_best_stream(file.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) >= 0) {
    if (!OpenDecoder(file.get(), AVMEDIA_TYPE_VIDEO, video)) return found;
    const AVRational rate = file->streams[video.Stream]->avg_frame_rate;
    found.FrameRate = rate.num > 0 ? av_q2d(rate) : 0;
    video.FrameLength = found.FrameRate > 0 ? 1 / found.FrameRate : 0.04;
    decoders.push_back(&video);
  }
  if (!OpenDecoder(file.get(), AVMEDIA_TYPE_AUDIO, audio)) return found;
  decoders.push_back(&audio);
  found.Opened = true;
  TOnsets onsets(found);
  const PacketPtr packet(ff.av_packet_alloc());
  const FramePtr frame(ff.av_frame_alloc());
  while (ff.av_read_frame(file.get(), packet.get()) >= 0) {
    for (TDecoder *decoder : decoders) {
      if (packet->stream_index != decoder->Stream) continue;
      if (ff.avcodec_send_packet(decoder->Codec.get(), packet.get()) < 0)
        ++found.DecodeErrors;
      else
        Drain(*decoder, frame.get(), onsets, decoder == &video, found.DecodeErrors);
    }
    ff.av_packet_unref(packet.get());
  }
  for (TDecoder *decoder : decoders) {
    ff.avcodec_send_packet(decoder->Codec.get(), nullptr);
    Drain(*decoder, frame.get(), onsets, decoder == &video, found.DecodeErrors);
  }
  return found;
}

}  // namespace velmora::test
