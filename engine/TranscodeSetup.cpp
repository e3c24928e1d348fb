// The set-up of a run: the input and output stream tables, the mapping of
// every output stream to its source, the codec parameters of each output
// stream (taken over for stream copy, prepared for re-encoding), the opening
// of encoders and decoders, the metadata maps and the headers. Also the
// closing of codecs and the clearing of the engine after a run.
#include <sys/stat.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "engine/CustomFFmpeg.h"
#include "engine/FormatText.h"
#include "engine/RunState.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryTexts.h"
#include "libav/PreviewLock.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

// Containers that keep every timestamp exactly in any time base.
constexpr std::string_view kExactTimingFormats[] = {"mov", "mp4",  "3gp",  "3g2",
                                                    "psp", "ipod", "ismv", "f4v"};

bool KeepsExactTiming(const AVOutputFormat *format) {
  if (format->flags & AVFMT_VARIABLE_FPS) return true;
  for (std::string_view name : kExactTimingFormats)
    if (name == format->name) return true;
  return false;
}

// The time base a copied stream is muxed in: the input stream's, unless
// that is much finer than the frame duration and the container counts in
// frames; then one frame.
AVRational CopyTimeBase(const AVStream *input, const AVOutputFormat *format) {
  const AVRational streamBase = input->time_base;
  const AVRational rate = input->r_frame_rate;
  if (input->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || KeepsExactTiming(format) ||
      rate.num <= 0 || rate.den <= 0)
    return streamBase;
  const AVRational frame = av_inv_q(rate);
  const bool steadyRate =
      input->avg_frame_rate.num == 0 || av_q2d(rate) >= av_q2d(input->avg_frame_rate);
  if (steadyRate && av_q2d(frame) > av_q2d(streamBase) && av_q2d(streamBase) < 1.0 / 1000)
    return frame;
  return streamBase;
}

// What an opened encoder declares about its stream as a whole (its buffer
// size and maximum rate, for one) goes to the muxer with the stream: the
// MPEG muxers size their buffers and mux rate from it.
void CopyCodedSideData(AVStream *stream, const AVCodecContext *encoder) {
  for (int i = 0; i < encoder->nb_coded_side_data; ++i) {
    const AVPacketSideData &data = encoder->coded_side_data[i];
    std::uint8_t *copy = ff.av_stream_new_side_data(stream, data.type, data.size);
    if (!copy) throw FFmpegException("av_malloc fail");
    std::memcpy(copy, data.data, data.size);
  }
}

}  // namespace

// The previews are switched from another thread, under the preview lock.
bool TCustomFFmpeg::PreviewSwitchedOn() const {
  std::lock_guard<std::mutex> guard(PreviewLock());
  return PreviewFlags != 0;
}

void TCustomFFmpeg::BuildInputTables(RunState &run) {
  int first = 0;
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    InputEntry &entry = *inputs_[i];
    const int count = static_cast<int>(entry.context->nb_streams);
    run.files.push_back({false, first, count});
    for (int s = 0; s < count; ++s) {
      InputStreamRecord record;
      record.fileIndex = static_cast<int>(i);
      record.streamIndex = s;
      record.stream = entry.context->streams[s];
      // A stream the demuxer found after opening has no slot of its own.
      if (s < static_cast<int>(entry.streams.size())) {
        record.decoder = entry.streams[s].decoder.get();
        record.forcedDecoder = entry.streams[s].forcedDecoder;
      }
      if (options_.rateEmulation) record.start = ff.av_gettime();
      run.inputStreams.push_back(std::move(record));
    }
    first += count;
  }
}

