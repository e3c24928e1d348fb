// Opening input files: the demuxer is opened with what the option state asks
// for (forced format, forced decoders, the parameters that raw and capture
// demuxers take), its streams are probed, and the picture and sound
// parameters of its streams are written back into the option state so that
// an output opened afterwards inherits them.
#include <climits>
#include <cstdio>
#include <iterator>
#include <mutex>

#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryTexts.h"
#include "libav/ScopeExit.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

constexpr int kMaxInputStreams = 400;

// Codecs the older library knew under other names. A name is looked up as
// given first; only when the library has no codec of that name is the
// present-day name of the same codec tried.
struct RenamedCodec {
  const char *oldName;
  const char *decoderName;
  const char *encoderName;
};
const RenamedCodec kRenamedCodecs[] = {
    {"libfaac", "aac", "aac"},
    {"libfaad", "aac", "aac"},
    {"mpeg4aac", "aac", "aac"},
    {"liba52", "ac3", "ac3"},
    {"libamr_nb", "libopencore_amrnb", "libopencore_amrnb"},
    {"libamr_wb", "libopencore_amrwb", "libvo_amrwbenc"},
    {"libvorbis", "libvorbis", "vorbis"},
    {"libopenjpeg", "jpeg2000", "jpeg2000"},
    {"libschroedinger", "dirac", nullptr},
    {"libdirac", "dirac", nullptr},
};

const AVCodec *LookUpCodec(const std::string &name, bool encoder) {
  return encoder ? ff.avcodec_find_encoder_by_name(name.c_str())
                 : ff.avcodec_find_decoder_by_name(name.c_str());
}

void SetDemuxerOption(DictionaryPtr &options, const char *key, const std::string &value) {
  ff.av_dict_set(InOutPtr(options), key, value.c_str(), 0);
}

std::string Rational(AVRational q) { return std::to_string(q.num) + "/" + std::to_string(q.den); }

}  // namespace

bool TCustomFFmpeg::AutomaticChoiceTakes(const AVStream *stream, const AVCodec *forcedDecoder,
                                         bool copy) {
  const AVCodecParameters *par = stream->codecpar;
  const bool decodable =
      copy ? par->codec_id != AV_CODEC_ID_NONE
           : forcedDecoder != nullptr || ff.avcodec_find_decoder(par->codec_id) != nullptr;
  switch (par->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      return decodable && par->width > 0 && par->height > 0;
    case AVMEDIA_TYPE_AUDIO:
      return decodable && par->ch_layout.nb_channels > 0 && par->sample_rate > 0;
    case AVMEDIA_TYPE_SUBTITLE:
      return decodable;
    default:
      return true;
  }
}

AVFormatContext *TCustomFFmpeg::InputContext(int index) const {
  if (index < 0 || index >= static_cast<int>(inputs_.size())) return nullptr;
  return inputs_[index]->context.get();
}

bool TCustomFFmpeg::FindCodecByName(const std::optional<std::string> &name, AVMediaType type,
                                    bool encoder, AVCodecID &id, const AVCodec **codecOut) {
  id = AV_CODEC_ID_NONE;
  if (codecOut) *codecOut = nullptr;
  if (!name) return true;
  const char *kind = encoder ? "encoder" : "decoder";
  const AVCodec *codec = LookUpCodec(*name, encoder);
  if (!codec) {
    for (const RenamedCodec &row : kRenamedCodecs) {
      const char *newName = encoder ? row.encoderName : row.decoderName;
      if (*name != row.oldName || !newName || *name == newName) continue;
      codec = LookUpCodec(newName, encoder);
      if (codec) Log(1, "Using " + std::string(kind) + " '" + newName + "' for '" + *name + "'");
      break;
    }
  }
  if (!codec) {
    lastError_ = "Unknown " + std::string(kind) + " '" + *name + "'";
    return false;
  }
  if (codec->type != type) {
    lastError_ = "Invalid " + std::string(kind) + " type '" + *name + "'";
    return false;
  }
  id = codec->id;
  if (codecOut) *codecOut = codec;
  return true;
}

