// The audio and video encoding paths. Decoded frames reach them from the
// main loop. Audio: clock correction (-async), conversion of channel count,
// rate and sample format, the FIFO that fills whole encoder frames. Video:
// frame-rate synchronisation (-vsync), crop, scale, pad or the -vfilters
// graph, encoding, per-frame statistics.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "converter/FFmpegLoader.h"
#include "engine/FormatText.h"
#include "engine/CustomFFmpeg.h"
#include "engine/FFmpegException.h"
#include "engine/RunState.h"

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

// Fills a planar or packed YUV picture (or anything else, black) with the
// pad colour.
void FillPicture(AVFrame *picture, const std::array<int, 3> &colour) {
  const AVPixFmtDescriptor *desc =
      ff.av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture->format));
  const bool planarYuv = desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB) &&
                         (desc->flags & AV_PIX_FMT_FLAG_PLANAR) && desc->nb_components >= 3 &&
                         desc->comp[0].depth == 8;
  if (!planarYuv) {
    std::ptrdiff_t lines[4];
    for (int i = 0; i < 4; ++i) lines[i] = picture->linesize[i];
    ff.av_image_fill_black(picture->data, lines, static_cast<AVPixelFormat>(picture->format),
                           AVCOL_RANGE_MPEG, picture->width, picture->height);
    return;
  }
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane ? AV_CEIL_RSHIFT(picture->height, desc->log2_chroma_h) : picture->height;
    const int width = plane ? AV_CEIL_RSHIFT(picture->width, desc->log2_chroma_w) : picture->width;
    for (int y = 0; y < rows; ++y)
      std::memset(picture->data[plane] + static_cast<std::ptrdiff_t>(y) * picture->linesize[plane],
                  colour[plane], static_cast<std::size_t>(width));
  }
}

// Plane pointers of `picture` moved by `top` rows and `left` columns.
bool OffsetPlanes(const AVFrame *picture, int top, int left, std::uint8_t *planes[4]) {
  const AVPixFmtDescriptor *desc =
      ff.av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture->format));
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_BITSTREAM)) return false;
  if ((top & ((1 << desc->log2_chroma_h) - 1)) || (left & ((1 << desc->log2_chroma_w) - 1)))
    return false;
  int maxStep[4] = {0, 0, 0, 0};
  for (int c = 0; c < desc->nb_components; ++c)
    maxStep[desc->comp[c].plane] = std::max(maxStep[desc->comp[c].plane], desc->comp[c].step);
  for (int p = 0; p < 4; ++p) {
    planes[p] = picture->data[p];
    if (!planes[p]) continue;
    const bool chroma = p == 1 || p == 2;
    const int y = chroma ? top >> desc->log2_chroma_h : top;
    const int x = chroma ? left >> desc->log2_chroma_w : left;
    planes[p] += static_cast<std::ptrdiff_t>(y) * picture->linesize[p] + x * maxStep[p];
  }
  return true;
}

// Copies `rows` x `width` pixels of `source` into the planes `target`.
void CopyInto(std::uint8_t *const target[4], const int targetLines[4], const AVFrame *source) {
  const std::uint8_t *planes[4];
  std::uint8_t *targets[4];
  int lines[4];
  for (int i = 0; i < 4; ++i) {
    planes[i] = source->data[i];
    targets[i] = target[i];
    lines[i] = targetLines[i];
  }
  ff.av_image_copy(targets, lines, planes, source->linesize,
                   static_cast<AVPixelFormat>(source->format), source->width, source->height);
}

}  // namespace

double TCustomFFmpeg::GetSyncTime(const OutputStreamRecord &output, std::int64_t startTime) const {
  return static_cast<double>(output.sync->pts - startTime) / AV_TIME_BASE;
}

