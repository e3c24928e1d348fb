#include "WizardMerge.h"

#include <utility>

#include "converter/FFmpegTask.h"
#include "libav/FFmpegLoader.h"

namespace velmora::test {

std::string ContainerFor(const std::string &extension) {
  static const std::pair<const char *, const char *> kContainers[] = {
      {".avi", "avi"},  {".mpg", "mpeg"},   {".wmv", "asf"},   {".asf", "asf"},
      {".wma", "asf"},  {".rm", "rm"},      {".swf", "swf"},   {".flv", "flv"},
      {".mkv", "matroska,webm"},           {".mp3", "mp3"},   {".mp2", "mp3"},
      {".wav", "wav"},  {".ac3", "ac3"},    {".ogg", "ogg"},   {".flac", "flac"},
      {".amr", "amr"},
  };
  for (const auto &[ext, name] : kContainers)
    if (extension == ext) return name;
  return "mov,mp4,m4a,3gp,3g2,mj2";  // .mp4, .mov, .3gp, .3g2, .m4a
}

std::string CodecOfEncoder(const std::string &encoder, bool video) {
  if (encoder.empty()) return {};
  TFFmpeg lookUp;
  AVCodecID id;
  if (!lookUp.FindCodecByName(encoder, video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO, true, id))
    return {};
  return ff.avcodec_get_name(id);
}

}  // namespace velmora::test