// What is reset after every input, opened or not: the forced formats, the
// video channel and the codec names apply to one input only.
void TCustomFFmpeg::ResetAfterInput() {
  options_.forcedInputFormat = nullptr;
  options_.forcedOutputFormat = nullptr;
  options_.videoChannel = 0;
  options_.videoCodecName.reset();
  options_.audioCodecName.reset();
  options_.subtitleCodecName.reset();
}

int TCustomFFmpeg::InterruptCallback(void *opaque) {
  auto *engine = static_cast<TCustomFFmpeg *>(opaque);
  return engine->interruptIo_ && engine->runControl_.StopRequested() ? 1 : 0;
}

bool TCustomFFmpeg::OpenInputFile(const std::string &fileName) {
  const ScopeExit reset([this] { ResetAfterInput(); });

  if (!ff.avformat_open_input) {
    lastError_ = "The codec libraries are not loaded";
    return false;
  }
  if (static_cast<int>(inputs_.size()) >= kMaxInputFiles) {
    lastError_ = "Too many input files (at most " + std::to_string(kMaxInputFiles) + ")";
    return false;
  }

  // Forced decoders by name; a failed lookup fails the open.
  AVCodecID videoId = AV_CODEC_ID_NONE;
  AVCodecID audioId = AV_CODEC_ID_NONE;
  AVCodecID subtitleId = AV_CODEC_ID_NONE;
  const AVCodec *videoDecoder = nullptr;
  const AVCodec *audioDecoder = nullptr;
  const AVCodec *subtitleDecoder = nullptr;
  if (!FindCodecByName(options_.videoCodecName, AVMEDIA_TYPE_VIDEO, false, videoId,
                       &videoDecoder) ||
      !FindCodecByName(options_.audioCodecName, AVMEDIA_TYPE_AUDIO, false, audioId,
                       &audioDecoder) ||
      !FindCodecByName(options_.subtitleCodecName, AVMEDIA_TYPE_SUBTITLE, false, subtitleId,
                       &subtitleDecoder))
    return false;
  if (options_.pgmyuvCompatibility) videoId = AV_CODEC_ID_PGMYUV;

  std::string url;
  try {
    url = UrlForFileName(fileName);
  } catch (const FFmpegException &e) {
    lastError_ = e.what();
    return false;
  }

  AVFormatContext *context = ff.avformat_alloc_context();
  if (!context) {
    lastError_ = OpenErrorText(fileName, AVERROR(ENOMEM));
    return false;
  }
  // A stop request ends a blocking read of the running loop.
  context->interrupt_callback = {&TCustomFFmpeg::InterruptCallback, this};
  ApplyGenericOptions(context, FormatTemplate(), AV_OPT_FLAG_DECODING_PARAM);
  context->video_codec_id = videoId;
  context->audio_codec_id = audioId;
  context->subtitle_codec_id = subtitleId;
  if (videoDecoder && !options_.pgmyuvCompatibility) context->video_codec = videoDecoder;
  if (audioDecoder) context->audio_codec = audioDecoder;
  if (subtitleDecoder) context->subtitle_codec = subtitleDecoder;

  // The parameters of raw and capture demuxers; a demuxer ignores the keys
  // it has no option for.
  DictionaryPtr demuxerOptions;
  SetDemuxerOption(demuxerOptions, "sample_rate", std::to_string(options_.audioSampleRate));
  {
    AVChannelLayout layout{};
    ff.av_channel_layout_default(&layout, options_.audioChannels);
    char description[64] = "";
    if (ff.av_channel_layout_describe(&layout, description, sizeof description) > 0)
      SetDemuxerOption(demuxerOptions, "ch_layout", description);
    ff.av_channel_layout_uninit(&layout);
  }
  if (options_.frameRate.num > 0 && options_.frameRate.den > 0)
    SetDemuxerOption(demuxerOptions, "framerate", Rational(options_.frameRate));
  const int width = options_.frameWidth + options_.padLeft + options_.padRight;
  const int height = options_.frameHeight + options_.padTop + options_.padBottom;
  if (options_.frameWidth > 0 && options_.frameHeight > 0)
    SetDemuxerOption(demuxerOptions, "video_size", std::to_string(width) + "x" + std::to_string(height));
  if (options_.pixelFormat >= 0) {
    if (const char *pixelName = ff.av_get_pix_fmt_name(static_cast<AVPixelFormat>(options_.pixelFormat)))
      SetDemuxerOption(demuxerOptions, "pixel_format", pixelName);
  }
  if (options_.videoChannel != 0)
    SetDemuxerOption(demuxerOptions, "channel", std::to_string(options_.videoChannel));
  if (options_.videoStandard) SetDemuxerOption(demuxerOptions, "standard", *options_.videoStandard);
  // Image sequences loop with -loop_input.
  if (options_.loopInput) SetDemuxerOption(demuxerOptions, "loop", "1");

  const int opened =
      OpenInputUrl(&context, url, options_.forcedInputFormat, InOutPtr(demuxerOptions));
  if (opened < 0) {
    // The library released the context.
    lastError_ = OpenErrorText(fileName, opened);
    return false;
  }
  auto entry = std::make_unique<InputEntry>();
  entry->context.reset(context);
  entry->fileName = fileName;
  entry->url = url;

  if (options_.programId != 0) {
    for (unsigned i = 0; i < context->nb_programs; ++i)
      if (context->programs[i]->id != options_.programId)
        context->programs[i]->discard = AVDISCARD_ALL;
  }

  int probed = 0;
  {
    std::lock_guard<std::mutex> guard(CodecLock());
    probed = ff.avformat_find_stream_info(context, nullptr);
  }
  // A permissive demuxer may take a file it cannot read and find nothing in it.
  if ((probed < 0 || context->nb_streams == 0) && options_.verbose >= 0) {
    lastError_ = fileName + ": could not find codec parameters";
    return false;
  }
  if (inputStreamTotal_ + static_cast<int>(context->nb_streams) > kMaxInputStreams) {
    lastError_ = "Too many input streams (at most " + std::to_string(kMaxInputStreams) + ")";
    return false;
  }

  std::int64_t timestamp = options_.startTime;
  if (context->start_time != AV_NOPTS_VALUE) timestamp += context->start_time;
  if (options_.startTime != 0) {
    // A failed seek leaves the file at its start.
    ff.av_seek_frame(context, -1, timestamp, AVSEEK_FLAG_BACKWARD);
    options_.startTime = 0;
  }

  // One decoder context per stream, filled from the stream parameters; the
  // option values are written back only once every stream was accepted.
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    AVStream *stream = context->streams[i];
    const AVCodecParameters *par = stream->codecpar;
    if (par->codec_type < AVMEDIA_TYPE_UNKNOWN || par->codec_type >= AVMEDIA_TYPE_NB)
      throw FFmpegException("invalid codec_type");
    InputEntry::Stream slot;
    switch (par->codec_type) {
      case AVMEDIA_TYPE_VIDEO: slot.forcedDecoder = videoDecoder; break;
      case AVMEDIA_TYPE_AUDIO: slot.forcedDecoder = audioDecoder; break;
      case AVMEDIA_TYPE_SUBTITLE: slot.forcedDecoder = subtitleDecoder; break;
      default: break;
    }
    const AVCodec *decoder =
        slot.forcedDecoder ? slot.forcedDecoder : ff.avcodec_find_decoder(par->codec_id);
    slot.decoder.reset(ff.avcodec_alloc_context3(decoder));
    if (!slot.decoder || ff.avcodec_parameters_to_context(slot.decoder.get(), par) < 0) {
      lastError_ = OpenErrorText(fileName, AVERROR(ENOMEM));
      return false;
    }
    slot.decoder->pkt_timebase = stream->time_base;
    slot.decoder->thread_count = options_.threadCount;
    entry->streams.push_back(std::move(slot));
  }

  for (unsigned i = 0; i < context->nb_streams; ++i) {
    AVStream *stream = context->streams[i];
    AVCodecContext *decoder = entry->streams[i].decoder.get();
    switch (stream->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        ApplyGenericOptions(decoder, CodecTemplate(AVMEDIA_TYPE_VIDEO),
                            AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_DECODING_PARAM);
        WriteBackVideoOptions(static_cast<int>(i), stream, decoder);
        if (options_.videoDisable)
          stream->discard = AVDISCARD_ALL;
        else if (options_.videoDiscard != 0)
          stream->discard = static_cast<AVDiscard>(options_.videoDiscard);
        break;
      case AVMEDIA_TYPE_AUDIO:
        ApplyGenericOptions(decoder, CodecTemplate(AVMEDIA_TYPE_AUDIO),
                            AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_DECODING_PARAM);
        WriteBackAudioOptions(decoder);
        if (options_.audioDisable) stream->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        if (options_.subtitleDisable) stream->discard = AVDISCARD_ALL;
        break;
      default:
        break;
    }
  }

  if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
    const std::int64_t ms = context->duration / 1000;
    entry->durationMs = static_cast<int>(std::min<std::int64_t>(ms, INT_MAX));
    if (entry->durationMs > options_.totalOutputDuration)
      options_.totalOutputDuration = entry->durationMs;
  }
  entry->tsOffset =
      options_.copyTimestamps ? options_.inputTsOffset : options_.inputTsOffset - timestamp;
  entry->tsScale = options_.inputTsScale[inputs_.size()];

  if (options_.verbose >= 0)
    ff.av_dump_format(context, static_cast<int>(inputs_.size()), url.c_str(), 0);

  inputStreamTotal_ += static_cast<int>(context->nb_streams);
  inputs_.push_back(std::move(entry));
  inputFileCount_ = static_cast<int>(inputs_.size());
  return true;
}