// ---------------------------------------------------------------------------
// Audio

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
      if (got > 0)
        ff.av_audio_fifo_write(output.fifo.get(),
                               reinterpret_cast<void **>(output.convertedAudio->data), got);
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
    if (ff.av_audio_fifo_write(output.fifo.get(),
                               const_cast<void **>(reinterpret_cast<const void *const *>(data)),
                               samples) < samples)
      throw FFmpegException("av_fifo_realloc2() failed");
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
  if (got > 0 &&
      ff.av_audio_fifo_write(output.fifo.get(),
                             reinterpret_cast<void **>(output.convertedAudio->data), got) < got)
    throw FFmpegException("av_fifo_realloc2() failed");
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
      ff.av_audio_fifo_write(fifo, reinterpret_cast<void **>(output.silence->extended_data),
                             missing);
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

  const double fifoSamples = ff.av_audio_fifo_size(output.fifo.get());
  if (options_.audioSync) {
    const double delta = GetSyncTime(output, options_.startTime) * encRate -
                         static_cast<double>(output.syncPts) - fifoSamples;
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
        static_cast<std::int64_t>(fifoSamples);
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
      if (got > 0)
        ff.av_audio_fifo_write(output.fifo.get(),
                               reinterpret_cast<void **>(output.convertedAudio->data), got);
    }
  }
  EncodeAudioFrames(output, true);
  ff.av_audio_fifo_reset(output.fifo.get());
}

// ---------------------------------------------------------------------------
// Video