void TCustomFFmpeg::MapStreams(RunState &run) {
  const std::vector<StreamMap> &maps = options_.streamMaps;
  int n = 0;
  for (std::size_t j = 0; j < outputList_.size(); ++j) {
    AVFormatContext *output = outputList_[j]->context.get();
    for (unsigned k = 0; k < output->nb_streams; ++k, ++n) {
      OutputStreamRecord &record = run.outputStreams[n];
      record.fileIndex = static_cast<int>(j);
      record.streamIndex = static_cast<int>(k);
      record.file = outputList_[j];
      record.config = outputList_[j]->streams[k].get();
      record.stream = output->streams[k];
      const AVMediaType type = record.config->codec->codec_type;
      auto mismatch = [&](const std::string &message) {
        ff.av_dump_format(output, static_cast<int>(j), outputList_[j]->url.c_str(), 1);
        throw FFmpegException(message);
      };
      int source = -1;
      if (!maps.empty()) {
        const StreamMap &map = maps[n];
        source = run.files[map.fileIndex].firstStream + map.streamIndex;
        const AVMediaType inputType = run.inputStreams[source].stream->codecpar->codec_type;
        if (inputType != type)
          mismatch(Format("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                          map.fileIndex, map.streamIndex, MediaTypeName(inputType).c_str(),
                          static_cast<int>(j), static_cast<int>(k),
                          MediaTypeName(type).c_str()));
      } else {
        const bool copy = record.config->streamCopy;
        auto usable = [&](const InputStreamRecord &input) {
          return input.stream->codecpar->codec_type == type &&
                 AutomaticChoiceTakes(input.stream, input.forcedDecoder, copy);
        };
        auto acceptable = [&](const InputStreamRecord &input) {
          return input.unmapped && usable(input) &&
                 (!joinMode_ || input.fileIndex == static_cast<int>(j));
        };
        if (options_.programId != 0) {
          for (std::size_t f = 0; f < inputs_.size() && source < 0; ++f) {
            const AVFormatContext *input = inputs_[f]->context.get();
            for (unsigned p = 0; p < input->nb_programs && source < 0; ++p) {
              const AVProgram *program = input->programs[p];
              if (program->id != options_.programId) continue;
              for (unsigned s = 0; s < program->nb_stream_indexes && source < 0; ++s) {
                const int index = run.files[f].firstStream +
                                  static_cast<int>(program->stream_index[s]);
                if (acceptable(run.inputStreams[index])) source = index;
              }
            }
          }
        } else {
          for (std::size_t i = 0; i < run.inputStreams.size() && source < 0; ++i)
            if (acceptable(run.inputStreams[i])) source = static_cast<int>(i);
        }
        // Several outputs may share the last stream of a kind.
        if (source < 0 && options_.programId == 0 && !joinMode_) {
          for (std::size_t i = 0; i < run.inputStreams.size(); ++i)
            if (usable(run.inputStreams[i])) source = static_cast<int>(i);
        }
        if (source < 0)
          mismatch(Format("Could not find input stream matching output stream #%d.%d (%s)",
                          static_cast<int>(j), static_cast<int>(k),
                          MediaTypeName(type).c_str()));
      }
      record.sourceIndex = source;
      run.inputStreams[source].unmapped = false;
      if (!maps.empty()) {
        const StreamMap &map = maps[n];
        record.sync = &run.inputStreams[run.files[map.syncFileIndex].firstStream +
                                        map.syncStreamIndex];
      } else {
        record.sync = &run.inputStreams[source];
      }
    }
  }
}

