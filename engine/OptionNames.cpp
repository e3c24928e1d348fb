// Whether an option name means anything to the engine: a row of its own
// table, or an option of the library (on the generic templates, with a media
// type letter before a codec option's name, or as a private option of a muxer
// or an encoder). The engine drops unknown names silently; a command line
// refuses them instead.
#include "engine/CustomFFmpeg.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

bool ObjectHasOption(void *object, const std::string &name) {
  return object && ff.av_opt_find(object, name.c_str(), nullptr, 0, 0) != nullptr;
}

bool ClassHasOption(const AVClass *optionClass, const std::string &name) {
  return optionClass && ff.av_opt_find(&optionClass, name.c_str(), nullptr, 0,
                                       AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

bool SomePrivateClassHasOption(const std::string &name) {
  void *muxers = nullptr;
  while (const AVOutputFormat *muxer = ff.av_muxer_iterate(&muxers))
    if (ClassHasOption(muxer->priv_class, name)) return true;
  void *codecs = nullptr;
  while (const AVCodec *codec = ff.av_codec_iterate(&codecs))
    if (ff.av_codec_is_encoder(codec) && ClassHasOption(codec->priv_class, name)) return true;
  return false;
}

}  // namespace

bool TCustomFFmpeg::KnowsOption(const std::string &name) const {
  if (FindOption(name)) return true;
  if (!ff.av_opt_find || name.empty()) return false;
  if (ObjectHasOption(CodecTemplate(AVMEDIA_TYPE_VIDEO), name) ||
      ObjectHasOption(FormatTemplate(), name) || ObjectHasOption(ScalerTemplate(), name))
    return true;
  static constexpr char kTypeLetters[] = {'a', 'v', 's'};
  for (char letter : kTypeLetters)
    if (name.size() > 1 && name.front() == letter &&
        ObjectHasOption(CodecTemplate(AVMEDIA_TYPE_VIDEO), name.substr(1)))
      return true;
  return SomePrivateClassHasOption(name);
}

}  // namespace velmora