namespace {

// The simple vertical deinterlacing filter (-1 4 2 4 -1) / 8 over each
// plane; the first and last lines are kept.
void DeinterlacePlane(std::uint8_t *dst, int dstLine, const std::uint8_t *src, int srcLine,
                      int width, int height) {
  for (int y = 0; y < height; ++y) {
    const std::uint8_t *l0 = src + static_cast<std::ptrdiff_t>(std::max(y - 2, 0)) * srcLine;
    const std::uint8_t *l1 = src + static_cast<std::ptrdiff_t>(std::max(y - 1, 0)) * srcLine;
    const std::uint8_t *l2 = src + static_cast<std::ptrdiff_t>(y) * srcLine;
    const std::uint8_t *l3 = src + static_cast<std::ptrdiff_t>(std::min(y + 1, height - 1)) * srcLine;
    const std::uint8_t *l4 = src + static_cast<std::ptrdiff_t>(std::min(y + 2, height - 1)) * srcLine;
    std::uint8_t *out = dst + static_cast<std::ptrdiff_t>(y) * dstLine;
    if ((y & 1) == 0 || y + 1 >= height) {
      std::memcpy(out, l2, static_cast<std::size_t>(width));
      continue;
    }
    for (int x = 0; x < width; ++x) {
      const int v = (-l0[x] + 4 * l1[x] + 2 * l2[x] + 4 * l3[x] - l4[x] + 4) >> 3;
      out[x] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    }
  }
}

bool Deinterlaceable(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUV411P:
    case AV_PIX_FMT_GRAY8:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TCustomFFmpeg::PreprocessVideoFrame(InputStreamRecord &source, AVFrame *frame) {
  ++decodedPictures_;
  if (options_.deinterlace) {
    const auto format = static_cast<AVPixelFormat>(frame->format);
    bool done = false;
    if (Deinterlaceable(format) && frame->height >= 3) {
      if (!deinterlaceFrame_) deinterlaceFrame_.reset(ff.av_frame_alloc());
      AVFrame *work = deinterlaceFrame_.get();
      if (work) {
        work->format = frame->format;
        work->width = frame->width;
        work->height = frame->height;
        if (ff.av_frame_get_buffer(work, 0) < 0) {
          Log(0, "hook buf malloc error.");
          ff.av_frame_unref(work);
          work = nullptr;
        }
      }
      if (work) {
        const AVPixFmtDescriptor *desc = ff.av_pix_fmt_desc_get(format);
        const int planes = format == AV_PIX_FMT_GRAY8 ? 1 : 3;
        for (int p = 0; p < planes; ++p) {
          const int w = p ? AV_CEIL_RSHIFT(frame->width, desc->log2_chroma_w) : frame->width;
          const int h = p ? AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h) : frame->height;
          DeinterlacePlane(work->data[p], work->linesize[p], frame->data[p], frame->linesize[p],
                           w, h);
        }
        ff.av_frame_copy_props(work, frame);
        ff.av_frame_unref(frame);
        ff.av_frame_move_ref(frame, work);
        frame->interlaced_frame = 0;
        done = true;
      }
    }
    if (!done) Log(0, "Deinterlacing failed.");
  }
  HookPicture(frame, source.pts, decodedPictures_);
}

bool TCustomFFmpeg::ConfigureFilters(OutputStreamRecord &output, InputStreamRecord &source) {
  const TOptionState &o = options_;
  if (o.cropTop || o.cropBottom || o.cropLeft || o.cropRight) {
    lastError_ = "Cannot enable crop options and filters at the same time.";
    return false;
  }
  AVCodecContext *codec = output.config->codec.get();
  const AVCodecParameters *in = source.stream->codecpar;
  output.filterGraph.reset(ff.avfilter_graph_alloc());
  AVFilterGraph *graph = output.filterGraph.get();
  if (!graph) return false;
  const std::string swsOptions = Format("flags=%d", o.swsFlags);
  graph->scale_sws_opts = ff.av_strdup(swsOptions.c_str());
  // Decoded pictures carry microsecond timestamps.
  AVRational aspect = in->sample_aspect_ratio;
  if (aspect.num <= 0 || aspect.den <= 0) aspect = {1, 1};
  const std::string sourceArgs =
      Format("video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=%d/%d", in->width,
             in->height, in->format, AV_TIME_BASE, aspect.num, aspect.den);
  if (ff.avfilter_graph_create_filter(&output.filterSource, ff.avfilter_get_by_name("buffer"),
                                      "src", sourceArgs.c_str(), nullptr, graph) < 0)
    return false;
  AVFilterContext *sink =
      ff.avfilter_graph_alloc_filter(graph, ff.avfilter_get_by_name("buffersink"), "out");
  if (!sink) return false;
  const AVPixelFormat formats[] = {codec->pix_fmt};
  if (ff.av_opt_set_bin(sink, "pix_fmts", reinterpret_cast<const std::uint8_t *>(formats),
                        sizeof formats, AV_OPT_SEARCH_CHILDREN) < 0 ||
      ff.avfilter_init_str(sink, nullptr) < 0)
    return false;
  output.filterSink = sink;
  AVFilterContext *last = output.filterSource;

  const int innerWidth = codec->width - o.padLeft - o.padRight;
  const int innerHeight = codec->height - o.padTop - o.padBottom;
  if (in->width + o.padLeft + o.padRight != codec->width ||
      in->height + o.padTop + o.padBottom != codec->height) {
    AVFilterContext *scale = nullptr;
    const std::string args = Format("w=%d:h=%d:flags=%d", innerWidth, innerHeight, o.swsFlags);
    if (ff.avfilter_graph_create_filter(&scale, ff.avfilter_get_by_name("scale"), "scale",
                                        args.c_str(), nullptr, graph) < 0 ||
        ff.avfilter_link(last, 0, scale, 0) < 0)
      return false;
    last = scale;
  }
  if (!o.videoFilters.empty()) {
    AVFilterInOut *outputs = ff.avfilter_inout_alloc();
    AVFilterInOut *inputs = ff.avfilter_inout_alloc();
    if (!outputs || !inputs) {
      ff.avfilter_inout_free(&outputs);
      ff.avfilter_inout_free(&inputs);
      return false;
    }
    outputs->name = ff.av_strdup("in");
    outputs->filter_ctx = last;
    outputs->pad_idx = 0;
    inputs->name = ff.av_strdup("out");
    inputs->filter_ctx = sink;
    inputs->pad_idx = 0;
    const int result =
        ff.avfilter_graph_parse_ptr(graph, o.videoFilters.c_str(), &inputs, &outputs, nullptr);
    ff.avfilter_inout_free(&outputs);
    ff.avfilter_inout_free(&inputs);
    if (result < 0) return false;
  } else if (ff.avfilter_link(last, 0, sink, 0) < 0) {
    return false;
  }
  if (ff.avfilter_graph_config(graph, nullptr) < 0) return false;

  const int sinkWidth = ff.av_buffersink_get_w(sink);
  const int sinkHeight = ff.av_buffersink_get_h(sink);
  const bool padded = o.padTop || o.padBottom || o.padLeft || o.padRight;
  if (padded && !(sinkWidth == o.frameWidth && sinkHeight == o.frameHeight)) {
    lastError_ =
        "Cannot enable pad options and the filters which resize frame at the same time. (crop, "
        "rotate, scale, transpose, etc.)";
    return false;
  }
  codec->width = sinkWidth + o.padLeft + o.padRight;
  codec->height = sinkHeight + o.padTop + o.padBottom;
  // With filters the graph scales; the padding goes into a picture of the
  // final size.
  output.scaler.reset();
  output.videoResample = false;
  if (padded) {
    output.pictureBuffer.reset(ff.av_frame_alloc());
    if (!output.pictureBuffer) return false;
    output.pictureBuffer->format = codec->pix_fmt;
    output.pictureBuffer->width = codec->width;
    output.pictureBuffer->height = codec->height;
    if (ff.av_frame_get_buffer(output.pictureBuffer.get(), 0) < 0) return false;
  }
  return true;
}

void TCustomFFmpeg::EncodeVideo(OutputStreamRecord &output, InputStreamRecord &source,
                                AVFrame *frame) {
  if (!output.filterGraph) {
    EncodePicture(output, source, frame);
    return;
  }
  // Through the graph; the source keeps microsecond timestamps.
  const std::int64_t pts = frame->pts;
  frame->pts = source.pts;
  const int added = ff.av_buffersrc_add_frame_flags(output.filterSource, frame,
                                                    AV_BUFFERSRC_FLAG_KEEP_REF);
  frame->pts = pts;
  if (added < 0) throw FFmpegException("Error while feeding the filtergraph");
  if (!output.filteredFrame) output.filteredFrame.reset(ff.av_frame_alloc());
  AVFrame *filtered = output.filteredFrame.get();
  if (!filtered) throw FFmpegException("av_malloc fail");
  while (ff.av_buffersink_get_frame(output.filterSink, filtered) >= 0) {
    AVCodecContext *enc = output.config->codec.get();
    if (filtered->sample_aspect_ratio.num > 0)
      enc->sample_aspect_ratio = filtered->sample_aspect_ratio;
    try {
      EncodePicture(output, source, filtered);
    } catch (...) {
      ff.av_frame_unref(filtered);
      throw;
    }
    ff.av_frame_unref(filtered);
  }
}

void TCustomFFmpeg::EncodePicture(OutputStreamRecord &output, InputStreamRecord &source,
                                  AVFrame *frame) {
  AVCodecContext *enc = output.config->codec.get();
  const double tb = av_q2d(enc->time_base);
  const double t = GetSyncTime(output, options_.startTime);
  const int vsync = options_.videoSync;
  int copies = 1;
  if (vsync > 0 || (vsync != 0 && tb > 0.001)) {
    const double vdelta = t / tb - static_cast<double>(output.syncPts);
    const bool variable =
        vsync == 2 || (vsync < 0 && (output.file->context->oformat->flags & AVFMT_VARIABLE_FPS));
    if (vdelta < -1.1) {
      copies = 0;
    } else if (variable) {
      if (vdelta <= -0.6)
        copies = 0;
      else if (vdelta > 0.6)
        output.syncPts = static_cast<std::int64_t>(std::nearbyint(t / tb));
    } else if (vdelta > 1.1) {
      copies = static_cast<int>(std::nearbyint(vdelta));
    }
    if (copies == 0) {
      ++droppedFrames_;
      if (options_.verbose > 2) Log(1, "*** drop!");
    } else if (copies > 1) {
      duplicatedFrames_ += copies - 1;
      if (options_.verbose > 2) Log(1, Format("*** %d dup!", copies - 1));
    }
  } else {
    output.syncPts = static_cast<std::int64_t>(std::nearbyint(t / tb));
  }
  copies = static_cast<int>(
      std::min<std::int64_t>(copies, static_cast<std::int64_t>(options_.videoFrames) - output.frameNumber));
  if (copies <= 0) return;

  const TOptionState &o = options_;
  // Crop: a view of the decoded picture without its bands.
  AVFrame *formatted = frame;
  if (output.videoCrop && !filtersInUse_) {
    if (!output.cropFrame) output.cropFrame.reset(ff.av_frame_alloc());
    AVFrame *crop = output.cropFrame.get();
    bool cropped = crop && ff.av_frame_ref(crop, frame) >= 0;
    if (cropped) {
      crop->crop_top = static_cast<std::size_t>(o.cropTop);
      crop->crop_bottom = static_cast<std::size_t>(o.cropBottom);
      crop->crop_left = static_cast<std::size_t>(o.cropLeft);
      crop->crop_right = static_cast<std::size_t>(o.cropRight);
      cropped = ff.av_frame_apply_cropping(crop, AV_FRAME_CROP_UNALIGNED) >= 0;
      if (!cropped) ff.av_frame_unref(crop);
    }
    if (!cropped) {
      if (o.exitOnError) throw FFmpegException("error cropping picture");
      Log(0, "error cropping picture");
      return;
    }
    formatted = crop;
  }
  struct CropRelease {
    AVFrame *crop;
    ~CropRelease() {
      if (crop) ff.av_frame_unref(crop);
    }
  } cropRelease{formatted != frame ? formatted : nullptr};

  AVFrame *final = formatted;
  const bool scale = output.videoResample && !filtersInUse_ && output.scaler;
  if (output.videoPad || scale) {
    AVFrame *picture = output.pictureBuffer.get();
    if (!picture || ff.av_frame_make_writable(picture) < 0)
      throw FFmpegException("Cannot allocate temp picture, check pix fmt");
    std::uint8_t *inner[4] = {picture->data[0], picture->data[1], picture->data[2],
                              picture->data[3]};
    if (output.videoPad) {
      if (!OffsetPlanes(picture, output.padTop, output.padLeft, inner)) {
        if (o.exitOnError) throw FFmpegException("error padding picture");
        Log(0, "error padding picture");
        return;
      }
      FillPicture(picture, o.padColor);
    }
    if (scale) {
      ff.sws_scale(output.scaler.get(), formatted->data, formatted->linesize, 0,
                   formatted->height, inner, picture->linesize);
    } else {
      CopyInto(inner, picture->linesize, formatted);
    }
    final = picture;
  }

  const AVCodecContext *videoTemplate = CodecTemplate(AVMEDIA_TYPE_VIDEO);
  const bool interlacedCoding =
      videoTemplate && (videoTemplate->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME));
  const bool preview = PreviewSwitchedOn();
  if (!output.encodeFrame) output.encodeFrame.reset(ff.av_frame_alloc());
  AVFrame *picture = output.encodeFrame.get();
  if (!picture) throw FFmpegException("av_malloc fail");
  int frameSize = 0;
  for (int copy = 0; copy < copies && !runControl_.StopRequested(); ++copy) {
    if (ff.av_frame_ref(picture, final) < 0) throw FFmpegException("av_malloc fail");
    picture->interlaced_frame = frame->interlaced_frame;
    if (interlacedCoding)
      picture->top_field_first = o.topFieldFirst == -1 ? frame->top_field_first : o.topFieldFirst;
    float quality = o.sameQuality ? source.quality : -1;
    if (quality > 0)
      picture->quality = static_cast<int>(std::lround(quality * FF_QP2LAMBDA));
    else
      picture->quality = enc->global_quality;
    if (!o.meThreshold) picture->pict_type = AV_PICTURE_TYPE_NONE;
    picture->pts = output.syncPts;
    picture->sample_aspect_ratio = enc->sample_aspect_ratio;
    const int sent = ff.avcodec_send_frame(enc, picture);
    if (sent < 0) {
      ff.av_frame_unref(picture);
      throw FFmpegException("Video encoding failed");
    }
    const std::int64_t written = WriteEncodedPackets(output, false);
    // The preview shows the picture as encoded, with its encoder time stamp.
    if (preview) PreviewPicture(picture, enc, decodedPictures_);
    ff.av_frame_unref(picture);
    if (written > 0) {
      frameSize = static_cast<int>(written);
      if (options_.vstatsFileName) WriteVideoStats(output, frameSize);
    }
    ++output.syncPts;
    ++output.frameNumber;
  }
}

