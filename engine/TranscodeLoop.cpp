// The main loop of a run: choose the input to read, read a packet, correct
// its timestamps, decode it (or pass it through for stream copy) and feed
// the output streams; in join mode hand over from one input to the next;
// report progress; at the end drain, write the trailers and the last report.
#include <cxxabi.h>

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/CustomFFmpeg.h"
#include "engine/FormatText.h"
#include "engine/RunState.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryTexts.h"

namespace velmora {

namespace {

// Engine times are microseconds.
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

AVMediaType TypeOf(const OutputStreamRecord &output) { return output.config->codec->codec_type; }

// The rate a video stream's frames follow: the decoder's, else the
// container's.
AVRational VideoRate(const InputStreamRecord &input) {
  if (input.decoder && input.decoder->framerate.num > 0 && input.decoder->framerate.den > 0)
    return input.decoder->framerate;
  if (input.stream->r_frame_rate.num > 0 && input.stream->r_frame_rate.den > 0)
    return input.stream->r_frame_rate;
  return input.stream->avg_frame_rate;
}

// Scales every sample by volume / 256 within the range of its format (the
// 16-bit rule (s * vol + 128) >> 8 for 16-bit samples).
void ApplyVolume(AVFrame *frame, int volume) {
  const auto format = static_cast<AVSampleFormat>(frame->format);
  const bool planar = ff.av_sample_fmt_is_planar(format) != 0;
  const int channels = frame->ch_layout.nb_channels;
  const int planes = planar ? channels : 1;
  const int count = frame->nb_samples * (planar ? 1 : channels);
  const double factor = volume / 256.0;
  for (int p = 0; p < planes; ++p) {
    std::uint8_t *data = frame->extended_data[p];
    switch (ff.av_get_packed_sample_fmt(format)) {
      case AV_SAMPLE_FMT_S16: {
        auto *s = reinterpret_cast<std::int16_t *>(data);
        for (int i = 0; i < count; ++i)
          s[i] = static_cast<std::int16_t>(std::clamp((s[i] * volume + 128) >> 8, -32768, 32767));
        break;
      }
      case AV_SAMPLE_FMT_U8:
        for (int i = 0; i < count; ++i)
          data[i] = static_cast<std::uint8_t>(
              std::clamp(((data[i] - 128) * volume + 128) / 256 + 128, 0, 255));
        break;
      case AV_SAMPLE_FMT_S32: {
        auto *s = reinterpret_cast<std::int32_t *>(data);
        for (int i = 0; i < count; ++i)
          s[i] = static_cast<std::int32_t>(
              std::clamp<std::int64_t>((static_cast<std::int64_t>(s[i]) * volume + 128) >> 8,
                                       INT32_MIN, INT32_MAX));
        break;
      }
      case AV_SAMPLE_FMT_FLT: {
        auto *s = reinterpret_cast<float *>(data);
        for (int i = 0; i < count; ++i)
          s[i] = static_cast<float>(std::clamp(s[i] * factor, -1.0, 1.0));
        break;
      }
      case AV_SAMPLE_FMT_DBL: {
        auto *s = reinterpret_cast<double *>(data);
        for (int i = 0; i < count; ++i) s[i] = std::clamp(s[i] * factor, -1.0, 1.0);
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace

double TCustomFFmpeg::OutputClock(const OutputStreamRecord &output) const {
  if (output.encodingNeeded && TypeOf(output) == AVMEDIA_TYPE_VIDEO)
    return output.syncPts * av_q2d(output.config->codec->time_base);
  const std::int64_t end = output.config->endPts;
  return end == AV_NOPTS_VALUE ? 0.0 : end * av_q2d(output.stream->time_base);
}

void TCustomFFmpeg::WritePacket(OutputStreamRecord &output, AVPacket *packet) {
  OutputStreamConfig &config = *output.config;
  AVFormatContext *context = output.file->context.get();
  const int streamIndex = output.stream->index;
  auto mux = [&](AVPacket *p) {
    p->stream_index = streamIndex;
    // Decoding times must increase (most muxers refuse anything else); a
    // packet that would go back, as where two joined inputs overlap by an
    // audio priming frame, is moved just after its predecessor.
    if (p->dts != AV_NOPTS_VALUE && config.lastDts != AV_NOPTS_VALUE) {
      const bool strict = !(context->oformat->flags & AVFMT_TS_NONSTRICT) ||
                          TypeOf(output) == AVMEDIA_TYPE_AUDIO ||
                          TypeOf(output) == AVMEDIA_TYPE_VIDEO;
      if (p->dts < config.lastDts + (strict ? 1 : 0)) {
        const std::int64_t moved = config.lastDts + (strict ? 1 : 0);
        if (options_.verbose > 1)
          Log(2, Format("Non-increasing timestamp %" PRId64 " on stream %d, moved to %" PRId64,
                        p->dts, streamIndex, moved));
        if (p->pts != AV_NOPTS_VALUE && p->pts < moved) p->pts = moved;
        p->dts = moved;
      }
    }
    if (p->dts != AV_NOPTS_VALUE) config.lastDts = p->dts;
    const std::int64_t start = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
    if (start != AV_NOPTS_VALUE) {
      const std::int64_t end = start + std::max<std::int64_t>(p->duration, 0);
      if (config.endPts == AV_NOPTS_VALUE || end > config.endPts) config.endPts = end;
    }
    const int result = ff.av_interleaved_write_frame(context, p);
    if (result < 0) throw FFmpegException(OpenErrorText("av_interleaved_write_frame()", result));
    ++output.file->packetsWritten;
  };
  if (!config.filterChain) {
    mux(packet);
    return;
  }
  auto filterFailed = [&](int result) {
    const std::string message = OpenErrorText(
        Format("%s failed for stream %d, codec %s", config.filterNames.c_str(), streamIndex,
               config.streamCopy ? "copy" : ff.avcodec_get_name(config.codec->codec_id)),
        result);
    if (options_.exitOnError) throw FFmpegException(message);
    Log(0, message);
  };
  int result = ff.av_bsf_send_packet(config.filterChain.get(), packet);
  if (result < 0) {
    // The packet goes on unchanged.
    filterFailed(result);
    mux(packet);
    return;
  }
  while ((result = ff.av_bsf_receive_packet(config.filterChain.get(), packet)) >= 0) mux(packet);
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) filterFailed(result);
}

std::int64_t TCustomFFmpeg::WriteEncodedPackets(OutputStreamRecord &output, bool draining) {
  AVCodecContext *encoder = output.config->codec.get();
  const bool video = encoder->codec_type == AVMEDIA_TYPE_VIDEO;
  const char *failText = video ? "Video encoding failed" : "Audio encoding failed";
  if (draining) {
    const int sent = ff.avcodec_send_frame(encoder, nullptr);
    if (sent < 0 && sent != AVERROR_EOF) throw FFmpegException(failText);
  }
  AVPacket *packet = run_->encodedPacket.get();
  std::int64_t written = 0;
  int result = 0;
  while ((result = ff.avcodec_receive_packet(encoder, packet)) >= 0) {
    written += packet->size;
    (video ? videoBytes_ : audioBytes_) += packet->size;
    if (output.twoPassLog && encoder->stats_out)
      std::fputs(encoder->stats_out, output.twoPassLog.get());
    std::size_t sideSize = 0;
    if (const std::uint8_t *stats =
            ff.av_packet_get_side_data(packet, AV_PKT_DATA_QUALITY_STATS, &sideSize);
        stats && sideSize >= 4) {
      const std::uint32_t quality = stats[0] | (stats[1] << 8) | (stats[2] << 16) |
                                    (static_cast<std::uint32_t>(stats[3]) << 24);
      output.quality = static_cast<float>(quality) / FF_QP2LAMBDA;
      if (sideSize >= 5) output.lastPictType = stats[4];
      if (sideSize >= 16) {
        std::uint64_t error = 0;
        for (int i = 0; i < 8; ++i) error |= static_cast<std::uint64_t>(stats[8 + i]) << (8 * i);
        output.lastError = error;
      }
    }
    // Video encoders leave the duration to the muxer, which fills it in only
    // after the packet is counted; the output clock needs it at once.
    if (video && packet->duration <= 0) {
      const AVRational rate = encoder->framerate;
      packet->duration =
          rate.num > 0 && rate.den > 0 ? ff.av_rescale_q(1, av_inv_q(rate), encoder->time_base) : 1;
    }
    ff.av_packet_rescale_ts(packet, encoder->time_base, output.stream->time_base);
    WritePacket(output, packet);
    ff.av_packet_unref(packet);
  }
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) throw FFmpegException(failText);
  return written;
}

void TCustomFFmpeg::CopyPacket(RunState &run, OutputStreamRecord &output,
                               InputStreamRecord &source, const AVPacket *packet) {
  if (output.frameNumber == 0 && !(packet->flags & AV_PKT_FLAG_KEY) &&
      !options_.copyInitialNonKeyframes)
    return;
  if (TypeOf(output) == AVMEDIA_TYPE_AUDIO) {
    audioBytes_ += packet->size;
  } else if (TypeOf(output) == AVMEDIA_TYPE_VIDEO) {
    videoBytes_ += packet->size;
    ++output.syncPts;
  }
  AVPacket *copy = run.copyPacket.get();
  if (ff.av_packet_ref(copy, packet) < 0) throw FFmpegException("av_malloc fail");
  const AVRational in = source.stream->time_base;
  const AVRational out = output.stream->time_base;
  copy->pts = packet->pts != AV_NOPTS_VALUE ? ff.av_rescale_q(packet->pts, in, out) : AV_NOPTS_VALUE;
  copy->dts = packet->dts != AV_NOPTS_VALUE ? ff.av_rescale_q(packet->dts, in, out)
                                            : ff.av_rescale_q(source.pts, kMicroseconds, out);
  copy->duration = ff.av_rescale_q(packet->duration, in, out);
  copy->pos = -1;
  // Most containers refuse a packet without a presentation time; MPEG
  // streams carry one only where the source had it.
  if (copy->pts == AV_NOPTS_VALUE && !output.file->ptsOptional) copy->pts = copy->dts;
  {
    const PacketContentsGuard copied(copy);
    WritePacket(output, copy);
  }
  ++output.frameNumber;
}

void TCustomFFmpeg::HandFrame(RunState &, InputStreamRecord &source, AVFrame *frame) {
  const AVMediaType type = source.stream->codecpar->codec_type;
  if (type == AVMEDIA_TYPE_VIDEO) PreprocessVideoFrame(source, frame);
  if (type == AVMEDIA_TYPE_AUDIO && options_.audioVolume != 256) {
    // The decoder may still share the frame's buffers.
    if (ff.av_frame_make_writable(frame) < 0) throw FFmpegException("av_malloc fail");
    ApplyVolume(frame, options_.audioVolume);
  }
  if (options_.startTime != 0 && source.pts < options_.startTime) return;
  if (source.pts >= options_.recordingTime) return;
  for (OutputStreamRecord *output : source.outputs) {
    if (!output->encodingNeeded) continue;
    if (type == AVMEDIA_TYPE_AUDIO)
      EncodeAudio(*output, source, frame);
    else if (type == AVMEDIA_TYPE_VIDEO)
      EncodeVideo(*output, source, frame);
    else
      throw FFmpegException("invalid codec_type");
  }
}

void TCustomFFmpeg::EncodeSubtitle(RunState &, OutputStreamRecord &output,
                                   InputStreamRecord &source, AVSubtitle &subtitle,
                                   std::int64_t pts) {
  if (pts == AV_NOPTS_VALUE) {
    if (options_.exitOnError) throw FFmpegException("Subtitle packets must have a pts");
    Log(0, "Subtitle packets must have a pts");
    return;
  }
  constexpr int kSubtitleBufferSize = 65536;
  if (subtitleBuffer_.empty()) subtitleBuffer_.resize(kSubtitleBufferSize);
  AVCodecContext *encoder = output.config->codec.get();
  // DVB subtitles are shown by one packet and cleared by a second, empty one.
  const bool dvb = encoder->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
  const unsigned rects = subtitle.num_rects;
  subtitle.pts = ff.av_rescale_q(pts, source.stream->time_base, kMicroseconds);
  for (int i = 0; i < (dvb ? 2 : 1); ++i) {
    if (i == 1) subtitle.num_rects = 0;
    const int size = ff.avcodec_encode_subtitle(encoder, subtitleBuffer_.data(),
                                                kSubtitleBufferSize, &subtitle);
    if (size < 0) {
      subtitle.num_rects = rects;
      throw FFmpegException("Subtitle encoding failed");
    }
    PacketPtr packet(ff.av_packet_alloc());
    if (!packet || ff.av_new_packet(packet.get(), size) < 0) {
      subtitle.num_rects = rects;
      throw FFmpegException("av_malloc fail");
    }
    std::memcpy(packet->data, subtitleBuffer_.data(), static_cast<std::size_t>(size));
    packet->pts = ff.av_rescale_q(pts, source.stream->time_base, output.stream->time_base);
    if (dvb) {
      const std::int64_t shown = i == 0 ? subtitle.start_display_time : subtitle.end_display_time;
      packet->pts += ff.av_rescale_q(shown, {1, 1000}, output.stream->time_base);
    } else if (subtitle.end_display_time > subtitle.start_display_time) {
      // Containers that keep subtitle events give each its display time.
      packet->duration =
          ff.av_rescale_q(subtitle.end_display_time - subtitle.start_display_time, {1, 1000},
                          output.stream->time_base);
    }
    packet->dts = packet->pts;
    WritePacket(output, packet.get());
  }
  subtitle.num_rects = rects;
}

void TCustomFFmpeg::DrainEncoders(RunState &run, InputStreamRecord &source) {
  // In join mode the segments share one encoder each, which today's library
  // cannot restart once drained: it is drained after the last input only.
  if (joinMode_ && !run.loopEnded && source.fileIndex + 1 < static_cast<int>(inputs_.size()))
    return;
  for (OutputStreamRecord *output : source.outputs) {
    if (!output->encodingNeeded) continue;
    const AVMediaType type = TypeOf(*output);
    if (type == AVMEDIA_TYPE_AUDIO) {
      FlushAudioBuffer(*output);
      WriteEncodedPackets(*output, true);
    } else if (type == AVMEDIA_TYPE_VIDEO) {
      WriteEncodedPackets(*output, true);
    }
  }
}

int TCustomFFmpeg::DecodePacket(RunState &run, InputStreamRecord &source, const AVPacket *packet) {
  AVStream *stream = source.stream;
  AVCodecContext *decoder = source.decoder;
  const AVMediaType type = stream->codecpar->codec_type;
  if (source.nextPts == AV_NOPTS_VALUE) source.nextPts = source.pts;
  if (packet && packet->dts != AV_NOPTS_VALUE)
    source.pts = source.nextPts = ff.av_rescale_q(packet->dts, stream->time_base, kMicroseconds);

  if (source.decodingNeeded && decoder) {
    AVFrame *frame = run.frame.get();
    if (type == AVMEDIA_TYPE_SUBTITLE) {
      if (packet) {
        source.pts = source.nextPts;
        AVSubtitle subtitle{};
        int got = 0;
        if (ff.avcodec_decode_subtitle2(decoder, &subtitle, &got, const_cast<AVPacket *>(packet)) < 0)
          return -1;
        if (got) {
          const SubtitleContentsGuard freed(&subtitle);
          if (options_.startTime == 0 || source.pts >= options_.startTime)
            for (OutputStreamRecord *output : source.outputs)
              if (output->encodingNeeded) EncodeSubtitle(run, *output, source, subtitle, packet->pts);
        }
      }
    } else if (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO) {
      int result = ff.avcodec_send_packet(decoder, packet);
      if (result < 0 && result != AVERROR_EOF) return -1;
      int frames = 0;
      while ((result = ff.avcodec_receive_frame(decoder, frame)) >= 0) {
        const FrameContentsGuard handed(frame);
        if (++frames > 1 && packet && options_.verbose > 0)
          Log(0, Format("Multiple frames in a packet from stream %d", packet->stream_index));
        source.pts = source.nextPts;
        if (type == AVMEDIA_TYPE_AUDIO) {
          if (frame->sample_rate > 0)
            source.nextPts += static_cast<std::int64_t>(AV_TIME_BASE) * frame->nb_samples /
                              frame->sample_rate;
        } else {
          source.quality = frame->quality / static_cast<float>(FF_QP2LAMBDA);
          const AVRational rate = VideoRate(source);
          if (rate.num > 0 && rate.den > 0)
            source.nextPts += static_cast<std::int64_t>(AV_TIME_BASE) * rate.den *
                              (2 + frame->repeat_pict) / (2LL * rate.num);
        }
        HandFrame(run, source, frame);
      }
      if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) return -1;
    } else {
      return -1;
    }
  } else if (packet) {
    // Stream copy: the clock advances by the packet.
    source.pts = source.nextPts;
    std::int64_t duration = 0;
    if (packet->duration > 0) {
      duration = ff.av_rescale_q(packet->duration, stream->time_base, kMicroseconds);
    } else if (type == AVMEDIA_TYPE_AUDIO && stream->codecpar->frame_size > 0 &&
               stream->codecpar->sample_rate > 0) {
      duration = static_cast<std::int64_t>(AV_TIME_BASE) * stream->codecpar->frame_size /
                 stream->codecpar->sample_rate;
    } else if (type == AVMEDIA_TYPE_VIDEO) {
      const AVRational rate = VideoRate(source);
      if (rate.num > 0 && rate.den > 0)
        duration = static_cast<std::int64_t>(AV_TIME_BASE) * rate.den / rate.num;
    }
    source.nextPts += duration;
  }

  if (!packet) {
    DrainEncoders(run, source);
    return 0;
  }

  if (options_.rateEmulation) {
    const std::int64_t elapsed = ff.av_gettime() - source.start;
    if (source.pts - elapsed > 1000) ff.av_usleep(static_cast<unsigned>((source.pts - elapsed) / 1000 * 1000));
  }
  // Past the recording time nothing more is written, although a stream
  // that lags in the input file keeps the loop reading a little longer.
  if ((options_.startTime == 0 || source.pts >= options_.startTime) &&
      source.pts < options_.recordingTime) {
    for (OutputStreamRecord *output : source.outputs)
      if (!output->encodingNeeded) CopyPacket(run, *output, source, packet);
  }
  return 0;
}

bool TCustomFFmpeg::CorrectDiscontinuity(InputStreamRecord &source, AVPacket *packet) {
  InputEntry &entry = *inputs_[source.fileIndex];
  if (packet->dts == AV_NOPTS_VALUE || source.nextPts == AV_NOPTS_VALUE ||
      !(entry.context->iformat->flags & AVFMT_TS_DISCONT) || options_.copyTimestamps)
    return false;
  const AVRational base = source.stream->time_base;
  const std::int64_t dts = ff.av_rescale_q(packet->dts, base, kMicroseconds);
  const std::int64_t delta = dts - source.nextPts;
  const double threshold = options_.dtsDeltaThreshold * 1000000.0;
  if (!(std::fabs(static_cast<double>(delta)) > threshold || dts + 1 < source.pts)) return false;
  entry.tsOffset -= delta;
  if (options_.verbose >= 3)
    Log(1, Format("timestamp discontinuity %" PRId64 ", new offset= %" PRId64, delta,
                  entry.tsOffset));
  const std::int64_t shift = ff.av_rescale_q(delta, kMicroseconds, base);
  packet->dts -= shift;
  if (packet->pts != AV_NOPTS_VALUE) packet->pts -= shift;
  return true;
}

void TCustomFFmpeg::HandOverSegment(RunState &run, int segment) {
  const InputFileRecord &file = run.files[segment];
  for (int s = 0; s < file.streamCount; ++s) {
    InputStreamRecord &input = run.inputStreams[file.firstStream + s];
    if (!input.decodingNeeded) continue;
    DecodePacket(run, input, nullptr);
    if (input.decoder) ff.avcodec_flush_buffers(input.decoder);
    input.flushed = true;
  }
  // Every later segment continues the counts of this one.
  const int total = static_cast<int>(run.outputStreams.size());
  for (int n = (segment + 1) * run.segmentSize; n < total; ++n) {
    run.outputStreams[n].syncPts = run.outputStreams[n - run.segmentSize].syncPts;
    run.outputStreams[n].frameNumber = run.outputStreams[n - run.segmentSize].frameNumber;
  }
  double clock = 0;
  const int first = segment * run.segmentSize;
  if (first + 2 * run.segmentSize <= total)
    for (int n = first; n < first + run.segmentSize; ++n)
      clock = std::max(clock, OutputClock(run.outputStreams[n]));
  if (segment + 1 >= static_cast<int>(inputs_.size())) {
    run.loopEnded = true;
    return;
  }
  inputs_[segment + 1]->tsOffset += std::llround(clock * 1000000.0);
  run.currentInput = segment + 1;
}

void TCustomFFmpeg::RunMainLoop(RunState &run) {
  AVPacket *packet = run.packet.get();
  const int total = static_cast<int>(run.outputStreams.size());
  while (!run.loopEnded && !runControl_.CheckPoint()) {
    // Which input to read: the one whose output streams lag most (in join
    // mode the current one).
    int fileIndex = -1;
    double clockMin = 1e100;
    double ptsMin = 1e100;
    const int first = joinMode_ ? run.currentInput * run.segmentSize : 0;
    const int count = joinMode_ ? run.segmentSize : total;
    bool limitReached = false;
    for (int n = first; n < first + count; ++n) {
      const OutputStreamRecord &output = run.outputStreams[n];
      const InputStreamRecord &input = run.inputStreams[output.sourceIndex];
      int limit = INT_MAX;
      switch (TypeOf(output)) {
        case AVMEDIA_TYPE_VIDEO: limit = options_.videoFrames; break;
        case AVMEDIA_TYPE_AUDIO: limit = options_.audioFrames; break;
        case AVMEDIA_TYPE_DATA: limit = options_.dataFrames; break;
        default: break;
      }
      if (output.frameNumber >= limit) limitReached = true;
      if (!joinMode_ && run.files[input.fileIndex].endOfFile) continue;
      const double clock = OutputClock(output);
      const double inputPts = static_cast<double>(input.pts);
      if (inputPts < ptsMin) {
        ptsMin = inputPts;
        if (options_.inputSync && !joinMode_) fileIndex = input.fileIndex;
      }
      if (clock < clockMin) {
        clockMin = clock;
        if (!options_.inputSync && !joinMode_) fileIndex = input.fileIndex;
      }
    }
    if (joinMode_) fileIndex = run.currentInput;
    if (fileIndex < 0 || limitReached) break;
    if (options_.recordingTime / 1000000.0 <= clockMin) break;
    if (options_.limitFileSize != 0) {
      AVIOContext *pb = outputList_[0]->context->pb;
      if (pb && ff.avio_seek(pb, 0, SEEK_CUR) > options_.limitFileSize) break;
    }

    InputEntry &entry = *inputs_[fileIndex];
    AVFormatContext *context = entry.context.get();
    const int read = ff.av_read_frame(context, packet);
    if (read == AVERROR(EAGAIN)) {
      ff.av_usleep(1000);
      continue;
    }
    if (read < 0) {
      // A read cut short by a stop request is no error of the file.
      if (read != AVERROR_EOF && read != AVERROR_EXIT && options_.verbose >= 0) {
        char reason[128] = "";
        ff.av_strerror(read, reason, sizeof reason);
        Log(1, Format("%s: %s", entry.fileName.c_str(), reason));
      }
      run.files[fileIndex].endOfFile = true;
      if (options_.shortest && !joinMode_) break;
      if (joinMode_) HandOverSegment(run, fileIndex);
      continue;
    }
    const PacketContentsGuard readPacket(packet);

    const InputFileRecord &file = run.files[fileIndex];
    if (options_.packetDump)
      ff.av_pkt_dump_log2(nullptr, AV_LOG_INFO, packet, options_.hexDump ? 1 : 0,
                          context->streams[packet->stream_index]);
    if (packet->stream_index < file.streamCount) {
      InputStreamRecord &input = run.inputStreams[file.firstStream + packet->stream_index];
      if (!input.unmapped) {
        const AVRational base = input.stream->time_base;
        const std::int64_t offset = ff.av_rescale_q(entry.tsOffset, kMicroseconds, base);
        if (packet->dts != AV_NOPTS_VALUE) packet->dts += offset;
        if (packet->pts != AV_NOPTS_VALUE) packet->pts += offset;
        if (packet->stream_index < kMaxStreamsPerInput) {
          const double scale = entry.tsScale[packet->stream_index];
          if (scale != 0) {
            if (packet->pts != AV_NOPTS_VALUE) packet->pts = std::llround(packet->pts * scale);
            if (packet->dts != AV_NOPTS_VALUE) packet->dts = std::llround(packet->dts * scale);
          }
        }
        CorrectDiscontinuity(input, packet);
        if (DecodePacket(run, input, packet) < 0) {
          const std::string message =
              Format("Error while decoding stream #%d.%d (%s)", input.fileIndex,
                     input.streamIndex,
                     MediaTypeName(input.stream->codecpar->codec_type).c_str());
          if (options_.exitOnError) throw FFmpegException(message);
          if (options_.verbose >= 0) Log(1, message);
          continue;
        }
      }
    }
    const std::int64_t now = ff.av_gettime();
    if (now - run.lastReportTime > ProgressInterval) {
      PrintReport(run, false);
      run.lastReportTime = now;
    }
  }
}

void TCustomFFmpeg::FinishRun(RunState &run) {
  run.loopEnded = true;
  for (InputStreamRecord &input : run.inputStreams)
    if (input.decodingNeeded && !input.flushed) DecodePacket(run, input, nullptr);
  const std::size_t trailers = joinMode_ ? 1 : outputList_.size();
  for (std::size_t j = 0; j < trailers; ++j) {
    OutputEntry &entry = *outputList_[j];
    if (!entry.headerWritten) continue;
    const int result = ff.av_write_trailer(entry.context.get());
    entry.headerWritten = false;
    if (result < 0) {
      char reason[128] = "";
      ff.av_strerror(result, reason, sizeof reason);
      throw FFmpegException(std::string("av_write_trailer(): ") + reason);
    }
  }
  PrintReport(run, true);
  CloseRunCodecs(run);
}

void TCustomFFmpeg::PrintReport(RunState &run, bool isLast) {
  if (outputList_.empty()) return;
  AVIOContext *pb = outputList_[0]->context->pb;
  std::int64_t totalSize = pb ? ff.avio_size(pb) : 0;
  if (totalSize < 0) totalSize = pb ? ff.avio_seek(pb, 0, SEEK_CUR) : 0;
  if (totalSize < 0) totalSize = 0;

  // In join mode the streams of the segment being read carry the counts.
  const int total = static_cast<int>(run.outputStreams.size());
  const int segment = std::min(run.currentInput, std::max(0, total / std::max(1, run.segmentSize) - 1));
  const int first = joinMode_ ? segment * run.segmentSize : 0;
  const int count = joinMode_ ? run.segmentSize : total;

  std::string line;
  double reportTime = 1e10;
  bool clockSeen = false;
  bool videoSeen = false;
  int frameNumber = -1;
  int fps = -1;
  float quality = -1;
  for (int n = first; n < first + count; ++n) {
    const OutputStreamRecord &output = run.outputStreams[n];
    AVCodecContext *encoder = output.config->codec.get();
    if (TypeOf(output) == AVMEDIA_TYPE_VIDEO) {
      const float q = output.encodingNeeded ? output.quality : -1.0f;
      if (videoSeen) {
        line += Format("q=%2.1f ", q);
      } else {
        videoSeen = true;
        const double elapsed = (ff.av_gettime() - runStartTime_) / 1000000.0;
        frameNumber = output.frameNumber;
        if (frameNumber < 1) return;
        fps = elapsed > 1 ? static_cast<int>(frameNumber / elapsed + 0.5) : 0;
        quality = q;
        line += Format("frame=%5d fps=%3d q=%3.1f ", frameNumber, fps, q);
        if (isLast) line += "L";
        if (options_.qpHistogram) {
          const int qp = static_cast<int>(std::nearbyint(q));
          if (qp >= 0 && qp < static_cast<int>(qpHistogram_.size())) ++qpHistogram_[qp];
          for (int i = 0; i < 32; ++i)
            line += Format("%X", static_cast<int>(std::lround(std::log2(qpHistogram_[i] + 1))));
        }
        if (output.encodingNeeded && (encoder->flags & AV_CODEC_FLAG_PSNR)) {
          double errorSum = 0;
          double scaleSum = 0;
          line += "PSNR=";
          for (int plane = 0; plane < 3; ++plane) {
            const double error = static_cast<double>(encoder->error[plane]);
            double scale = static_cast<double>(encoder->width) * encoder->height * 255.0 * 255.0 *
                           frameNumber;
            if (plane) scale /= 4;
            errorSum += error;
            scaleSum += scale;
            line += Format("%c:%2.2f ", "YUV"[plane], -10.0 * std::log10(error / scale));
          }
          line += Format("*:%2.2f ", -10.0 * std::log10(errorSum / scaleSum));
        }
      }
    }
    const std::int64_t end = output.config->endPts;
    if (end != AV_NOPTS_VALUE) {
      const double t = end * av_q2d(output.stream->time_base);
      if (t > 0 && t < reportTime) {
        reportTime = t;
        clockSeen = true;
      }
    }
  }
  if (!clockSeen) reportTime = 0;
  if (reportTime < 0.01) reportTime = 0.01;

  if (OnProgress || options_.verbose > 0 || isLast) {
    const double bitRate = totalSize * 8 / reportTime / 1000.0;
    line += Format("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", totalSize / 1024.0, reportTime,
                   bitRate);
    if (options_.verbose > 1) line += Format(" dup=%d drop=%d", duplicatedFrames_, droppedFrames_);
    if (OnProgress) {
      OnProgress(videoSeen ? frameNumber : -1, videoSeen ? fps : -1,
                 static_cast<int>(reportTime * 1000), videoSeen ? quality : -1.0f,
                 static_cast<float>(bitRate), totalSize, options_.totalOutputDuration);
    } else if (options_.verbose >= 0) {
      Log(1, line);
    }
  }
  if (isLast && options_.verbose >= 0) {
    const std::int64_t raw = videoBytes_ + audioBytes_ + globalHeaderBytes_;
    const std::string overhead =
        raw > 0 ? Format("%f%%", 100.0 * (totalSize - raw) / raw) : std::string("unknown");
    Log(1, Format("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead ",
                  videoBytes_ / 1024.0, audioBytes_ / 1024.0, globalHeaderBytes_ / 1024.0) +
               overhead + "\r\n");
  }
}

void TCustomFFmpeg::Transcode() {
  // A receiver of the engine's events may throw anything; the run ends with
  // an error of the engine's own kind either way.
  try {
    RunTranscode();
  } catch (const FFmpegException &) {
    throw;
  } catch (const std::exception &e) {
    throw FFmpegException(e.what());
  } catch (abi::__forced_unwind &) {
    throw;  // a thread being cancelled
  } catch (...) {
    throw FFmpegException("The run was ended by an exception of unknown type");
  }
}

void TCustomFFmpeg::RunTranscode() {
  finished_ = false;
  videoBytes_ = audioBytes_ = globalHeaderBytes_ = 0;
  duplicatedFrames_ = droppedFrames_ = 0;
  qpHistogram_.fill(0);
  for (const auto &entry : outputs_) entry->packetsWritten = 0;
  if (!ff.av_read_frame) throw FFmpegException("The codec libraries are not loaded");
  struct Release {
    TCustomFFmpeg *engine;
    ~Release() {
      engine->interruptIo_ = false;
      engine->run_.reset();
    }
  } release{this};
  run_ = std::make_unique<RunState>();
  SetUp(*run_);
  interruptIo_ = true;
  RunMainLoop(*run_);
  // The trailers are written even after a stop request.
  interruptIo_ = false;
  FinishRun(*run_);
  if (!runControl_.StopRequested())
    for (const auto &entry : outputs_)
      if (entry->packetsWritten == 0)
        throw FFmpegException("Output file is empty, nothing was encoded");
  finished_ = !runControl_.StopRequested();
}

}  // namespace velmora
