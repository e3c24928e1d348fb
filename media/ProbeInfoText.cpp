// The probe's information text: one line per file property, then one line
// per stream, each ending in CR LF. The media information window cuts its
// values out of this text by the labels, so the layout is fixed.
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "libav/FFmpegLoader.h"
#include "media/AVProbe.h"
#include "media/ProbeStreams.h"
#include "media/ProbeText.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

constexpr const char *kLineEnd = "\r\n";
constexpr std::int64_t kSecond = 1000000;
// Both terms of the display ratio in a stream line are reduced to this.
constexpr int kMaxRatioTerm = 1024 * 1024;
// The library writes at most this much of a codec description.
constexpr int kCodecDescriptionSize = 256;

__attribute__((format(printf, 1, 2))) std::string Format(const char *format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

// A fixed-point number with "." as the decimal point in every locale.
std::string FixedText(double value, int decimals) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, result.ptr);
}

// The library's description of a stream's codec ("Video: ...", "Audio: ..."),
// made on a scratch codec context filled from the stream's parameters.
std::string CodecDescription(const AVStream *stream, AVRational *sampleAspect) {
  CodecContextPtr context(ff.avcodec_alloc_context3(nullptr));
  if (!context || ff.avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
    return std::string();
  *sampleAspect = context->sample_aspect_ratio;
  char text[kCodecDescriptionSize] = {};
  ff.avcodec_string(text, sizeof text, context.get(), 0);
  return text;
}

bool IsNonZero(AVRational value) { return value.num != 0 && value.den != 0; }

}  // namespace

std::string SizeText(std::int64_t bytes) {
  constexpr std::int64_t kKilo = 1024;
  constexpr std::int64_t kMega = kKilo * 1024;
  constexpr std::int64_t kGiga = kMega * 1024;
  const double value = static_cast<double>(bytes);
  if (bytes <= kKilo) return std::to_string(bytes) + " Byte";
  if (bytes <= kMega) return FixedText(value / kKilo, 2) + " KB";
  if (bytes <= kGiga) return FixedText(value / kMega, 2) + " MB";
  return FixedText(value / kGiga, 2) + " GB";
}

std::string TimeText(std::int64_t t) {
  const long long hours = t / (3600 * kSecond);
  const long long minutes = (t / (60 * kSecond)) % 60;
  const long long seconds = (t / kSecond) % 60;
  const long long milliseconds = (t % kSecond) * 1000 / kSecond;
  return Format("%.2lld:%.2lld:%.2lld.%.3lld", hours, minutes, seconds, milliseconds);
}

std::string StartTimeText(std::int64_t t) {
  return Format("%lld.%.6lld", static_cast<long long>(t / kSecond),
                static_cast<long long>(t % kSecond));
}

std::string RateText(double value, const char *label) {
  const long long hundredths = std::llround(value * 100);
  if (hundredths % 100 != 0) return ", " + FixedText(value, 2) + " " + label;
  if (hundredths % (100 * 1000) != 0) return ", " + FixedText(value, 0) + " " + label;
  return ", " + FixedText(value / 1000, 0) + "k " + label;
}