void TCustomFFmpeg::PrepareStreamCopy(OutputStreamRecord &output, InputStreamRecord &source) {
  const AVMediaType type = source.stream->codecpar->codec_type;
  switch (type) {
    case AVMEDIA_TYPE_VIDEO:
      if (CustomHookInstalled)
        throw FFmpegException(
            "-vcodec copy and CustomHook are incompatible (frames are not decoded)");
      if (options_.usingFrameHooks)
        throw FFmpegException("-vcodec copy and -vhook are incompatible (frames are not decoded)");
      if (PreviewSwitchedOn())
        throw FFmpegException(
            "-vcodec copy and PostHooks are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_AUDIO:
      if (options_.audioVolume != 256)
        throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      break;
    default:
      throw FFmpegException("invalid codec_type of output stream");
  }
  // In join mode the later segments share the stream of the first one,
  // whose parameters go into the header.
  if (output.fileIndex != 0 && joinMode_) return;

  AVStream *stream = output.stream;
  const AVCodecParameters *in = source.stream->codecpar;
  const std::uint32_t givenTag = output.config->codec->codec_tag;
  const AVRational aspect = stream->sample_aspect_ratio;
  if (ff.avcodec_parameters_copy(stream->codecpar, in) < 0)
    throw FFmpegException("Could not copy the stream parameters");
  AVCodecParameters *par = stream->codecpar;
  const AVOutputFormat *format = output.file->context->oformat;
  std::uint32_t tag = StorableTag(format, in->codec_id, givenTag);
  if (!tag) {
    const AVCodecTag *const *table = format->codec_tag;
    unsigned int known = 0;
    if (!table || ff.av_codec_get_id(table, in->codec_tag) == in->codec_id ||
        !ff.av_codec_get_tag2(table, in->codec_id, &known))
      tag = in->codec_tag;
  }
  par->codec_tag = tag;
  stream->time_base = CopyTimeBase(source.stream, format);
  stream->avg_frame_rate = source.stream->avg_frame_rate;
  stream->r_frame_rate = source.stream->r_frame_rate;
  if (type == AVMEDIA_TYPE_VIDEO) {
    par->sample_aspect_ratio = aspect;
    stream->sample_aspect_ratio = aspect;
  } else if (type == AVMEDIA_TYPE_AUDIO) {
    if ((par->block_align == 1 && par->codec_id == AV_CODEC_ID_MP3) ||
        par->codec_id == AV_CODEC_ID_AC3)
      par->block_align = 0;
  }
}

std::uint32_t TCustomFFmpeg::StorableTag(const AVOutputFormat *format, AVCodecID id,
                                         std::uint32_t tag) const {
  if (!tag || !format->codec_tag) return tag;
  const AVCodecID tagged = ff.av_codec_get_id(format->codec_tag, tag);
  unsigned int ownTag = 0;
  if (tagged == id ||
      (tagged == AV_CODEC_ID_NONE && !ff.av_codec_get_tag2(format->codec_tag, id, &ownTag)))
    return tag;
  char text[AV_FOURCC_MAX_STRING_SIZE] = "";
  ff.av_fourcc_make_string(text, tag);
  Log(1, Format("Codec tag %s cannot be stored in %s, using the container's own tag", text,
                format->name));
  return 0;
}

// Parameters that today's encoders and muxers refuse where the options
// allowed them: a codec tag the container cannot store is dropped, and a
// sample rate the encoder does not list becomes the nearest listed rate
// (the higher of two equally near).
void TCustomFFmpeg::AdaptEncoderParameters(OutputStreamRecord &output) {
  AVCodecContext *encoder = output.config->codec.get();
  const AVOutputFormat *format = output.file->context->oformat;
  encoder->codec_tag = StorableTag(format, encoder->codec_id, encoder->codec_tag);
  // The JPEG encoder takes full-range pictures only.
  if (encoder->codec_id == AV_CODEC_ID_MJPEG) {
    switch (encoder->pix_fmt) {
      case AV_PIX_FMT_YUV420P: encoder->pix_fmt = AV_PIX_FMT_YUVJ420P; break;
      case AV_PIX_FMT_YUV422P: encoder->pix_fmt = AV_PIX_FMT_YUVJ422P; break;
      case AV_PIX_FMT_YUV444P: encoder->pix_fmt = AV_PIX_FMT_YUVJ444P; break;
      default: break;
    }
  }
  if (encoder->codec_type != AVMEDIA_TYPE_AUDIO) return;
  const AVCodec *codec = output.config->forcedEncoder
                             ? output.config->forcedEncoder
                             : ff.avcodec_find_encoder(encoder->codec_id);
  if (!codec || !codec->supported_samplerates || encoder->sample_rate <= 0) return;
  int best = 0;
  for (const int *rate = codec->supported_samplerates; *rate; ++rate) {
    if (*rate == encoder->sample_rate) return;
    const long distance = std::labs(static_cast<long>(*rate) - encoder->sample_rate);
    const long bestDistance = std::labs(static_cast<long>(best) - encoder->sample_rate);
    if (best == 0 || distance < bestDistance || (distance == bestDistance && *rate > best))
      best = *rate;
  }
  if (best == 0) return;
  Log(1, Format("Sample rate %d Hz is not supported by the %s encoder, using %d Hz",
                encoder->sample_rate, codec->name, best));
  encoder->sample_rate = best;
  encoder->time_base = {1, best};
}

void TCustomFFmpeg::PrepareEncoding(RunState &, OutputStreamRecord &output,
                                    InputStreamRecord &source, int recordNumber) {
  AVCodecContext *encoder = output.config->codec.get();
  if (!(joinMode_ && output.fileIndex != 0)) AdaptEncoderParameters(output);
  const AVCodecParameters *in = source.stream->codecpar;
  switch (encoder->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      output.fifo.reset(ff.av_audio_fifo_alloc(encoder->sample_fmt,
                                               std::max(1, encoder->ch_layout.nb_channels), 1024));
      if (!output.fifo) throw FFmpegException("av_fifo_init fail");
      output.audioResample = encoder->sample_rate != in->sample_rate || options_.audioSync > 1;
      break;
    case AVMEDIA_TYPE_SUBTITLE: {
      // Text subtitles can become text and pictures pictures, nothing else.
      const AVCodecDescriptor *from = ff.avcodec_descriptor_get(in->codec_id);
      const AVCodecDescriptor *to = ff.avcodec_descriptor_get(encoder->codec_id);
      constexpr int kKinds = AV_CODEC_PROP_TEXT_SUB | AV_CODEC_PROP_BITMAP_SUB;
      if (from && to && (from->props & kKinds) && (to->props & kKinds) &&
          (from->props & kKinds) != (to->props & kKinds))
        throw FFmpegException(
            "Subtitle encoding currently only possible from text to text or bitmap to bitmap");
      // Subtitle times are handed over in microseconds, the engine's clock.
      encoder->time_base = {1, AV_TIME_BASE};
      if (encoder->width <= 0 || encoder->height <= 0) {
        encoder->width = in->width;
        encoder->height = in->height;
      }
      break;
    }
    case AVMEDIA_TYPE_VIDEO: {
      // A damaged or cut file can leave the probe without the picture size
      // or pixel format; neither a scaler nor a filter can be made for it.
      if (in->width <= 0 || in->height <= 0 || in->format < 0)
        throw FFmpegException(Format(
            "Cannot decode input stream #%d.%d (Video): its picture size or pixel format is "
            "unknown (the file may be damaged or cut short)",
            source.fileIndex, source.streamIndex));
      output.inputWidth = in->width;
      output.inputHeight = in->height;
      output.inputFormat = in->format;
      const TOptionState &o = options_;
      output.videoCrop = o.cropTop || o.cropBottom || o.cropLeft || o.cropRight;
      output.videoPad = o.padTop || o.padBottom || o.padLeft || o.padRight;
      output.videoResample =
          in->width + o.padLeft + o.padRight - o.cropLeft - o.cropRight != encoder->width ||
          in->height + o.padTop + o.padBottom - o.cropTop - o.cropBottom != encoder->height ||
          in->format != encoder->pix_fmt;
      if (output.videoCrop) {
        output.topBand = o.cropTop;
        output.leftBand = o.cropLeft;
      }
      if (output.videoPad) {
        output.padTop = o.padTop;
        output.padBottom = o.padBottom;
        output.padLeft = o.padLeft;
        output.padRight = o.padRight;
      }
      auto allocatePicture = [&](const char *failText) {
        output.pictureBuffer.reset(ff.av_frame_alloc());
        if (!output.pictureBuffer) throw FFmpegException(failText);
        output.pictureBuffer->format = encoder->pix_fmt;
        output.pictureBuffer->width = encoder->width;
        output.pictureBuffer->height = encoder->height;
        if (ff.av_frame_get_buffer(output.pictureBuffer.get(), 0) < 0)
          throw FFmpegException(failText);
      };
      if (output.videoPad && !output.videoResample) allocatePicture("avpicture_alloc fail");
      if (output.videoResample) {
        allocatePicture("Cannot allocate temp picture, check pix fmt");
        std::int64_t flags = o.swsFlags;
        if (ScalerTemplate()) ff.av_opt_get_int(ScalerTemplate(), "sws_flags", 0, &flags);
        options_.swsFlags = static_cast<int>(flags);
        output.scaler.reset(ff.sws_getContext(
            in->width - o.cropLeft - o.cropRight, in->height - o.cropTop - o.cropBottom,
            static_cast<AVPixelFormat>(in->format), encoder->width - o.padLeft - o.padRight,
            encoder->height - o.padTop - o.padBottom, encoder->pix_fmt, options_.swsFlags,
            nullptr, nullptr, nullptr));
        if (!output.scaler) throw FFmpegException("Cannot get resampling context");
        output.resampleHeight =
            filtersInUse_ ? in->height : in->height - o.cropTop - o.cropBottom;
      }
      if (filtersInUse_) {
        lastError_.clear();
        if (!ConfigureFilters(output, source))
          throw FFmpegException(lastError_.empty() ? std::string("Error opening filters!")
                                                   : "Error opening filters: " + lastError_);
      }
      break;
    }
    default:
      throw FFmpegException("invalid codec_type of output stream");
  }
  source.decodingNeeded = true;
  output.encodingNeeded = true;

  // The output's description, printed before the encoders open, shows the
  // parameters they are opened with.
  if (joinMode_ && output.fileIndex != 0) return;
  if (ff.avcodec_parameters_from_context(output.stream->codecpar, encoder) < 0)
    throw FFmpegException("Could not copy the encoder parameters");

  // Two-pass statistics, for the stream's own encoder only.
  if (!(encoder->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2))) return;
  std::string name = (options_.passLogFileName.empty() ? std::string("ffmpeg2pass")
                                                       : options_.passLogFileName) +
                     "-" + std::to_string(recordNumber) + ".log";
  if (name.size() > 1023) name.resize(1023);
  if (encoder->flags & AV_CODEC_FLAG_PASS1) {
    output.twoPassLog.reset(std::fopen(name.c_str(), "w"));
    if (!output.twoPassLog)
      throw FFmpegException("Cannot write log file " + name + " for pass-1 encoding");
    return;
  }
  StdioFilePtr file(std::fopen(name.c_str(), "rb"));
  if (!file) throw FFmpegException("Cannot read log file " + name + " for pass-2 encoding");
  std::fseek(file.get(), 0, SEEK_END);
  const long size = std::ftell(file.get());
  std::fseek(file.get(), 0, SEEK_SET);
  auto *text = static_cast<char *>(ff.av_malloc(static_cast<std::size_t>(std::max(0L, size)) + 1));
  if (!text) throw FFmpegException("Could not allocate log buffer");
  const std::size_t read = std::fread(text, 1, static_cast<std::size_t>(std::max(0L, size)), file.get());
  text[read] = 0;
  ff.av_freep(&encoder->stats_in);
  encoder->stats_in = text;
}