void TCustomFFmpeg::WriteBackVideoOptions(int streamIndex, const AVStream *stream,
                                          AVCodecContext *decoder) {
  options_.frameWidth = decoder->width;
  options_.frameHeight = decoder->height;
  const AVRational sar = stream->sample_aspect_ratio.num ? stream->sample_aspect_ratio
                                                         : decoder->sample_aspect_ratio;
  float aspect = sar.den ? static_cast<float>(av_q2d(sar)) : 0.0f;
  if (decoder->width * decoder->height != 0) {
    aspect = aspect != 0 ? decoder->width * aspect / decoder->height
                         : static_cast<float>(decoder->width) / decoder->height;
  } else if (aspect == 0) {
    aspect = 4.0f / 3.0f;
  }
  options_.frameAspectRatio = aspect;
  if (decoder->pix_fmt == AV_PIX_FMT_NONE) decoder->pix_fmt = AV_PIX_FMT_YUV420P;
  options_.pixelFormat = decoder->pix_fmt;

  // The container's average rate stands for the codec's own rate, which
  // today's library no longer reports for demuxed streams.
  const AVRational codecRate = stream->avg_frame_rate;
  const AVRational realRate = stream->r_frame_rate;
  if (options_.verbose > 0 && codecRate.num && codecRate.den && realRate.den &&
      av_cmp_q(codecRate, realRate) != 0) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "Seems stream %d codec frame rate differs from container frame rate: %2.2f "
                  "(%d/%d) -> %2.2f (%d/%d)",
                  streamIndex, av_q2d(codecRate), codecRate.num, codecRate.den, av_q2d(realRate),
                  realRate.num, realRate.den);
    Log(1, line);
  }
  options_.frameRate = realRate;
}

void TCustomFFmpeg::WriteBackAudioOptions(AVCodecContext *decoder) {
  options_.audioChannelLayout = decoder->ch_layout.order == AV_CHANNEL_ORDER_NATIVE
                                    ? decoder->ch_layout.u.mask
                                    : 0;
  options_.audioChannels = decoder->ch_layout.nb_channels;
  options_.audioSampleRate = decoder->sample_rate;
  options_.sampleFormat = decoder->sample_fmt;
}

}  // namespace velmora
