#include "DecodedMedia.h"

#include <cmath>
#include <memory>

#include "engine/EngineRecords.h"
#include "libav/FFmpegLoader.h"

namespace velmora::test {

namespace {

double SampleAt(const AVFrame *frame, int channel, int index) {
  const auto format = static_cast<AVSampleFormat>(frame->format);
  const bool planar = ff.av_sample_fmt_is_planar(format) != 0;
  const int channels = frame->ch_layout.nb_channels;
  const std::uint8_t *plane = frame->extended_data[planar ? channel : 0];
  const int i = planar ? index : index * channels + channel;
  switch (ff.av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_S16: return reinterpret_cast<const std::int16_t *>(plane)[i] / 32768.0;
    case AV_SAMPLE_FMT_S32: return reinterpret_cast<const std::int32_t *>(plane)[i] / 2147483648.0;
    case AV_SAMPLE_FMT_FLT: return reinterpret_cast<const float *>(plane)[i];
    case AV_SAMPLE_FMT_DBL: return reinterpret_cast<const double *>(plane)[i];
    case AV_SAMPLE_FMT_U8: return (plane[i] - 128) / 128.0;
    default: return 0;
  }
}

}  // namespace

DecodedMedia Decode(const std::string &file, int pictureIndex) {
  DecodedMedia media;
  AVFormatContext *raw = nullptr;
  if (ff.avformat_open_input(&raw, file.c_str(), nullptr, nullptr) < 0) return media;
  struct Close {
    AVFormatContext *c;
    ~Close() { ff.avformat_close_input(&c); }
  } close{raw};
  ff.avformat_find_stream_info(raw, nullptr);
  media.opened = true;
  media.format = raw->iformat->name;
  std::vector<CodecContextPtr> decoders(raw->nb_streams);
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    const AVStream *stream = raw->streams[i];
    const AVCodecParameters *par = stream->codecpar;
    DecodedStream s;
    s.type = par->codec_type;
    s.codec = ff.avcodec_get_name(par->codec_id);
    s.codecTag = par->codec_tag;
    s.width = par->width;
    s.height = par->height;
    if (stream->avg_frame_rate.num > 0) s.frameRate = av_q2d(stream->avg_frame_rate);
    else if (stream->r_frame_rate.num > 0) s.frameRate = av_q2d(stream->r_frame_rate);
    s.sampleRate = par->sample_rate;
    s.channels = par->ch_layout.nb_channels;
    media.streams.push_back(s);
    if (s.type != AVMEDIA_TYPE_VIDEO && s.type != AVMEDIA_TYPE_AUDIO) continue;
    const AVCodec *codec = ff.avcodec_find_decoder(par->codec_id);
    if (!codec) continue;
    decoders[i].reset(ff.avcodec_alloc_context3(codec));
    ff.avcodec_parameters_to_context(decoders[i].get(), par);
    if (ff.avcodec_open2(decoders[i].get(), codec, nullptr) < 0) decoders[i].reset();
  }
  PacketPtr packet(ff.av_packet_alloc());
  FramePtr frame(ff.av_frame_alloc());
  auto receive = [&](unsigned index) {
    DecodedStream &s = media.streams[index];
    while (ff.avcodec_receive_frame(decoders[index].get(), frame.get()) >= 0) {
      AVFrame *f = frame.get();
      if (s.type == AVMEDIA_TYPE_VIDEO) {
        if (s.frames == pictureIndex) {
          media.pictureWidth = f->width;
          media.pictureHeight = f->height;
          media.rgb.assign(static_cast<std::size_t>(f->width) * f->height * 3, 0);
          ScalerContextPtr scaler(ff.sws_getContext(
              f->width, f->height, static_cast<AVPixelFormat>(f->format), f->width, f->height,
              AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
          std::uint8_t *planes[4] = {media.rgb.data(), nullptr, nullptr, nullptr};
          int lines[4] = {f->width * 3, 0, 0, 0};
          ff.sws_scale(scaler.get(), f->data, f->linesize, 0, f->height, planes, lines);
        }
      } else {
        if (s.sampleRate == 0) s.sampleRate = f->sample_rate;
        for (int n = 0; n < f->nb_samples; ++n)
          for (int c = 0; c < f->ch_layout.nb_channels; ++c) {
            const double v = std::fabs(SampleAt(f, c, n));
            if (v > s.peak) s.peak = v;
            if (v > 0.05 && s.firstLoud < 0)
              s.firstLoud = static_cast<double>(s.samples + n) / f->sample_rate;
          }
        s.samples += f->nb_samples;
      }
      ++s.frames;
      ff.av_frame_unref(f);
    }
  };
  while (ff.av_read_frame(raw, packet.get()) >= 0) {
    const auto index = static_cast<unsigned>(packet->stream_index);
    if (index < decoders.size() && decoders[index] &&
        ff.avcodec_send_packet(decoders[index].get(), packet.get()) >= 0)
      receive(index);
    ff.av_packet_unref(packet.get());
  }
  for (unsigned i = 0; i < decoders.size(); ++i) {
    if (!decoders[i]) continue;
    ff.avcodec_send_packet(decoders[i].get(), nullptr);
    receive(i);
  }
  return media;
}

}  // namespace velmora::test