void TCustomFFmpeg::PrepareBitstreamFilters(OutputStreamRecord &output) {
  OutputStreamConfig &config = *output.config;
  if (config.bitstreamFilters.empty() || config.filterChain) return;
  for (const BitstreamFilterEntry &filter : config.bitstreamFilters)
    config.filterNames += (config.filterNames.empty() ? "" : ",") + filter.name;
  AVBSFContext *chain = nullptr;
  int result = ff.av_bsf_list_parse_str(config.filterNames.c_str(), &chain);
  config.filterChain.reset(chain);
  if (result >= 0) result = ff.avcodec_parameters_copy(chain->par_in, output.stream->codecpar);
  if (result >= 0) {
    chain->time_base_in = output.stream->time_base;
    result = ff.av_bsf_init(chain);
  }
  // The filters may change the parameters the header describes.
  if (result >= 0) result = ff.avcodec_parameters_copy(output.stream->codecpar, chain->par_out);
  if (result < 0) {
    config.filterChain.reset();
    throw FFmpegException(
        OpenErrorText(Format("%s failed for stream %d, codec %s", config.filterNames.c_str(),
                             output.stream->index,
                             config.streamCopy ? "copy" : ff.avcodec_get_name(config.codec->codec_id)),
                      result));
  }
}

void TCustomFFmpeg::OpenCodecs(RunState &run) {
  const int encoderRecords = joinMode_ ? run.segmentSize : static_cast<int>(run.outputStreams.size());
  for (int n = 0; n < encoderRecords; ++n) {
    OutputStreamRecord &output = run.outputStreams[n];
    if (!output.encodingNeeded) continue;
    OutputStreamConfig &config = *output.config;
    AVCodecContext *encoder = config.codec.get();
    const AVCodec *codec =
        config.forcedEncoder ? config.forcedEncoder : ff.avcodec_find_encoder(encoder->codec_id);
    const std::string typeName = MediaTypeName(encoder->codec_type);
    if (!codec)
      throw FFmpegException(Format("Unsupported codec for output stream #%d.%d (%s)",
                                   output.fileIndex, output.streamIndex, typeName.c_str()));
    // A subtitle encoder starts from the header of its source's decoder
    // (the styles of text subtitles), which that decoder makes when opened.
    if (encoder->codec_type == AVMEDIA_TYPE_SUBTITLE) {
      InputStreamRecord &source = run.inputStreams[output.sourceIndex];
      OpenDecoder(source);
      if (source.decoder->subtitle_header_size > 0 && !encoder->subtitle_header) {
        const int size = source.decoder->subtitle_header_size;
        encoder->subtitle_header = static_cast<std::uint8_t *>(ff.av_mallocz(size + 1));
        if (!encoder->subtitle_header) throw FFmpegException("av_malloc fail");
        std::memcpy(encoder->subtitle_header, source.decoder->subtitle_header, size);
        encoder->subtitle_header_size = size;
      }
    }
    DictionaryPtr privateOptions = DictionaryFromPairs(PrivateCodecOptions());
    if (CodecThreads > 0) encoder->thread_count = CodecThreads;
    int result = 0;
    {
      std::lock_guard<std::mutex> guard(CodecLock());
      result = ff.avcodec_open2(encoder, codec, InOutPtr(privateOptions));
    }
    if (result < 0)
      throw FFmpegException(Format(
          "Error while opening codec for output stream #%d.%d (%s) - maybe incorrect parameters "
          "such as bit_rate, rate, width or height",
          output.fileIndex, output.streamIndex, typeName.c_str()));
    openedEncoders_.push_back(&config.codec);
    globalHeaderBytes_ += encoder->extradata_size;
    if (ff.avcodec_parameters_from_context(output.stream->codecpar, encoder) < 0)
      throw FFmpegException("Could not copy the encoder parameters");
    CopyCodedSideData(output.stream, encoder);
    output.stream->time_base = encoder->time_base;
  }

  for (InputStreamRecord &input : run.inputStreams)
    if (input.decodingNeeded) OpenDecoder(input);
}

