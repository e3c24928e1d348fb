#include "media/AVProbe.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"
#include "libav/LibraryTexts.h"
#include "media/ProbeStreams.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

constexpr AVRational kMicrosecondBase{1, 1000000};

// Today's MPEG-2 transport stream stand-in codec id (a "fake" codec).
constexpr int kMpeg2TsCodecId = 0x20000;

std::int64_t KnownOrMinusOne(std::int64_t value) { return value == AV_NOPTS_VALUE ? -1 : value; }

// A 64-bit library number in an Integer field of a record.
int ClampedInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Library numbers that use 0 for "not known".
int PositiveOrMinusOne(std::int64_t value) { return value > 0 ? ClampedInt(value) : -1; }

// The leading decimal number of a text such as "2009-05-01" or "3/12"; 0 when
// there is none.
int LeadingNumber(const std::string &text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

std::string Trimmed(const std::string &text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

template <typename Info>
void FillCommonStreamInfo(AVStream *stream, Info &info) {
  info.Language = MetadataText(stream->metadata, "language");
  info.CodecName = StreamCodecName(stream->codecpar);
  info.StartTimeRaw = KnownOrMinusOne(stream->start_time);
  info.DurationRaw = KnownOrMinusOne(stream->duration);
  const AVRational timeBase = RepairedTimeBase(stream);
  info.StartTime = StreamMicroseconds(stream->start_time, timeBase);
  info.Duration = StreamMicroseconds(stream->duration, timeBase);
  info.BitRate = PositiveOrMinusOne(stream->codecpar->bit_rate);
}

}  // namespace

std::string MetadataText(const AVDictionary *metadata, const char *key) {
  const AVDictionaryEntry *entry = ff.av_dict_get(metadata, key, nullptr, 0);
  return entry && entry->value ? entry->value : std::string();
}

std::string MetadataText(const AVDictionary *metadata, const char *key, const char *newerKey) {
  if (ff.av_dict_get(metadata, key, nullptr, 0)) return MetadataText(metadata, key);
  return MetadataText(metadata, newerKey);
}

AVRational RepairedTimeBase(AVStream *stream) {
  if (stream->time_base.den == 0) {
    stream->time_base.den = stream->time_base.num != 0 ? stream->time_base.num : 1;
  }
  return stream->time_base;
}

std::int64_t StreamMicroseconds(std::int64_t raw, AVRational timeBase) {
  if (raw == AV_NOPTS_VALUE) return -1;
  return ff.av_rescale_q(raw, timeBase, kMicrosecondBase);
}

std::string StreamCodecName(const AVCodecParameters *parameters) {
  if (const AVCodec *decoder = ff.avcodec_find_decoder(parameters->codec_id)) {
    const std::string name = decoder->name ? decoder->name : "";
    const std::string longName = decoder->long_name ? Trimmed(decoder->long_name) : "";
    return longName.empty() ? name : name + "(" + decoder->long_name + ")";
  }
  if (parameters->codec_id == kMpeg2TsCodecId) return "mpeg2ts";
  // The codec's registered name stands for the name a demuxer used to give a
  // codec it could not decode.
  if (const AVCodecDescriptor *descriptor = ff.avcodec_descriptor_get(parameters->codec_id)) {
    const std::string name = Trimmed(std::string(descriptor->name ? descriptor->name : "", 0, 32));
    if (!name.empty()) return name;
  }
  const std::uint32_t tag = parameters->codec_tag;
  char text[64];
  bool printable = true;
  for (int shift = 0; shift < 32; shift += 8) {
    const unsigned byte = (tag >> shift) & 0xFF;
    printable = printable && byte >= 32 && byte <= 126;
  }
  if (printable)
    std::snprintf(text, sizeof text, "%c%c%c%c / 0x%04X", static_cast<char>(tag & 0xFF),
                  static_cast<char>((tag >> 8) & 0xFF), static_cast<char>((tag >> 16) & 0xFF),
                  static_cast<char>((tag >> 24) & 0xFF), tag);
  else
    std::snprintf(text, sizeof text, "0x%04x", tag);
  return text;
}

TCustomAVProbe::~TCustomAVProbe() { TCustomAVProbe::CloseFile(); }

void TCustomAVProbe::CheckLibraries() {
  struct Row {
    TLibraryKind kind;
    const char *message;
  };
  static const Row kLibraries[] = {
      {TLibraryKind::lkAVCodec, "LibAVCodec not loaded."},
      {TLibraryKind::lkAVFormat, "LibAVFormat not loaded."},
      {TLibraryKind::lkAVUtil, "LibAVUtil not loaded."},
      {TLibraryKind::lkSWScale, "LibSwScale not loaded."},
  };
  const TFFmpegLoader &loader = TFFmpegLoader::Instance();
  for (const Row &row : kLibraries)
    if (!loader.LibraryLoaded(row.kind)) throw FFmpegException(row.message);
}

void TCustomAVProbe::ResetCounts() {
  streamCount_ = audioCount_ = videoCount_ = subtitleCount_ = -1;
  firstAudio_ = firstVideo_ = firstSubtitle_ = -1;
}

void TCustomAVProbe::CountStreams() {
  streamCount_ = static_cast<int>(context_->nb_streams);
  audioCount_ = videoCount_ = subtitleCount_ = 0;
  firstAudio_ = firstVideo_ = firstSubtitle_ = -1;
  struct Kind {
    AVMediaType type;
    int &count;
    int &first;
  };
  const Kind kinds[] = {{AVMEDIA_TYPE_VIDEO, videoCount_, firstVideo_},
                        {AVMEDIA_TYPE_AUDIO, audioCount_, firstAudio_},
                        {AVMEDIA_TYPE_SUBTITLE, subtitleCount_, firstSubtitle_}};
  for (int i = 0; i < streamCount_; ++i) {
    for (const Kind &kind : kinds) {
      if (context_->streams[i]->codecpar->codec_type != kind.type) continue;
      if (kind.count++ == 0) kind.first = i;
    }
  }
}

void TCustomAVProbe::CloseFile() {
  forceFormat_.clear();
  context_ = nullptr;
  owned_.reset();
  ResetCounts();
}

void TCustomAVProbe::AttachContext(AVFormatContext *context) {
  CheckLibraries();
  CloseFile();
  context_ = context;
  if (context_) CountStreams();
}

bool TCustomAVProbe::LoadFile(const std::string &fileName, const std::string &forceFormat) {
  CheckLibraries();
  CloseFile();
  const AVInputFormat *format = nullptr;
  if (!forceFormat.empty()) {
    format = ff.av_find_input_format(forceFormat.c_str());
    if (!format) {
      lastError_ = "Unknown input format: " + forceFormat;
      return false;
    }
  }

  std::string url;
  try {
    url = UrlForFileName(fileName);
  } catch (const FFmpegException &error) {
    lastError_ = error.what();  // a name longer than the library takes
    return false;
  }
  AVFormatContext *opened = ff.avformat_alloc_context();
  if (!opened) {
    lastError_ = OpenErrorText(fileName, AVERROR(ENOMEM));
    return false;
  }
  const int result = OpenInputUrl(&opened, url, format, nullptr);
  if (result < 0) {
    // The failed open has freed the context.
    lastError_ = OpenErrorText(fileName, result);
    CloseFile();
    return false;
  }
  owned_.reset(opened);
  context_ = opened;

  int found = 0;
  {
    std::lock_guard<std::mutex> guard(CodecLock());
    found = ff.avformat_find_stream_info(context_, nullptr);
  }
  // A permissive demuxer may accept any bytes and find no stream in them.
  if (found < 0 || context_->nb_streams == 0) {
    lastError_ = fileName + ": could not find codec parameters";
    CloseFile();
    return false;
  }
  CountStreams();
  forceFormat_ = forceFormat;
  return true;
}

void TCustomAVProbe::Fail(int engineLevel, const std::string &message) {
  if (ff.av_log)
    ff.av_log(nullptr, LibraryLevelFromEngine(engineLevel), "%s\n", message.c_str());
  lastError_ = message;
}

bool TCustomAVProbe::RequireFile() {
  if (context_) return true;
  Fail(1, "file not loaded.");
  return false;
}

AVStream *TCustomAVProbe::SelectStream(int index, AVMediaType kind, const char *kindName) {
  if (!RequireFile()) return nullptr;
  if (index < 0) {
    index = kind == AVMEDIA_TYPE_AUDIO ? firstAudio_ : firstVideo_;
    if (index < 0) {
      Fail(0, std::string("no ") + kindName + " stream.");
      return nullptr;
    }
  }
  if (index >= streamCount_) {
    Fail(0, "stream index #" + std::to_string(index) + " is invalid.");
    return nullptr;
  }
  AVStream *stream = context_->streams[index];
  if (stream->codecpar->codec_type != kind) {
    Fail(0, "stream #" + std::to_string(index) + " is not " + kindName + " stream.");
    return nullptr;
  }
  return stream;
}

TFileStreamInfo TCustomAVProbe::ReadFileStreamInfo() const {
  TFileStreamInfo info;
  const AVDictionary *tags = context_->metadata;
  info.StartTime = KnownOrMinusOne(context_->start_time);
  info.Duration = KnownOrMinusOne(context_->duration);
  info.BitRate = ClampedInt(context_->bit_rate);
  // The container's time stamp and year are tags today.
  info.Timestamp = 0;
  const std::string creation = MetadataText(tags, "creation_time");
  std::int64_t microseconds = 0;
  if (!creation.empty() && ff.av_parse_time(&microseconds, creation.c_str(), 0) >= 0)
    info.Timestamp = microseconds / 1000000;
  info.Year = LeadingNumber(MetadataText(tags, "year", "date"));
  info.Track = LeadingNumber(MetadataText(tags, "track"));
  info.Title = MetadataText(tags, "title");
  info.Author = MetadataText(tags, "author", "artist");
  info.Copyright = MetadataText(tags, "copyright");
  info.Comment = MetadataText(tags, "comment");
  info.Album = MetadataText(tags, "album");
  info.Genre = MetadataText(tags, "genre");
  return info;
}

void TCustomAVProbe::GetFileStreamInfo(TFileStreamInfo &info) {
  info = TFileStreamInfo{};
  if (RequireFile()) info = ReadFileStreamInfo();
}

void TCustomAVProbe::GetAudioStreamInfo(int index, TAudioStreamInfo &info) {
  info = TAudioStreamInfo{};
  AVStream *stream = SelectStream(index, AVMEDIA_TYPE_AUDIO, "audio");
  if (!stream) return;
  FillCommonStreamInfo(stream, info);
  const AVCodecParameters *parameters = stream->codecpar;
  info.Channels = PositiveOrMinusOne(parameters->ch_layout.nb_channels);
  info.SampleRate = PositiveOrMinusOne(parameters->sample_rate);
  info.SampleFormat = parameters->format;
}

void TCustomAVProbe::GetVideoStreamInfo(int index, TVideoStreamInfo &info) {
  info = TVideoStreamInfo{};
  AVStream *stream = SelectStream(index, AVMEDIA_TYPE_VIDEO, "video");
  if (!stream) return;
  FillCommonStreamInfo(stream, info);
  const AVCodecParameters *parameters = stream->codecpar;
  info.Width = PositiveOrMinusOne(parameters->width);
  info.Height = PositiveOrMinusOne(parameters->height);
  if (parameters->width > 0 && parameters->height > 0) {
    // An unknown sample aspect ratio means square samples.
    AVRational sample = stream->sample_aspect_ratio;
    if (sample.num == 0 || sample.den == 0) sample = parameters->sample_aspect_ratio;
    const double ratio = sample.num != 0 && sample.den != 0 ? av_q2d(sample) : 1.0;
    info.DisplayAspect =
        static_cast<float>(ratio * parameters->width / static_cast<double>(parameters->height));
  }
  info.PixelFormat = parameters->format;
  if (stream->r_frame_rate.num != 0 && stream->r_frame_rate.den != 0) {
    info.FrameRateNum = stream->r_frame_rate.num;
    info.FrameRateDen = stream->r_frame_rate.den;
  }
}

std::string TCustomAVProbe::FileName() {
  if (!RequireFile()) return std::string();
  return FileNameFromUrl(context_->url ? context_->url : "");
}

std::string TCustomAVProbe::FormatName() {
  if (!RequireFile()) return std::string();
  return context_->iformat && context_->iformat->name ? context_->iformat->name : "";
}

std::string TCustomAVProbe::FormatLongName() {
  if (!RequireFile()) return std::string();
  return context_->iformat && context_->iformat->long_name ? context_->iformat->long_name : "";
}

TAVProbe::~TAVProbe() { ReleaseDecodingResources(); }

void TAVProbe::ReleaseDecodingResources() {
  {
    std::lock_guard<std::mutex> guard(CodecLock());
    decoder_.reset();
  }
  scaler_.reset();
  frame_.reset();
}

void TAVProbe::CloseFile() {
  ReleaseDecodingResources();
  TCustomAVProbe::CloseFile();
}

}  // namespace velmora
