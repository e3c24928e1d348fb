#include "app/SourceMedia.h"

#include "libav/FFmpegHeaders.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

std::int64_t KnownDuration(const AVFormatContext *context) {
  if (!context || context->duration == AV_NOPTS_VALUE || context->duration <= 0) return 0;
  return context->duration;
}

TSourceMedia DescribeSource(const AVFormatContext *context) {
  TSourceMedia media;
  if (!context) return media;
  media.DurationUs = KnownDuration(context);
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVCodecParameters *codec = context->streams[i]->codecpar;
    if (codec->codec_type == AVMEDIA_TYPE_VIDEO && codec->width > 0 && !media.HasVideo) {
      media.HasVideo = true;
      media.Width = codec->width;
      media.Height = codec->height;
      const AVRational aspect = ff.av_guess_sample_aspect_ratio(
          const_cast<AVFormatContext *>(context), context->streams[i], nullptr);
      media.SampleAspectNum = aspect.num;
      media.SampleAspectDen = aspect.den;
    }
    if (codec->codec_type == AVMEDIA_TYPE_AUDIO && codec->ch_layout.nb_channels > 0 &&
        !media.HasAudio) {
      media.HasAudio = true;
      media.SampleRate = codec->sample_rate;
      media.Channels = codec->ch_layout.nb_channels;
    }
  }
  return media;
}

}  // namespace velmora