std::string TimeStampText(std::int64_t unixSeconds) {
  // `timezone` is the bias of local standard time: seconds west of UTC.
  tzset();
  const std::time_t local = static_cast<std::time_t>(unixSeconds - timezone);
  std::tm parts{};
  if (!gmtime_r(&local, &parts)) return std::string();
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

std::string TCustomAVProbe::StreamLine(int index) const {
  AVStream *stream = context_->streams[index];
  std::string line = Format("Stream #%d", index);
  if (context_->iformat && (context_->iformat->flags & AVFMT_SHOW_IDS))
    line += Format("[0x%x]", static_cast<unsigned>(stream->id));
  const std::string language = MetadataText(stream->metadata, "language");
  if (!language.empty()) line += "(" + language + ")";

  const AVRational timeBase = RepairedTimeBase(stream);
  // The repaired denominator is never 0, so neither is the divisor.
  const int divisor = static_cast<int>(ff.av_gcd(timeBase.num, timeBase.den));
  line += Format(", %d/%d", timeBase.num / divisor, timeBase.den / divisor);

  AVRational codecAspect{0, 1};
  line += ": " + CodecDescription(stream, &codecAspect);

  const AVRational streamAspect = stream->sample_aspect_ratio;
  if (streamAspect.num != 0 && av_cmp_q(streamAspect, codecAspect) != 0) {
    int displayNum = 0;
    int displayDen = 0;
    ff.av_reduce(&displayNum, &displayDen,
                 static_cast<std::int64_t>(stream->codecpar->width) * streamAspect.num,
                 static_cast<std::int64_t>(stream->codecpar->height) * streamAspect.den,
                 kMaxRatioTerm);
    line = Format("%s, PAR %d:%d DAR %d:%d", line.c_str(), streamAspect.num, streamAspect.den,
                  displayNum, displayDen);
  }

  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    if (IsNonZero(stream->r_frame_rate)) line += RateText(av_q2d(stream->r_frame_rate), "tbr");
    if (IsNonZero(timeBase)) line += RateText(1 / av_q2d(timeBase), "tbn");
    const AVRational codecTimeBase = ff.av_stream_get_codec_timebase(stream);
    if (IsNonZero(codecTimeBase)) line += RateText(1 / av_q2d(codecTimeBase), "tbc");
  }

  if (stream->start_time != AV_NOPTS_VALUE)
    line += ", StartTime: " + StartTimeText(StreamMicroseconds(stream->start_time, timeBase));
  if (stream->duration == AV_NOPTS_VALUE)
    line += ", Duration: N/A";
  else
    line += ", Duration: " + TimeText(StreamMicroseconds(stream->duration, timeBase));
  return line;
}

std::string TCustomAVProbe::InfoText() {
  if (!RequireFile()) return std::string();
  std::string text;
  auto addLine = [&text](const std::string &line) { text += line + kLineEnd; };

  const std::string fileName = FileName();
  addLine("File Name: " + fileName);
  addLine("Format Name: " + FormatName());
  addLine("Format Long Name: " + FormatLongName());

  std::int64_t size = -1;
  if (context_->pb && !(context_->iformat && (context_->iformat->flags & AVFMT_NOFILE)))
    size = ff.avio_size(context_->pb);
  if (size <= 0) {
    std::error_code error;
    if (std::filesystem::is_regular_file(fileName, error))
      size = static_cast<std::int64_t>(std::filesystem::file_size(fileName, error));
    if (error) size = -1;
  }
  if (size >= 0) addLine("File Size: " + SizeText(size));

  const TFileStreamInfo info = ReadFileStreamInfo();
  addLine("StartTime: " + StartTimeText(info.StartTime));
  addLine("Duration: " + TimeText(info.Duration));
  addLine(info.BitRate > 0 ? Format("Bit Rate: %d Kbps", info.BitRate / 1000)
                           : std::string("Bit Rate: N/A"));
  if (info.Timestamp > 0) addLine("Time Stamp: " + TimeStampText(info.Timestamp));
  const std::pair<const char *, const std::string *> tags[] = {
      {"Title", &info.Title},         {"Author", &info.Author},
      {"Copyright", &info.Copyright}, {"Comment", &info.Comment},
      {"Album", &info.Album},         {"Genre", &info.Genre},
  };
  for (const auto &[label, value] : tags)
    if (!value->empty()) addLine(std::string(label) + ": " + *value);
  if (info.Year > 0) addLine(Format("Year: %d", info.Year));
  if (info.Track > 0) addLine(Format("Track: #%d", info.Track));

  if (context_->nb_programs > 0) {
    for (unsigned p = 0; p < context_->nb_programs; ++p) {
      const AVProgram *program = context_->programs[p];
      std::string provider = MetadataText(program->metadata, "provider_name", "service_provider");
      std::string name = MetadataText(program->metadata, "name", "service_name");
      if (provider.empty()) provider = "N/A";
      if (name.empty()) name = "N/A";
      addLine(Format("Program %d %s@%s", program->id, provider.c_str(), name.c_str()));
      for (unsigned s = 0; s < program->nb_stream_indexes; ++s)
        if (program->stream_index[s] < context_->nb_streams)
          addLine(StreamLine(static_cast<int>(program->stream_index[s])));
    }
  } else {
    for (unsigned s = 0; s < context_->nb_streams; ++s) addLine(StreamLine(static_cast<int>(s)));
  }
  return text;
}

}  // namespace velmora