void TCustomFFmpeg::OpenDecoder(InputStreamRecord &input) {
  if (input.decoderOpened) return;
  const AVCodecParameters *par = input.stream->codecpar;
  const std::string typeName = MediaTypeName(par->codec_type);
  const AVCodec *codec =
      input.forcedDecoder ? input.forcedDecoder : ff.avcodec_find_decoder(par->codec_id);
  if (!codec)
    throw FFmpegException(Format("Unsupported codec (id=%d) for input stream #%d.%d (%s)",
                                 static_cast<int>(par->codec_id), input.fileIndex,
                                 input.streamIndex, typeName.c_str()));
  int result = AVERROR(EINVAL);
  if (input.decoder) {
    if (CodecThreads > 0) input.decoder->thread_count = CodecThreads;
    std::lock_guard<std::mutex> guard(CodecLock());
    result = ff.avcodec_open2(input.decoder, codec, nullptr);
  }
  if (result < 0)
    throw FFmpegException(Format("Error while opening codec for input stream #%d.%d (%s)",
                                 input.fileIndex, input.streamIndex, typeName.c_str()));
  openedDecoders_.push_back(&inputs_[input.fileIndex]->streams[input.streamIndex].decoder);
  input.decoderOpened = true;
}

void TCustomFFmpeg::CopyMetadata() {
  for (const MetadataMap &map : options_.metadataMaps) {
    if (map.outputFile < 0 || map.outputFile >= static_cast<int>(outputList_.size()))
      throw FFmpegException(Format("Invalid output file index %d map_meta_data(%d,%d)",
                                   map.outputFile, map.outputFile, map.inputFile));
    if (map.inputFile < 0 || map.inputFile >= static_cast<int>(inputs_.size()))
      throw FFmpegException(Format("Invalid input file index %d map_meta_data(%d,%d)",
                                   map.inputFile, map.outputFile, map.inputFile));
    ff.av_dict_copy(&outputList_[map.outputFile]->context->metadata,
                    inputs_[map.inputFile]->context->metadata, 0);
  }
}

