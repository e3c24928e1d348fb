// The video encoding path. Decoded pictures reach it from the main loop:
// deinterlacing and the hook stage, frame-rate synchronisation (-vsync),
// crop, scale, pad or the -vfilters graph, encoding, per-frame statistics.
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
    FilterInOutPtr outputs(ff.avfilter_inout_alloc());
    FilterInOutPtr inputs(ff.avfilter_inout_alloc());
    if (!outputs || !inputs) return false;
    outputs->name = ff.av_strdup("in");
    outputs->filter_ctx = last;
    outputs->pad_idx = 0;
    inputs->name = ff.av_strdup("out");
    inputs->filter_ctx = sink;
    inputs->pad_idx = 0;
    const int result = ff.avfilter_graph_parse_ptr(graph, o.videoFilters.c_str(),
                                                   InOutPtr(inputs), InOutPtr(outputs), nullptr);
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

// A picture whose size or format changed in the middle of the stream (as
// damage or a new sequence header makes them) is scaled to what the stream
// was set up for; null when that fails.
AVFrame *TCustomFFmpeg::ConformPicture(OutputStreamRecord &output, AVFrame *frame) {
  if (frame->width == output.inputWidth && frame->height == output.inputHeight &&
      frame->format == output.inputFormat)
    return frame;
  const auto target = static_cast<AVPixelFormat>(output.inputFormat);
  output.conformScaler.reset(ff.sws_getCachedContext(
      output.conformScaler.release(), frame->width, frame->height,
      static_cast<AVPixelFormat>(frame->format), output.inputWidth, output.inputHeight, target,
      options_.swsFlags, nullptr, nullptr, nullptr));
  if (!output.conformScaler) return nullptr;
  if (!output.conformedFrame) output.conformedFrame.reset(ff.av_frame_alloc());
  AVFrame *conformed = output.conformedFrame.get();
  if (!conformed) return nullptr;
  ff.av_frame_unref(conformed);
  conformed->format = target;
  conformed->width = output.inputWidth;
  conformed->height = output.inputHeight;
  if (ff.av_frame_get_buffer(conformed, 0) < 0 || ff.av_frame_copy_props(conformed, frame) < 0)
    return nullptr;
  ff.sws_scale(output.conformScaler.get(), frame->data, frame->linesize, 0, frame->height,
               conformed->data, conformed->linesize);
  return conformed;
}

void TCustomFFmpeg::EncodeVideo(OutputStreamRecord &output, InputStreamRecord &source,
                                AVFrame *decoded) {
  AVFrame *frame = ConformPicture(output, decoded);
  if (!frame) {
    if (options_.exitOnError) throw FFmpegException("Cannot get resampling context");
    Log(0, "Cannot get resampling context");
    return;
  }
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
    const FrameContentsGuard encoded(filtered);
    AVCodecContext *enc = output.config->codec.get();
    if (filtered->sample_aspect_ratio.num > 0)
      enc->sample_aspect_ratio = filtered->sample_aspect_ratio;
    EncodePicture(output, source, filtered);
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
  const FrameContentsGuard cropRelease(formatted != frame ? formatted : nullptr);

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
    // -sameq hands on the decoder's picture quality when it reports one.
    const float quality = o.sameQuality ? source.quality : -1;
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
    ++output.syncPts;
    ++output.frameNumber;
    // The statistics line counts this picture and ends at its end.
    if (written > 0) {
      frameSize = static_cast<int>(written);
      if (options_.vstatsFileName) WriteVideoStats(output, frameSize);
    }
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
