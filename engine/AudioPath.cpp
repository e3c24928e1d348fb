// The audio encoding path. Decoded audio reaches it from the main loop:
// clock correction (-async), conversion of channel count, rate and sample
// format, the FIFO that fills whole encoder frames, and its draining at the
// end.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/CustomFFmpeg.h"
#include "engine/FormatText.h"
#include "engine/RunState.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

// The largest buffer of 16-bit samples one clock correction may build.
constexpr int kMaxSyncBytes = 131072;

// Makes `frame` an audio buffer of at least `samples` samples in the given
// format, reusing its buffer while that is large enough and not shared.
void ReserveAudio(FramePtr &frame, int samples, AVSampleFormat format,
                  const AVChannelLayout &layout, int rate) {
  if (!frame) frame.reset(ff.av_frame_alloc());
  if (!frame) throw FFmpegException("av_malloc fail");
  AVFrame *f = frame.get();
  const bool fits = f->buf[0] && f->format == format && f->nb_samples >= samples &&
                    ff.av_channel_layout_compare(&f->ch_layout, &layout) == 0 &&
                    ff.av_frame_is_writable(f);
  if (!fits) {
    ff.av_frame_unref(f);
    f->format = format;
    f->nb_samples = std::max(samples, 1);
    if (ff.av_channel_layout_copy(&f->ch_layout, &layout) < 0 ||
        ff.av_frame_get_buffer(f, 0) < 0)
      throw FFmpegException("av_malloc fail");
  }
  f->sample_rate = rate;
  f->nb_samples = samples;
}

// Appends samples to a stream's FIFO, which grows as needed; audio that
// does not fit would be lost, so a failed write ends the run.
void WriteFifo(AVAudioFifo *fifo, std::uint8_t *const *data, int samples) {
  void *const *planes = reinterpret_cast<void *const *>(data);
  if (ff.av_audio_fifo_write(fifo, const_cast<void **>(planes), samples) < samples)
    throw FFmpegException("av_fifo_realloc2() failed");
}

// A layout with the same channels that needs no allocation.
AVChannelLayout PlainLayout(const AVChannelLayout &layout) {
  AVChannelLayout plain{};
  if (layout.order == AV_CHANNEL_ORDER_NATIVE || layout.order == AV_CHANNEL_ORDER_UNSPEC)
    plain = layout;
  else
    ff.av_channel_layout_default(&plain, layout.nb_channels);
  if (plain.order == AV_CHANNEL_ORDER_UNSPEC) ff.av_channel_layout_default(&plain, layout.nb_channels);
  return plain;
}

}  // namespace

double TCustomFFmpeg::GetSyncTime(const OutputStreamRecord &output, std::int64_t startTime) const {
  return static_cast<double>(output.sync->pts - startTime) / AV_TIME_BASE;
}

void TCustomFFmpeg::MakeResampler(OutputStreamRecord &output, int inRate, AVSampleFormat inFormat,
                                  const AVChannelLayout &inLayout) {
  AVCodecContext *enc = output.config->codec.get();
  // Samples still held by the old resampler belong to the old parameters.
  if (output.resampler && output.convertedAudio) {
    const int pending = ff.swr_get_out_samples(output.resampler.get(), 0);
    if (pending > 0) {
      ReserveAudio(output.convertedAudio, pending, enc->sample_fmt, enc->ch_layout, enc->sample_rate);
      const int got = ff.swr_convert(output.resampler.get(), output.convertedAudio->data, pending,
                                     nullptr, 0);
      if (got > 0) WriteFifo(output.fifo.get(), output.convertedAudio->data, got);
    }
  }
  output.resampler.reset();
  SwrContext *context = nullptr;
  AVChannelLayout input = inLayout;
  const int result = ff.swr_alloc_set_opts2(&context, &enc->ch_layout, enc->sample_fmt,
                                            enc->sample_rate, &input, inFormat, inRate, 0,
                                            nullptr);
  output.resampler.reset(context);
  auto failed = [&] {
    output.resampler.reset();
    return FFmpegException(Format("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                                  inLayout.nb_channels, inRate, enc->ch_layout.nb_channels,
                                  enc->sample_rate));
  };
  if (result < 0 || !context) throw failed();
  // The quality of a windowed-sinc filter of 16 taps with 1024 phases and
  // a cut-off at 0.8 of the lower Nyquist frequency.
  ff.av_opt_set_int(context, "filter_size", 16, 0);
  ff.av_opt_set_int(context, "phase_shift", 10, 0);
  ff.av_opt_set_int(context, "linear_interp", 0, 0);
  ff.av_opt_set_double(context, "cutoff", 0.8, 0);
  // A single channel goes to every output channel at its full level, and
  // several channels mix down to one as their average.
  const int inChannels = inLayout.nb_channels;
  const int outChannels = enc->ch_layout.nb_channels;
  if (inChannels != outChannels && (inChannels == 1 || outChannels == 1)) {
    std::vector<double> matrix(static_cast<std::size_t>(inChannels) * outChannels,
                               outChannels == 1 ? 1.0 / inChannels : 1.0);
    ff.swr_set_matrix(context, matrix.data(), inChannels);
  }
  if (ff.swr_init(context) < 0) throw failed();
  output.resamplerRate = inRate;
  output.resamplerFormat = inFormat;
  output.resamplerLayout = PlainLayout(inLayout);
}