void TCustomFFmpeg::WriteHeaders(RunState &run) {
  for (OutputStreamRecord &output : run.outputStreams) PrepareBitstreamFilters(output);
  const std::size_t headers = joinMode_ ? 1 : outputList_.size();
  for (std::size_t j = 0; j < headers; ++j) {
    OutputEntry &entry = *outputList_[j];
    DictionaryPtr options;
    if (entry.muxerOptions) ff.av_dict_copy(InOutPtr(options), entry.muxerOptions.get(), 0);
    const int result = ff.avformat_write_header(entry.context.get(), InOutPtr(options));
    if (result < 0)
      throw FFmpegException(Format(
          "Could not write header for output file #%d (incorrect codec parameters ?)",
          static_cast<int>(j)));
    entry.headerWritten = true;
  }
  bool allRtp = !outputs_.empty();
  for (const auto &entry : outputs_)
    allRtp = allRtp && std::string_view(entry->context->oformat->name) == "rtp";
  if (allRtp && OnLog) {
    std::vector<AVFormatContext *> contexts;
    for (const auto &entry : outputs_) contexts.push_back(entry->context.get());
    char sdp[2048] = "";
    ff.av_sdp_create(contexts.data(), static_cast<int>(contexts.size()), sdp, sizeof sdp);
    std::string text = sdp;
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    Log(1, "SDP:\r\n" + text);
  }
}

