// Encoder defaults. A codec context made without a codec carries the
// library's generic defaults (one reference frame, no trellis, open GOPs,
// ...). Several encoders declare defaults of their own instead, often "-1"
// for "let the encoder's own presets decide": libx264 would otherwise run
// with a single reference frame and no trellis, and bit-rate-less encoders
// such as ac3 would be held to the generic 200 kbit/s. The engine's stream
// contexts are made before the encoder is known, so the encoder's defaults
// are brought in once it is.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CustomFFmpeg.h"
#include "engine/EngineRecords.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

// The value of option `name` of `object` as text ("" when it cannot be read).
std::string OptionText(void *object, const char *name) {
  LibraryMemoryPtr<std::uint8_t> text;
  const int result = ff.av_opt_get(object, name, 0, InOutPtr(text));
  if (result < 0 || !text) return {};
  return reinterpret_cast<const char *>(text.get());
}

}  // namespace

void TCustomFFmpeg::ApplyEncoderDefaults(AVCodecContext *codec, const AVCodec *encoder) const {
  if (!codec || !encoder) return;
  const CodecContextPtr own(ff.avcodec_alloc_context3(encoder));
  const CodecContextPtr generic(ff.avcodec_alloc_context3(nullptr));
  if (!own || !generic) return;
  // Fields the user set through generic options, by where they live (one
  // field may have several option names).
  std::vector<int> userSet;
  for (const std::string &name : genericOptionNames_) {
    if (!GenericOptionMeantFor(name, encoder->type)) continue;
    if (const AVOption *option = ff.av_opt_find(generic.get(), name.c_str(), nullptr, 0, 0))
      userSet.push_back(option->offset);
  }

  // The library gives a context made for an encoder only the defaults of
  // options of the encoder's media type; the others stay zero.
  const int typeFlag =
      encoder->type == AVMEDIA_TYPE_VIDEO   ? AV_OPT_FLAG_VIDEO_PARAM
      : encoder->type == AVMEDIA_TYPE_AUDIO ? AV_OPT_FLAG_AUDIO_PARAM
                                            : AV_OPT_FLAG_SUBTITLE_PARAM;
  const AVOption *option = nullptr;
  while ((option = ff.av_opt_next(generic.get(), option))) {
    if (option->type == AV_OPT_TYPE_CONST || option->offset <= 0) continue;
    if (!(option->flags & typeFlag)) continue;
    if (std::strcmp(option->name, "threads") == 0) continue;
    if (std::find(userSet.begin(), userSet.end(), option->offset) != userSet.end()) continue;
    const std::string ownValue = OptionText(own.get(), option->name);
    const std::string genericValue = OptionText(generic.get(), option->name);
    if (ownValue == genericValue || ownValue.empty()) continue;
    if (option->type == AV_OPT_TYPE_FLAGS) {
      // Flag words keep the bits the engine set and gain the encoder's.
      std::int64_t current = 0, wanted = 0;
      if (ff.av_opt_get_int(codec, option->name, 0, &current) < 0 ||
          ff.av_opt_get_int(own.get(), option->name, 0, &wanted) < 0)
        continue;
      ff.av_opt_set_int(codec, option->name, current | wanted, 0);
    } else if (OptionText(codec, option->name) == genericValue) {
      ff.av_opt_set(codec, option->name, ownValue.c_str(), 0);
    }
  }
}

}  // namespace velmora