void TCustomFFmpeg::WriteVideoStats(OutputStreamRecord &output, int frameSize) {
  if (!videoStatsFile_) {
    const std::string &name = *options_.vstatsFileName;
    videoStatsFile_.reset(std::fopen(name.c_str(), "w"));
    if (!videoStatsFile_) throw FFmpegException("fopen fail: " + name);
  }
  AVCodecContext *enc = output.config->codec.get();
  if (enc->codec_type != AVMEDIA_TYPE_VIDEO) return;
  std::FILE *file = videoStatsFile_.get();
  std::fprintf(file, "frame= %5d q= %2.1f ", output.frameNumber, output.quality);
  if (enc->flags & AV_CODEC_FLAG_PSNR)
    std::fprintf(file, "PSNR= %6.2f ",
                 -10.0 * std::log10(static_cast<double>(output.lastError) /
                                    (static_cast<double>(enc->width) * enc->height * 255.0 * 255.0)));
  std::fprintf(file, "f_size= %6d ", frameSize);
  const double tb = av_q2d(enc->time_base);
  const double time = std::max(0.01, static_cast<double>(output.syncPts) * tb);
  const double bitRate = frameSize * 8 / tb / 1000.0;
  const double average = static_cast<double>(videoBytes_) * 8 / time / 1000.0;
  std::fprintf(file, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
               static_cast<double>(videoBytes_) / 1024, time, bitRate, average);
  std::fprintf(file, "type= %c\n", ff.av_get_picture_type_char(
                                       static_cast<AVPictureType>(output.lastPictType)));
}

}  // namespace velmora