void TCustomFFmpeg::SetUp(RunState &run) {
  BuildInputTables(run);

  int total = 0;
  for (std::size_t j = 0; j < outputList_.size(); ++j) {
    AVFormatContext *output = outputList_[j]->context.get();
    if (output->nb_streams == 0) {
      ff.av_dump_format(output, static_cast<int>(j), outputList_[j]->url.c_str(), 1);
      throw FFmpegException(Format("Output file #%d does not contain any stream", static_cast<int>(j)));
    }
    total += static_cast<int>(output->nb_streams);
  }
  if (outputList_.empty()) throw FFmpegException("At least one output file must be specified");
  run.segmentSize = static_cast<int>(outputList_[0]->context->nb_streams);

  const std::vector<StreamMap> &maps = options_.streamMaps;
  if (!maps.empty() && static_cast<int>(maps.size()) != total)
    throw FFmpegException("Number of stream maps must match number of output streams");
  auto validStream = [&](int file, int stream) {
    return file >= 0 && file < static_cast<int>(run.files.size()) && stream >= 0 &&
           stream < run.files[file].streamCount;
  };
  for (const StreamMap &map : maps) {
    if (!validStream(map.fileIndex, map.streamIndex))
      throw FFmpegException(
          Format("Could not find input stream #%d.%d", map.fileIndex, map.streamIndex));
    if (!validStream(map.syncFileIndex, map.syncStreamIndex))
      throw FFmpegException(
          Format("Could not find sync stream #%d.%d", map.syncFileIndex, map.syncStreamIndex));
  }

  run.outputStreams.resize(total);
  MapStreams(run);

  for (int n = 0; n < total; ++n) {
    OutputStreamRecord &output = run.outputStreams[n];
    InputStreamRecord &source = run.inputStreams[output.sourceIndex];
    if (!(joinMode_ && output.fileIndex != 0)) {
      const AVDictionaryEntry *language =
          ff.av_dict_get(source.stream->metadata, "language", nullptr, 0);
      if (language && !ff.av_dict_get(output.stream->metadata, "language", nullptr, 0))
        ff.av_dict_set(&output.stream->metadata, "language", language->value, 0);
      output.stream->disposition = source.stream->disposition;
    }
    if (output.config->streamCopy)
      PrepareStreamCopy(output, source);
    else
      PrepareEncoding(run, output, source, n);
  }
  for (OutputStreamRecord &output : run.outputStreams)
    run.inputStreams[output.sourceIndex].outputs.push_back(&output);

  const std::size_t dumps = joinMode_ ? 1 : outputList_.size();
  for (std::size_t j = 0; j < dumps; ++j)
    ff.av_dump_format(outputList_[j]->context.get(), static_cast<int>(j),
                      outputList_[j]->url.c_str(), 1);
  if (options_.verbose >= 0) {
    Log(1, "Stream mapping:");
    for (const OutputStreamRecord &output : run.outputStreams) {
      const InputStreamRecord &source = run.inputStreams[output.sourceIndex];
      const std::string typeName = MediaTypeName(output.config->codec->codec_type);
      Log(1, Format("  Stream #%d.%d -> #%d.%d (%s)", source.fileIndex, source.streamIndex,
                    joinMode_ ? 0 : output.fileIndex, output.streamIndex, typeName.c_str()));
      if (output.sync != &source)
        Log(1, Format(" [sync #%d.%d (%s)]", output.sync->fileIndex, output.sync->streamIndex,
                      typeName.c_str()));
    }
  }

  OpenCodecs(run);
  for (InputStreamRecord &input : run.inputStreams) {
    input.pts = 0;
    input.nextPts = AV_NOPTS_VALUE;
    input.isStart = true;
  }
  CopyMetadata();
  WriteHeaders(run);

  run.frame.reset(ff.av_frame_alloc());
  run.packet.reset(ff.av_packet_alloc());
  run.copyPacket.reset(ff.av_packet_alloc());
  run.encodedPacket.reset(ff.av_packet_alloc());
  if (!run.frame || !run.packet || !run.copyPacket || !run.encodedPacket)
    throw FFmpegException("av_malloc fail");
  runStartTime_ = ff.av_gettime();
  run.lastReportTime = runStartTime_;
}