// Converts `samples` input samples (when needed) and appends them to the
// stream's FIFO.
void TCustomFFmpeg::PushAudio(OutputStreamRecord &output, const std::uint8_t *const *data,
                              int samples, int inRate, AVSampleFormat inFormat,
                              const AVChannelLayout &inLayout) {
  AVCodecContext *enc = output.config->codec.get();
  const bool same = inRate == enc->sample_rate && inFormat == enc->sample_fmt &&
                    ff.av_channel_layout_compare(&inLayout, &enc->ch_layout) == 0;
  if (same && !output.audioResample && !output.resampler) {
    WriteFifo(output.fifo.get(), const_cast<std::uint8_t *const *>(data), samples);
    return;
  }
  const AVChannelLayout plain = PlainLayout(inLayout);
  if (!output.resampler || output.resamplerRate != inRate || output.resamplerFormat != inFormat ||
      ff.av_channel_layout_compare(&output.resamplerLayout, &plain) != 0) {
    if (!output.resampler && inFormat != AV_SAMPLE_FMT_S16 && options_.verbose > 0 &&
        output.audioResample)
      Log(1, "Warning, using s16 intermediate sample format for resampling");
    MakeResampler(output, inRate, inFormat, plain);
  }
  const int capacity = ff.swr_get_out_samples(output.resampler.get(), samples);
  ReserveAudio(output.convertedAudio, std::max(capacity, 1), enc->sample_fmt, enc->ch_layout,
               enc->sample_rate);
  const int got = ff.swr_convert(output.resampler.get(), output.convertedAudio->data, capacity,
                                 const_cast<const std::uint8_t **>(data), samples);
  if (got < 0) {
    if (options_.exitOnError) throw FFmpegException("av_audio_convert() failed");
    Log(0, "av_audio_convert() failed");
    return;
  }
  if (got > 0) WriteFifo(output.fifo.get(), output.convertedAudio->data, got);
}

