#include "tools/CopyJoin.h"

#include <cstring>
#include <filesystem>

#include "engine/CommandTask.h"
#include "libav/FFmpegHeaders.h"
#include "libav/FFmpegLoader.h"
#include "libav/ProgramFolder.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

std::string NameOf(const std::string &path) { return std::filesystem::path(path).filename().string(); }

std::string SizeText(const AVCodecParameters *p) {
  return std::to_string(p->width) + "x" + std::to_string(p->height);
}

std::string LayoutText(const AVChannelLayout &layout) {
  char text[64] = "";
  ff.av_channel_layout_describe(&layout, text, sizeof text);
  return text;
}

std::string RateText(AVRational rate) {
  return std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

// One difference between a stream and the first source's stream at its
// place: what differs, and the two values.
struct TDifference {
  std::string What;
  std::string Value, First;
};

bool SameExtradata(const AVCodecParameters *a, const AVCodecParameters *b) {
  return a->extradata_size == b->extradata_size &&
         (a->extradata_size == 0 || std::memcmp(a->extradata, b->extradata, a->extradata_size) == 0);
}

// The first property of `s` that differs from `first`; an empty What when
// none does.
TDifference Compare(const AVStream *s, const AVStream *first) {
  const AVCodecParameters *p = s->codecpar, *q = first->codecpar;
  if (p->codec_type != q->codec_type)
    return {"stream type", ff.av_get_media_type_string(p->codec_type) ?: "?",
            ff.av_get_media_type_string(q->codec_type) ?: "?"};
  if (p->codec_id != q->codec_id)
    return {"codec", ff.avcodec_get_name(p->codec_id), ff.avcodec_get_name(q->codec_id)};
  if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
    if (p->width != q->width || p->height != q->height)
      return {"picture size", SizeText(p), SizeText(q)};
    if (p->format != q->format) {
      const char *a = ff.av_get_pix_fmt_name(static_cast<AVPixelFormat>(p->format));
      const char *b = ff.av_get_pix_fmt_name(static_cast<AVPixelFormat>(q->format));
      return {"pixel format", a ? a : "?", b ? b : "?"};
    }
    if (av_cmp_q(s->avg_frame_rate, first->avg_frame_rate) != 0)
      return {"frame rate", RateText(s->avg_frame_rate), RateText(first->avg_frame_rate)};
  }
  if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
    if (p->sample_rate != q->sample_rate)
      return {"sample rate", std::to_string(p->sample_rate), std::to_string(q->sample_rate)};
    if (ff.av_channel_layout_compare(&p->ch_layout, &q->ch_layout) != 0)
      return {"channel layout", LayoutText(p->ch_layout), LayoutText(q->ch_layout)};
    if (p->format != q->format) {
      const char *a = ff.av_get_sample_fmt_name(static_cast<AVSampleFormat>(p->format));
      const char *b = ff.av_get_sample_fmt_name(static_cast<AVSampleFormat>(q->format));
      return {"sample format", a ? a : "?", b ? b : "?"};
    }
  }
  // The output keeps the first source's decoder setup (for H.264 its
  // parameter sets): other setups would not decode after the joint.
  if (!SameExtradata(p, q)) return {"codec setup (extradata)", "other", "the first's"};
  return {};
}

InputContextPtr Open(const std::string &path, std::string &error) {
  AVFormatContext *raw = nullptr;
  if (OpenInputUrl(&raw, path, nullptr, nullptr) < 0) {
    error = NameOf(path) + " cannot be opened";
    return nullptr;
  }
  InputContextPtr context(raw);
  if (ff.avformat_find_stream_info(context.get(), nullptr) < 0) {
    error = NameOf(path) + ": its streams cannot be read";
    return nullptr;
  }
  return context;
}

}  // namespace

bool LoadCopyJoinLibraries(std::string &error) {
  TFFmpegLoader &loader = TFFmpegLoader::Instance();
  if (loader.LibrariesLoaded(kStandardLibraries)) return true;
  loader.SetLibraryPath(ProgramFolder() + "/LibAV");
  if (loader.LoadLibraries(kStandardLibraries)) return true;
  error = loader.LastLoadError();
  return false;
}

std::string CopyJoinMismatch(const std::vector<std::string> &files, const std::string &extension) {
  if (files.empty()) return "no file to join";
  std::string error;
  const InputContextPtr first = Open(files[0], error);
  if (!first) return error;
  const AVOutputFormat *container = ff.av_guess_format(nullptr, ("x" + extension).c_str(), nullptr);
  if (!container) return "no container writes " + extension;
  for (unsigned i = 0; i < first->nb_streams; ++i) {
    const AVCodecID codec = first->streams[i]->codecpar->codec_id;
    if (ff.avformat_query_codec(container, codec, FF_COMPLIANCE_NORMAL) == 0)
      return "a " + extension + " file cannot hold " + NameOf(files[0]) + "'s stream " +
             std::to_string(i) + " (" + ff.avcodec_get_name(codec) + ")";
  }
  for (std::size_t k = 1; k < files.size(); ++k) {
    const InputContextPtr other = Open(files[k], error);
    if (!other) return error;
    const std::string source = "source " + std::to_string(k + 1) + " (" + NameOf(files[k]) + ")";
    if (other->nb_streams != first->nb_streams)
      return source + " has " + std::to_string(other->nb_streams) + " streams, the first " +
             std::to_string(first->nb_streams);
    for (unsigned i = 0; i < other->nb_streams; ++i) {
      const TDifference d = Compare(other->streams[i], first->streams[i]);
      if (!d.What.empty())
        return source + " differs from the first in stream " + std::to_string(i) + "'s " + d.What +
               ": " + d.Value + ", not " + d.First;
    }
  }
  return {};
}

TCopyJoinResult CopyJoin(const std::vector<std::string> &files, const std::string &output) {
  CommandLine line;
  for (const std::string &file : files) line.steps.push_back({CommandStep::Input, "", file});
  for (const char *option : {"vcodec", "acodec"})
    line.steps.push_back({CommandStep::Option, option, "copy"});
  line.steps.push_back({CommandStep::Output, "", output});
  TCustomFFmpeg engine;
  const CommandTaskResult run = RunCommandTask(engine, line, true);
  TCopyJoinResult result;
  result.Finished = run.opened && run.finished && run.error.empty();
  result.Error = run.error.empty() && !result.Finished ? "the join did not finish" : run.error;
  std::string error;
  if (const InputContextPtr joined = result.Finished ? Open(output, error) : nullptr)
    result.DurationUs = joined->duration > 0 ? joined->duration : 0;
  return result;
}

}  // namespace velmora