// Closes one list of opened codec contexts, each under the codec lock.
static void CloseCodecList(std::vector<CodecContextPtr *> &list) {
  for (CodecContextPtr *context : list) {
    std::lock_guard<std::mutex> guard(CodecLock());
    context->reset();
  }
  list.clear();
}

void TCustomFFmpeg::CloseRunCodecs(RunState &) {
  CloseCodecList(openedEncoders_);
  CloseCodecList(openedDecoders_);
}

void TCustomFFmpeg::CloseOpenedCodecs() {
  if (!ff.avcodec_free_context) return;
  CloseCodecList(openedEncoders_);
  CloseCodecList(openedDecoders_);
}

void TCustomFFmpeg::CloseOutputs() {
  for (const auto &entry : outputs_) {
    AVFormatContext *context = entry->context.get();
    if (!context) continue;
    if (context->pb && !(context->oformat->flags & AVFMT_NOFILE)) {
      CloseUrlIO(&context->pb);
      // An output that stayed empty is removed, unless it is a file of the
      // user's that was there before (a source).
      struct stat st {};
      if (stat(entry->fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0 &&
          (entry->fileOpened || !IsSourceFile(entry->fileName)))
        std::remove(entry->fileName.c_str());
    }
    entry->context.reset();
  }
  outputs_.clear();
  outputList_.clear();
  outputFileCount_ = 0;
}

void TCustomFFmpeg::CloseInputs() {
  inputs_.clear();
  inputFileCount_ = 0;
}

void TCustomFFmpeg::ClearEngine() {
  ReleaseFrameHooks();
  if (!ff.avformat_free_context) return;
  CloseOpenedCodecs();
  run_.reset();
  FreeOptionContexts();
  CloseOutputs();
  CloseInputs();
  inputStreamTotal_ = 0;
  outputStreamTotal_ = 0;
  joinMode_ = false;
  filtersInUse_ = false;
  subtitleBuffer_.clear();
  subtitleBuffer_.shrink_to_fit();
}

}  // namespace velmora
