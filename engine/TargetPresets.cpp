// Disc and camcorder presets (-target): one row of settings per target,
// applied through the ordinary option handlers so that later options can
// still change any of them.
#include <cmath>
#include <iterator>
#include <string_view>

#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegException.h"

namespace velmora {

namespace {

enum class Norm { Pal, Ntsc, Film };

enum class ChannelRule {
  Stereo,            // always 2 channels
  StereoWhenMono,    // 2 channels when it was 1
};

struct GenericSetting {
  const char *name;
  const char *value;
};

struct TargetPreset {
  std::string_view target;
  const char *videoCodec;  // nullptr: left as it is
  const char *audioCodec;
  const char *container;
  const char *palSize;
  const char *ntscSize;  // NTSC and film
  bool setsGop;          // "g" 15 for PAL, 18 for NTSC and film
  GenericSetting generic[8];  // ends at the first entry without a name
  int sampleRate;
  ChannelRule channels;
  float muxPreload;        // seconds; below 0: left as it is
  const char *palPixelFormat;
  const char *ntscPixelFormat;
  const char *aspectWhenNone;
};

// "scan_offset" is a private option of the MPEG video encoders today.
const TargetPreset kTargetPresets[] = {
    {"vcd", "mpeg1video", "mp2", "vcd", "352x288", "352x240", true,
     {{"b", "1150000"}, {"maxrate", "1150000"}, {"minrate", "1150000"}, {"bufsize", "327680"},
      {"ab", "224000"}, {"packetsize", "2324"}, {"muxrate", "1411200"}},
     44100, ChannelRule::Stereo, 0.44f, nullptr, nullptr, "4:3"},
    {"svcd", "mpeg2video", "mp2", "svcd", "480x576", "480x480", true,
     {{"b", "2040000"}, {"maxrate", "2516000"}, {"minrate", "0"}, {"bufsize", "1835008"},
      {"scan_offset", "1"}, {"ab", "224000"}, {"packetsize", "2324"}},
     44100, ChannelRule::StereoWhenMono, -1, nullptr, nullptr, "4:3"},
    {"dvd", "mpeg2video", "ac3", "dvd", "720x576", "720x480", true,
     {{"b", "6000000"}, {"maxrate", "9000000"}, {"minrate", "0"}, {"bufsize", "1835008"},
      {"ab", "448000"}, {"packetsize", "2048"}, {"muxrate", "10080000"}},
     48000, ChannelRule::StereoWhenMono, -1, nullptr, nullptr, "16:9"},
    {"dv", nullptr, nullptr, "dv", "720x576", "720x480", false, {}, 48000, ChannelRule::Stereo,
     -1, "yuv420p", "yuv411p", nullptr},
    {"dv50", nullptr, nullptr, "dv", "720x576", "720x480", false, {}, 48000, ChannelRule::Stereo,
     -1, "yuv422p", "yuv422p", nullptr},
};

struct NormRow {
  std::string_view name;
  Norm norm;
  const char *frameRate;
  const char *gop;
  const char *logName;  // in "Assuming %s for target."
};
const NormRow kNorms[] = {
    {"pal", Norm::Pal, "25", "15", "PAL"},
    {"ntsc", Norm::Ntsc, "30000/1001", "18", "NTSC"},
    {"film", Norm::Film, "24000/1001", "18", "NTSC"},
};

const NormRow *FindNorm(std::string_view name) {
  for (const NormRow &row : kNorms)
    if (row.name == name) return &row;
  return nullptr;
}

// Frame rates (x 1000, rounded) that say which norm a source follows.
const NormRow *NormOfRate(long milliHertz) {
  if (milliHertz == 25000) return FindNorm("pal");
  if (milliHertz == 23976 || milliHertz == 29970) return FindNorm("ntsc");
  return nullptr;
}

}  // namespace

void TCustomFFmpeg::ApplyTarget(const std::string &target, const std::string &norm,
                                const std::string &defaultNorm) {
  const NormRow *chosen = FindNorm(norm);
  if (!chosen) {
    const AVRational rate = options_.frameRate;
    if (rate.den == 0) throw FFmpegException("frame_rate is invalid.");
    chosen = NormOfRate(std::lround(rate.num * 1000.0 / rate.den));
    // The video streams of the open inputs, by their frame rate.
    for (std::size_t i = 0; !chosen && i < inputs_.size(); ++i) {
      const AVFormatContext *context = inputs_[i]->context.get();
      for (unsigned s = 0; !chosen && s < context->nb_streams; ++s) {
        const AVStream *stream = context->streams[s];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || !stream->r_frame_rate.den)
          continue;
        chosen = NormOfRate(
            std::lround(stream->r_frame_rate.num * 1000.0 / stream->r_frame_rate.den));
      }
    }
    if (!chosen) chosen = FindNorm(defaultNorm == "film" ? "film" : defaultNorm == "ntsc" ? "ntsc" : "pal");
    if (options_.verbose > 0) Log(1, std::string("Assuming ") + chosen->logName + " for target.");
  }

  const TargetPreset *preset = nullptr;
  for (const TargetPreset &row : kTargetPresets)
    if (row.target == target) preset = &row;
  if (!preset) throw FFmpegException("Unknown target type");
  const bool pal = chosen->norm == Norm::Pal;

  if (preset->videoCodec) SetOption("vcodec", preset->videoCodec);
  if (preset->audioCodec) SetOption("acodec", preset->audioCodec);
  SetOutputFormat(preset->container);
  SetOption("s", pal ? preset->palSize : preset->ntscSize);
  SetOption("r", chosen->frameRate);
  if (preset->setsGop) SetGenericOption("g", chosen->gop);
  for (const GenericSetting &setting : preset->generic) {
    if (!setting.name) break;
    SetGenericOption(setting.name, setting.value);
  }
  options_.audioSampleRate = preset->sampleRate;
  if (preset->channels == ChannelRule::Stereo || options_.audioChannels == 1)
    options_.audioChannels = 2;
  if (preset->muxPreload >= 0) options_.muxPreload = preset->muxPreload;
  if (const char *pixelFormat = pal ? preset->palPixelFormat : preset->ntscPixelFormat)
    SetOption("pix_fmt", pixelFormat);
  if (preset->aspectWhenNone && options_.frameAspectRatio == 0) {
    SetOption("aspect", preset->aspectWhenNone);
    Log(1, std::string("Assuming ") + preset->aspectWhenNone + " for aspect ratio");
  }
}

}  // namespace velmora
