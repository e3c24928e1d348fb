// Output files and their streams. An output takes the container from -f or
// its file name, gets one video, audio and subtitle stream when the
// container and the inputs call for them, and opens its file at once. The
// stream parameters come from the option state, which opening an input
// filled with that input's picture and sound parameters.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "engine/CustomFFmpeg.h"
#include "engine/NumberText.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryTexts.h"
#include "libav/ScopeExit.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

// Video filters that change the frame size, which padding cannot follow.
constexpr std::string_view kResizingFilters[] = {"crop", "rotate", "scale", "transpose"};

bool ChainResizes(const std::string &chain) {
  std::string lower = chain;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::stringstream items(lower);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::string name = item.substr(0, item.find('='));
    for (std::string_view resizing : kResizingFilters)
      if (name == resizing) return true;
  }
  return false;
}

// MPEG program and transport streams mark a presentation time only on the
// packets that have one.
constexpr std::string_view kPtsOptionalFormats[] = {"mpeg", "vob", "dvd", "svcd", "vcd", "mpegts"};

// A muxer's private options are given with the header; only those the
// muxer has are passed.
bool MuxerHasOption(const AVOutputFormat *format, const char *name) {
  return format->priv_class &&
         ff.av_opt_find(const_cast<AVClass **>(&format->priv_class), name, nullptr, 0,
                        AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// The sample aspect ratio that gives the display aspect `aspect` on a
// width x height picture, as a fraction of terms up to 255.
AVRational SampleAspect(int width, int height, float aspect) {
  const double ratio = width * height != 0
                           ? static_cast<double>(height) * aspect / width
                           : static_cast<double>(aspect) * 3.0 / 4.0;
  return ff.av_d2q(ratio, 255);
}

bool FileExists(const std::string &name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0;
}

// "start,end,q" entries separated by "/".
void ApplyRcOverride(AVCodecContext *codec, const std::string &text) {
  std::vector<RcOverride> entries;
  std::stringstream items(text);
  std::string item;
  while (std::getline(items, item, '/')) {
    RcOverride entry{};
    int q = 0;
    char tail = 0;
    if (std::sscanf(item.c_str(), "%d,%d,%d%c", &entry.start_frame, &entry.end_frame, &q,
                    &tail) != 3)
      throw FFmpegException("error parsing rc_override");
    if (q > 0) {
      entry.qscale = q;
      entry.quality_factor = 1.0f;
    } else {
      entry.qscale = 0;
      entry.quality_factor = -q / 100.0f;
    }
    entries.push_back(entry);
  }
  if (entries.empty()) return;
  auto *table = static_cast<RcOverride *>(ff.av_malloc(entries.size() * sizeof(RcOverride)));
  if (!table) throw FFmpegException("error parsing rc_override");
  std::copy(entries.begin(), entries.end(), table);
  ff.av_freep(&codec->rc_override);
  codec->rc_override = table;
  codec->rc_override_count = static_cast<int>(entries.size());
}

// Tag names of the older generation that some muxers no longer store under
// that name: the Author and Year of an output record reach AVI and WAV
// (RIFF INFO) and MP4 as their artist and date. Other muxers keep them.
struct TagRename {
  std::string_view muxer;
  const char *from;
  const char *to;
};
constexpr TagRename kTagRenames[] = {
    {"avi", "author", "artist"},  {"avi", "year", "date"},
    {"wav", "author", "artist"},  {"wav", "year", "date"},
    {"mp4", "author", "artist"},  {"mp4", "year", "date"},
    {"ipod", "author", "artist"}, {"ipod", "year", "date"},
    {"mov", "year", "date"},  // "author" is a tag of its own there
};

// A tag of a renamed key is copied to the muxer's name unless that name was
// given as well.
// The -chapter entries as the output's chapters (milliseconds), titled. The
// context frees them with itself. False when memory runs out.
bool AddChapters(AVFormatContext *context, const std::vector<ChapterMark> &marks) {
  for (const ChapterMark &mark : marks) {
    LibraryMemoryPtr<AVChapter> chapter(static_cast<AVChapter *>(ff.av_mallocz(sizeof(AVChapter))));
    const std::size_t count = context->nb_chapters;
    void *grown = chapter ? ff.av_realloc(context->chapters, (count + 1) * sizeof(AVChapter *))
                          : nullptr;
    if (!grown) return false;
    context->chapters = static_cast<AVChapter **>(grown);
    chapter->id = static_cast<std::int64_t>(count) + 1;
    chapter->time_base = AVRational{1, 1000};
    chapter->start = mark.start / 1000;
    chapter->end = mark.end / 1000;
    ff.av_dict_set(&chapter->metadata, "title", mark.title.c_str(), 0);
    context->chapters[count] = chapter.release();
    context->nb_chapters = static_cast<unsigned>(count + 1);
  }
  return true;
}

void RenameOlderTags(AVFormatContext *context) {
  for (const TagRename &row : kTagRenames) {
    if (row.muxer != context->oformat->name) continue;
    const AVDictionaryEntry *old = ff.av_dict_get(context->metadata, row.from, nullptr, 0);
    if (!old || ff.av_dict_get(context->metadata, row.to, nullptr, 0)) continue;
    const std::string value = old->value;
    ff.av_dict_set(&context->metadata, row.to, value.c_str(), 0);
  }
}

std::uint16_t *MatrixCopy(const QuantMatrix &matrix) {
  auto *table = static_cast<std::uint16_t *>(ff.av_malloc(sizeof(std::uint16_t) * 64));
  if (table) std::copy(matrix.begin(), matrix.end(), table);
  return table;
}

}  // namespace

OutputEntry *TCustomFFmpeg::EntryOf(const AVFormatContext *context) const {
  for (const auto &entry : outputs_)
    if (entry->context.get() == context) return entry.get();
  return nullptr;
}

AVFormatContext *TCustomFFmpeg::LastOutputFile() const {
  return outputList_.empty() ? nullptr : outputList_.back()->context.get();
}

bool TCustomFFmpeg::IsSourceFile(const std::string &fileName) const {
  std::error_code error;
  for (const auto &input : inputs_)
    if (std::filesystem::equivalent(input->fileName, fileName, error)) return true;
  return false;
}

// Which kinds of stream the output gets: those the container has a default
// codec for or that were asked for, and that some input can feed.
void TCustomFFmpeg::ChooseOutputStreams(const AVOutputFormat *format, bool join, bool &video,
                                        bool &audio, bool &subtitle) const {
  video = format->video_codec != AV_CODEC_ID_NONE || options_.videoCodecName ||
          options_.videoStreamCopy;
  audio = format->audio_codec != AV_CODEC_ID_NONE || options_.audioCodecName ||
          options_.audioStreamCopy;
  subtitle = format->subtitle_codec != AV_CODEC_ID_NONE || options_.subtitleCodecName ||
             options_.subtitleStreamCopy;
  if (!inputs_.empty()) {
    bool hasVideo = false;
    bool hasAudio = false;
    bool hasSubtitle = false;
    // Without maps, only streams the automatic choice can take count.
    const bool automatic = options_.streamMaps.empty();
    const std::size_t looked = join ? 1 : inputs_.size();
    for (std::size_t i = 0; i < looked; ++i) {
      const InputEntry &input = *inputs_[i];
      const AVFormatContext *context = input.context.get();
      for (unsigned s = 0; s < context->nb_streams; ++s) {
        const AVStream *stream = context->streams[s];
        const AVMediaType type = stream->codecpar->codec_type;
        if (type < AVMEDIA_TYPE_UNKNOWN || type >= AVMEDIA_TYPE_NB)
          throw FFmpegException(
              "check_audio_video_sub_inputs fail: invalid codec_type of input file");
        const bool copy = type == AVMEDIA_TYPE_VIDEO   ? options_.videoStreamCopy
                          : type == AVMEDIA_TYPE_AUDIO ? options_.audioStreamCopy
                                                       : options_.subtitleStreamCopy;
        const AVCodec *forced = s < input.streams.size() ? input.streams[s].forcedDecoder : nullptr;
        if (automatic && !AutomaticChoiceTakes(stream, forced, copy)) continue;
        hasVideo = hasVideo || type == AVMEDIA_TYPE_VIDEO;
        hasAudio = hasAudio || type == AVMEDIA_TYPE_AUDIO;
        hasSubtitle = hasSubtitle || type == AVMEDIA_TYPE_SUBTITLE;
      }
    }
    video = video && hasVideo;
    audio = audio && hasAudio;
    subtitle = subtitle && hasSubtitle;
  }
  video = video && !options_.videoDisable;
  audio = audio && !options_.audioDisable;
  subtitle = subtitle && !options_.subtitleDisable;
}

int TCustomFFmpeg::OpenOutputFile(const std::string &fileName, bool join) {
  const ScopeExit resetFormats([this] {
    options_.forcedOutputFormat = nullptr;
    options_.forcedInputFormat = nullptr;
  });

  if (!ff.avformat_alloc_output_context2) {
    lastError_ = "The codec libraries are not loaded";
    return -1;
  }
  if (joinMode_) {
    lastError_ = "Cannot join more than one output file.";
    return -1;
  }
  const bool cropping =
      options_.cropTop || options_.cropBottom || options_.cropLeft || options_.cropRight;
  const bool padding =
      options_.padTop || options_.padBottom || options_.padLeft || options_.padRight;
  if (!options_.videoFilters.empty() && cropping) {
    lastError_ = "Cannot enable crop options and filters at the same time.";
    return -1;
  }
  if (padding && ChainResizes(options_.videoFilters)) {
    lastError_ =
        "Cannot enable pad options and the filters which resize frame at the same time. (crop, "
        "rotate, scale, transpose, etc.)";
    return -1;
  }
  if (static_cast<int>(outputList_.size()) >= kMaxOutputFiles) {
    lastError_ = "Too many output files (at most " + std::to_string(kMaxOutputFiles) + ")";
    return -1;
  }
  filtersInUse_ = !options_.videoFilters.empty();

  std::string url;
  try {
    url = UrlForFileName(fileName);
  } catch (const FFmpegException &e) {
    lastError_ = e.what();
    return -1;
  }
  // The user's sources are never overwritten.
  if (IsSourceFile(fileName)) {
    lastError_ = "Output file '" + fileName + "' is an input file";
    return -1;
  }

  AVFormatContext *context = nullptr;
  if (ff.avformat_alloc_output_context2(&context, options_.forcedOutputFormat, nullptr,
                                        url.c_str()) < 0 ||
      !context) {
    lastError_ = "Unable to find a suitable output format for '" + fileName + "'";
    return -1;
  }
  auto owned = std::make_unique<OutputEntry>();
  owned->context.reset(context);
  owned->fileName = fileName;
  owned->url = url;
  OutputEntry *entry = owned.get();
  // Outputs get no interrupt callback: the library checks it before every
  // write, and the packets in flight, the trailer and the last report must
  // still reach the file after a stop request.
  const AVOutputFormat *format = context->oformat;
  for (std::string_view name : kPtsOptionalFormats)
    entry->ptsOptional = entry->ptsOptional || name == format->name;
  // Streams are added through the entry, which must be findable meanwhile.
  outputs_.push_back(std::move(owned));
  auto fail = [&](const std::string &message) {
    lastError_ = message;
    outputs_.pop_back();
    return -1;
  };

  bool video = false;
  bool audio = false;
  bool subtitle = false;
  try {
    ChooseOutputStreams(format, join, video, audio, subtitle);
  } catch (const FFmpegException &e) {
    return fail(e.what());
  }
  struct Creator {
    bool wanted;
    void (TCustomFFmpeg::*add)(AVFormatContext *);
    const char *failText;
  };
  const Creator creators[] = {
      {video, &TCustomFFmpeg::NewVideoStream, "new_video_stream fail: "},
      {audio, &TCustomFFmpeg::NewAudioStream, "new_audio_stream fail: "},
      {subtitle, &TCustomFFmpeg::NewSubtitleStream, "new_subtitle_stream fail: "},
  };
  for (const Creator &creator : creators) {
    if (!creator.wanted) continue;
    try {
      (this->*creator.add)(context);
    } catch (const FFmpegException &e) {
      return fail(creator.failText + std::string(e.what()));
    }
  }

  if (options_.recordingTimestamp != 0) {
    const std::time_t seconds = static_cast<std::time_t>(options_.recordingTimestamp);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
    ff.av_dict_set(&context->metadata, "creation_time", text, 0);
  }
  // Tags given later are set first, so the first of two equal keys wins.
  for (auto it = options_.metadata.rbegin(); it != options_.metadata.rend(); ++it)
    ff.av_dict_set(&context->metadata, it->first.c_str(), it->second.c_str(), 0);
  options_.metadata.clear();
  RenameOlderTags(context);
  if (!AddChapters(context, options_.chapters)) return fail("Could not alloc chapter");
  options_.chapters.clear();

  if ((format->flags & AVFMT_NEEDNUMBER) && !ff.av_filename_number_test(url.c_str()))
    return fail(OpenErrorText(fileName, AVERROR(EDOM)));

  if (!(format->flags & AVFMT_NOFILE)) {
    const bool existed = FileExists(fileName);
    if (OpenUrlIO(&context->pb, url, AVIO_FLAG_WRITE, &context->interrupt_callback, nullptr) < 0)
      return fail("Could not open '" + fileName + "'");
    InstallUnicodeIoHooks(context);
    entry->fileOpened = !existed;
  }

  // Muxer settings: the interleaving delay is a field, the preload and the
  // output looping are private options of the muxers that have them.
  context->max_delay = static_cast<int>(options_.muxMaxDelay * 1000000);
  DictionaryPtr &muxerOptions = entry->muxerOptions;
  if (MuxerHasOption(format, "preload"))
    ff.av_dict_set_int(InOutPtr(muxerOptions), "preload",
                       static_cast<std::int64_t>(options_.muxPreload * 1000000), 0);
  if (MuxerHasOption(format, "loop"))
    ff.av_dict_set_int(InOutPtr(muxerOptions), "loop", options_.loopOutput, 0);
  for (const auto &[name, value] : PrivateFormatOptions())
    if (MuxerHasOption(format, name.c_str()))
      ff.av_dict_set(InOutPtr(muxerOptions), name.c_str(), value.c_str(), 0);
  ApplyGenericOptions(context, FormatTemplate(), AV_OPT_FLAG_ENCODING_PARAM);

  outputList_.push_back(entry);
  if (join && inputs_.size() > 1) {
    joinMode_ = true;
    std::int64_t total = 0;
    for (const auto &input : inputs_)
      if (input->durationMs > 0) total += input->durationMs;
    options_.totalOutputDuration = total > 0 ? static_cast<int>(std::min<std::int64_t>(total, INT_MAX)) : -1;
    for (std::size_t i = 1; i < inputs_.size(); ++i) outputList_.push_back(entry);
  }
  outputFileCount_ = static_cast<int>(outputList_.size());
  return outputFileCount_;
}

// A stream of the given type with its parameter holder; the pending
// bitstream filter chain of that type moves to it.
OutputStreamConfig &TCustomFFmpeg::NewStream(AVFormatContext *output, AVMediaType type,
                                           std::vector<BitstreamFilterEntry> &pendingFilters,
                                           std::optional<std::string> &codecName) {
  OutputEntry *entry = EntryOf(output);
  if (!entry) throw FFmpegException("At least one output file must be specified");
  if (output->nb_streams >= static_cast<unsigned>(kMaxStreamsPerOutput) ||
      outputStreamTotal_ >= kMaxOutputStreams) {
    codecName.reset();
    throw FFmpegException("Could not alloc stream");
  }
  auto config = std::make_unique<OutputStreamConfig>();
  config->codec.reset(ff.avcodec_alloc_context3(nullptr));
  AVStream *stream = config->codec ? ff.avformat_new_stream(output, nullptr) : nullptr;
  if (!stream) {
    codecName.reset();
    throw FFmpegException("Could not alloc stream");
  }
  stream->id = static_cast<int>(output->nb_streams) - 1;
  config->stream = stream;
  config->codec->codec_type = type;
  config->codec->thread_count = options_.threadCount;
  config->bitstreamFilters = std::move(pendingFilters);
  pendingFilters.clear();
  entry->streams.push_back(std::move(config));
  return *entry->streams.back();
}

void TCustomFFmpeg::NewVideoStream(AVFormatContext *output) {
  const ScopeExit resetChoice([this] {
    options_.videoDisable = false;
    options_.videoCodecName.reset();
    options_.videoStreamCopy = false;
  });
  OutputStreamConfig &config =
      NewStream(output, AVMEDIA_TYPE_VIDEO, options_.videoBitstreamFilters, options_.videoCodecName);
  AVCodecContext *codec = config.codec.get();
  AVStream *stream = config.stream;
  AVCodecContext *templ = CodecTemplate(AVMEDIA_TYPE_VIDEO);
  ++outputStreamTotal_;

  if (options_.videoCodecTag) codec->codec_tag = options_.videoCodecTag;
  const int global = options_.videoGlobalHeader;
  if ((global & 1) || (global == 0 && (output->oformat->flags & AVFMT_GLOBALHEADER))) {
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    templ->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (global & 2) {
    codec->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
    templ->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
  }

  if (options_.videoStreamCopy) {
    config.streamCopy = true;
    codec->sample_aspect_ratio = stream->sample_aspect_ratio =
        SampleAspect(options_.frameWidth, options_.frameHeight, options_.frameAspectRatio);
    return;
  }

  AVRational rate = options_.frameRate;
  if (rate.num <= 0 || rate.den <= 0) rate = {25, 1};
  const AVCodec *encoder = nullptr;
  if (options_.videoCodecName) {
    AVCodecID id = AV_CODEC_ID_NONE;
    if (!FindCodecByName(options_.videoCodecName, AVMEDIA_TYPE_VIDEO, true, id, &encoder))
      throw FFmpegException(lastError_);
    codec->codec_id = id;
    config.forcedEncoder = encoder;
  } else {
    codec->codec_id =
        ff.av_guess_codec(output->oformat, nullptr, output->url, nullptr, AVMEDIA_TYPE_VIDEO);
    encoder = ff.avcodec_find_encoder(codec->codec_id);
  }
  ApplyEncoderDefaults(codec, encoder);
  ApplyGenericOptions(codec, templ, AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  if (encoder && encoder->supported_framerates && !options_.forceFps)
    rate = encoder->supported_framerates[ff.av_find_nearest_q_idx(rate, encoder->supported_framerates)];
  codec->time_base = {rate.den, rate.num};
  codec->framerate = rate;
  stream->avg_frame_rate = rate;
  codec->width = options_.frameWidth + options_.padLeft + options_.padRight;
  codec->height = options_.frameHeight + options_.padTop + options_.padBottom;
  codec->sample_aspect_ratio = stream->sample_aspect_ratio =
      SampleAspect(codec->width, codec->height, options_.frameAspectRatio);
  AVPixelFormat pixelFormat = static_cast<AVPixelFormat>(options_.pixelFormat);
  if (encoder && encoder->pix_fmts) {
    bool listed = false;
    for (const AVPixelFormat *p = encoder->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
      listed = listed || *p == pixelFormat;
    if (!listed) pixelFormat = encoder->pix_fmts[0];
  }
  codec->pix_fmt = pixelFormat;

  if (options_.intraOnly) codec->gop_size = 0;
  // -sameq alone does not fix the quantiser: today's decoders report no
  // picture quality, and a fixed quantiser of 0 is the finest the encoder
  // has. Without a quality to keep, the encoder keeps its default quality.
  if (options_.videoQScale > 0) {
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = static_cast<int>(FF_QP2LAMBDA * options_.videoQScale);
  }
  if (options_.intraMatrix) codec->intra_matrix = MatrixCopy(*options_.intraMatrix);
  if (options_.interMatrix) codec->inter_matrix = MatrixCopy(*options_.interMatrix);
  if (options_.rcOverride) ApplyRcOverride(codec, *options_.rcOverride);
  if (codec->rc_initial_buffer_occupancy == 0)
    codec->rc_initial_buffer_occupancy = codec->rc_buffer_size * 3 / 4;
  codec->intra_dc_precision = options_.intraDcPrecision - 8;
  if (options_.doPsnr) codec->flags |= AV_CODEC_FLAG_PSNR;
  if (options_.pass == 1)
    codec->flags |= AV_CODEC_FLAG_PASS1;
  else if (options_.pass != 0)
    codec->flags |= AV_CODEC_FLAG_PASS2;
}

void TCustomFFmpeg::NewAudioStream(AVFormatContext *output) {
  const ScopeExit resetChoice([this] {
    options_.audioDisable = false;
    options_.audioCodecName.reset();
    options_.audioStreamCopy = false;
  });
  OutputStreamConfig &config =
      NewStream(output, AVMEDIA_TYPE_AUDIO, options_.audioBitstreamFilters, options_.audioCodecName);
  AVCodecContext *codec = config.codec.get();
  AVStream *stream = config.stream;
  AVCodecContext *templ = CodecTemplate(AVMEDIA_TYPE_AUDIO);
  ++outputStreamTotal_;

  if (options_.audioCodecTag) codec->codec_tag = options_.audioCodecTag;
  if (output->oformat->flags & AVFMT_GLOBALHEADER) {
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    templ->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  ff.av_channel_layout_uninit(&codec->ch_layout);
  if (options_.audioStreamCopy) {
    config.streamCopy = true;
    ff.av_channel_layout_default(&codec->ch_layout, options_.audioChannels);
  } else {
    ApplyGenericOptions(codec, templ, AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    const AVCodec *encoder = nullptr;
    if (options_.audioCodecName) {
      AVCodecID id = AV_CODEC_ID_NONE;
      if (!FindCodecByName(options_.audioCodecName, AVMEDIA_TYPE_AUDIO, true, id, &encoder))
        throw FFmpegException(lastError_);
      codec->codec_id = id;
      config.forcedEncoder = encoder;
    } else {
      codec->codec_id =
          ff.av_guess_codec(output->oformat, nullptr, output->url, nullptr, AVMEDIA_TYPE_AUDIO);
      encoder = ff.avcodec_find_encoder(codec->codec_id);
    }
    ApplyEncoderDefaults(codec, encoder);
    if (options_.audioQScale > -99999) {
      codec->flags |= AV_CODEC_FLAG_QSCALE;
      codec->global_quality = static_cast<int>(FF_QP2LAMBDA * options_.audioQScale);
    }
    // The input's layout when it has the requested channel count.
    AVChannelLayout layout{};
    if (options_.audioChannelLayout &&
        ff.av_channel_layout_from_mask(&layout, options_.audioChannelLayout) == 0 &&
        layout.nb_channels == options_.audioChannels)
      codec->ch_layout = layout;
    else
      ff.av_channel_layout_default(&codec->ch_layout, options_.audioChannels);
    AVSampleFormat sampleFormat = static_cast<AVSampleFormat>(options_.sampleFormat);
    if (encoder && encoder->sample_fmts) {
      bool listed = false;
      for (const AVSampleFormat *p = encoder->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
        listed = listed || *p == sampleFormat;
      if (!listed) sampleFormat = encoder->sample_fmts[0];
    }
    codec->sample_fmt = sampleFormat;
  }
  codec->sample_rate = options_.audioSampleRate;
  codec->time_base = {1, options_.audioSampleRate > 0 ? options_.audioSampleRate : 1};
  if (!options_.audioLanguage.empty()) {
    ff.av_dict_set(&stream->metadata, "language", options_.audioLanguage.c_str(), 0);
    options_.audioLanguage.clear();
  }
}

void TCustomFFmpeg::NewSubtitleStream(AVFormatContext *output) {
  const ScopeExit resetChoice([this] {
    options_.subtitleDisable = false;
    options_.subtitleCodecName.reset();
    options_.subtitleStreamCopy = false;
  });
  OutputStreamConfig &config = NewStream(output, AVMEDIA_TYPE_SUBTITLE,
                                     options_.subtitleBitstreamFilters, options_.subtitleCodecName);
  AVCodecContext *codec = config.codec.get();
  ++outputStreamTotal_;
  if (options_.subtitleStreamCopy) {
    config.streamCopy = true;
  } else {
    ApplyGenericOptions(codec, CodecTemplate(AVMEDIA_TYPE_SUBTITLE),
                        AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    AVCodecID id = AV_CODEC_ID_NONE;
    if (!FindCodecByName(options_.subtitleCodecName, AVMEDIA_TYPE_SUBTITLE, true, id,
                         &config.forcedEncoder))
      throw FFmpegException(lastError_);
    // Without a name, the container's usual subtitle codec.
    if (!options_.subtitleCodecName)
      id = ff.av_guess_codec(output->oformat, nullptr, output->url, nullptr,
                             AVMEDIA_TYPE_SUBTITLE);
    codec->codec_id = id;
  }
  if (!options_.subtitleLanguage.empty()) {
    ff.av_dict_set(&config.stream->metadata, "language", options_.subtitleLanguage.c_str(), 0);
    options_.subtitleLanguage.clear();
  }
}

}  // namespace velmora