// Encodes whole encoder frames from the FIFO; with `last`, also what is
// left when the encoder takes a short last frame.
void TCustomFFmpeg::EncodeAudioFrames(OutputStreamRecord &output, bool last) {
  AVCodecContext *enc = output.config->codec.get();
  AVAudioFifo *fifo = output.fifo.get();
  const bool variable = enc->frame_size <= 1 ||
                        (enc->codec && (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
  const bool shortLast =
      enc->codec && (enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  for (;;) {
    int available = ff.av_audio_fifo_size(fifo);
    int samples = 0;
    if (variable)
      samples = std::min(available, enc->frame_size > 1 ? enc->frame_size : 65536);
    else if (available >= enc->frame_size)
      samples = enc->frame_size;
    else if (last && shortLast)
      samples = available;
    else if (last && available > 0) {
      // An encoder that takes whole frames only gets the rest padded with
      // silence rather than losing it.
      const int missing = enc->frame_size - available;
      ReserveAudio(output.silence, missing, enc->sample_fmt, enc->ch_layout, enc->sample_rate);
      ff.av_samples_set_silence(output.silence->extended_data, 0, missing,
                                enc->ch_layout.nb_channels, enc->sample_fmt);
      WriteFifo(fifo, output.silence->extended_data, missing);
      samples = enc->frame_size;
    }
    if (samples <= 0) return;
    ReserveAudio(output.audioFrame, samples, enc->sample_fmt, enc->ch_layout, enc->sample_rate);
    AVFrame *frame = output.audioFrame.get();
    if (ff.av_audio_fifo_read(fifo, reinterpret_cast<void **>(frame->data), samples) < samples)
      throw FFmpegException("Audio encoding failed");
    frame->pts = output.syncPts;
    if (ff.avcodec_send_frame(enc, frame) < 0) throw FFmpegException("Audio encoding failed");
    output.syncPts += samples;
    ++output.frameNumber;
    WriteEncodedPackets(output, false);
  }
}

void TCustomFFmpeg::EncodeAudio(OutputStreamRecord &output, InputStreamRecord &source,
                                AVFrame *frame) {
  AVCodecContext *enc = output.config->codec.get();
  const int encRate = enc->sample_rate;
  const int decRate = frame->sample_rate > 0 ? frame->sample_rate : encRate;
  const int decChannels = std::max(1, frame->ch_layout.nb_channels);
  const auto decFormat = static_cast<AVSampleFormat>(frame->format);
  if (enc->ch_layout.nb_channels != decChannels) output.audioResample = true;

  const std::uint8_t *const *data = frame->extended_data;
  int samples = frame->nb_samples;
  const int bytesPerSample = ff.av_get_bytes_per_sample(decFormat);
  const bool planar = ff.av_sample_fmt_is_planar(decFormat) != 0;
  std::vector<const std::uint8_t *> moved;

  // Samples taken in but not encoded yet: those in the FIFO and those the
  // resampler still holds back (its filter delay). Left out, the output's
  // time stamps would run ahead of its samples by that delay.
  double bufferedSamples = ff.av_audio_fifo_size(output.fifo.get());
  if (output.resampler)
    bufferedSamples += static_cast<double>(ff.swr_get_delay(output.resampler.get(), encRate));
  if (options_.audioSync) {
    const double delta = GetSyncTime(output, options_.startTime) * encRate -
                         static_cast<double>(output.syncPts) - bufferedSamples;
    // The correction is counted in input samples, as 16-bit bytes.
    const double inputDelta = delta * decRate / encRate;
    // 64 bits: a gap of hours is counted in billions of bytes.
    const std::int64_t byteDelta = static_cast<std::int64_t>(inputDelta) * 2 * decChannels;
    if (std::fabs(delta) > 50) {
      if (source.isStart || std::fabs(delta) > options_.audioDriftThreshold * encRate) {
        if (byteDelta < 0) {
          const int drop =
              static_cast<int>(std::min<std::int64_t>(-byteDelta / (2 * decChannels), samples));
          if (options_.verbose > 2)
            Log(1, Format("discarding %d audio samples", static_cast<int>(-delta)));
          samples -= drop;
          if (samples <= 0) return;
          const int planes = planar ? decChannels : 1;
          const int step = planar ? bytesPerSample : bytesPerSample * decChannels;
          moved.resize(static_cast<std::size_t>(planes));
          for (int p = 0; p < planes; ++p)
            moved[p] = data[p] + static_cast<std::ptrdiff_t>(drop) * step;
          data = moved.data();
          source.isStart = false;
        } else {
          // The silence goes in before the frame's samples, in steps of at
          // most one sync buffer each, until the output clock meets the
          // input clock.
          const int step = std::max(1, kMaxSyncBytes / (2 * decChannels) - samples);
          std::int64_t silent = byteDelta / (2 * decChannels);
          while (silent > 0 && !runControl_.StopRequested()) {
            const int count = static_cast<int>(std::min<std::int64_t>(silent, step));
            ReserveAudio(output.silence, count, decFormat, PlainLayout(frame->ch_layout), decRate);
            ff.av_samples_set_silence(output.silence->extended_data, 0, count, decChannels,
                                      decFormat);
            PushAudio(output, output.silence->extended_data, count, decRate, decFormat,
                      frame->ch_layout);
            silent -= count;
          }
          source.isStart = false;
          if (options_.verbose > 2)
            Log(1, Format("adding %d audio samples of silence", static_cast<int>(delta)));
        }
      } else if (options_.audioSync > 1 && output.resampler) {
        const int comp =
            std::clamp(static_cast<int>(delta), -options_.audioSync, options_.audioSync);
        if (options_.verbose > 2)
          Log(1, Format("compensating audio timestamp drift:%f compensation:%d in:%d", delta,
                        comp, encRate));
        ff.swr_set_compensation(output.resampler.get(), comp, encRate);
      }
    }
  } else {
    output.syncPts =
        std::llrint(GetSyncTime(output, options_.startTime) * encRate) -
        static_cast<std::int64_t>(bufferedSamples);
  }

  PushAudio(output, data, samples, decRate, decFormat, frame->ch_layout);
  EncodeAudioFrames(output, false);
}

void TCustomFFmpeg::FlushAudioBuffer(OutputStreamRecord &output) {
  if (!output.fifo) return;
  AVCodecContext *enc = output.config->codec.get();
  // What the resampler still holds comes out first.
  if (output.resampler) {
    const int pending = ff.swr_get_out_samples(output.resampler.get(), 0);
    if (pending > 0) {
      ReserveAudio(output.convertedAudio, pending, enc->sample_fmt, enc->ch_layout,
                   enc->sample_rate);
      const int got =
          ff.swr_convert(output.resampler.get(), output.convertedAudio->data, pending, nullptr, 0);
      if (got > 0) WriteFifo(output.fifo.get(), output.convertedAudio->data, got);
    }
  }
  EncodeAudioFrames(output, true);
  ff.av_audio_fifo_reset(output.fifo.get());
}

}  // namespace velmora
