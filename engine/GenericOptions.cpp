// The generic path: options the engine does not handle itself are set through
// the library's own option system on template contexts (five codec contexts,
// one container context, one scaler context). The names set are recorded, and
// the values are copied from the templates into the real contexts when those
// are made (ApplyGenericOptions).
#include <iterator>
#include <string_view>

#include "engine/CustomFFmpeg.h"
#include "engine/NumberText.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryLogLevel.h"

namespace velmora {

namespace {

// The option flags each codec template takes, by media type; 0 takes every
// option.
constexpr int kCodecTemplateFlags[kCodecTemplateCount] = {
    AV_OPT_FLAG_VIDEO_PARAM,     // video
    AV_OPT_FLAG_AUDIO_PARAM,     // audio
    0,                           // data
    AV_OPT_FLAG_SUBTITLE_PARAM,  // subtitle
    0,                           // attachment
};

// A media-type letter before a codec option name ("vb", "ab", "abt") names
// that option of that type's template.
struct TypePrefix {
  char letter;
  AVMediaType type;
};
constexpr TypePrefix kTypePrefixes[] = {
    {'a', AVMEDIA_TYPE_AUDIO},
    {'v', AVMEDIA_TYPE_VIDEO},
    {'s', AVMEDIA_TYPE_SUBTITLE},
};

// Options the older library generation had for fewer media types than
// today's: "b" was the video bit rate (the audio bit rate was "ab"); today's
// library flags it for audio as well, so a video bit rate given after -ab
// would replace the audio one.
struct OlderMeaning {
  std::string_view name;
  AVMediaType type;
};
constexpr OlderMeaning kOlderMeanings[] = {
    {"b", AVMEDIA_TYPE_VIDEO},
};

// The media type whose options `flags` select (AV_OPT_FLAG_*_PARAM), or
// AVMEDIA_TYPE_UNKNOWN when they select none.
AVMediaType TypeOfFlags(int flags) {
  if (flags & AV_OPT_FLAG_VIDEO_PARAM) return AVMEDIA_TYPE_VIDEO;
  if (flags & AV_OPT_FLAG_AUDIO_PARAM) return AVMEDIA_TYPE_AUDIO;
  if (flags & AV_OPT_FLAG_SUBTITLE_PARAM) return AVMEDIA_TYPE_SUBTITLE;
  return AVMEDIA_TYPE_UNKNOWN;
}

bool ClassHasOption(const AVClass *optionClass, const std::string &name) {
  if (!optionClass) return false;
  return ff.av_opt_find(&optionClass, name.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// Whether a muxer's private options take the value: set on the private data
// of a scratch context of that muxer.
bool MuxerTakesValue(const AVOutputFormat *muxer, const std::string &name,
                     const std::string &value) {
  AVFormatContext *context = nullptr;
  if (ff.avformat_alloc_output_context2(&context, muxer, nullptr, nullptr) < 0 || !context)
    return false;
  const bool taken =
      context->priv_data && ff.av_opt_set(context->priv_data, name.c_str(), value.c_str(), 0) >= 0;
  ff.avformat_free_context(context);
  return taken;
}

bool EncoderTakesValue(const AVCodec *encoder, const std::string &name, const std::string &value) {
  AVCodecContext *context = ff.avcodec_alloc_context3(encoder);
  if (!context) return false;
  const bool taken =
      context->priv_data && ff.av_opt_set(context->priv_data, name.c_str(), value.c_str(), 0) >= 0;
  ff.avcodec_free_context(&context);
  return taken;
}

// A later value of the same option replaces the earlier one.
void RecordOption(TextPairs &list, const std::string &name, const std::string &value) {
  for (auto &entry : list) {
    if (entry.first == name) {
      entry.second = value;
      return;
    }
  }
  list.emplace_back(name, value);
}

void LogInvalidValue(const std::string &name, const std::string &value) {
  ff.av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value.c_str(),
            name.c_str());
}

}  // namespace

bool TCustomFFmpeg::GenericOptionMeantFor(std::string_view name, AVMediaType type) {
  for (const OlderMeaning &row : kOlderMeanings)
    if (row.name == name) return row.type == type;
  return true;
}

AVCodecContext *TCustomFFmpeg::CodecTemplate(int mediaType) const {
  if (mediaType < 0 || mediaType >= kCodecTemplateCount) return nullptr;
  return codecTemplates_[mediaType].get();
}

void TCustomFFmpeg::CreateOptionContexts() {
  FreeOptionContexts();
  if (!ff.avcodec_alloc_context3 || !ff.avformat_alloc_context || !ff.sws_getContext)
    throw FFmpegException("The codec libraries are not loaded");
  for (int type = 0; type < kCodecTemplateCount; ++type) {
    codecTemplates_[type].reset(ff.avcodec_alloc_context3(nullptr));
    if (codecTemplates_[type]) codecTemplates_[type]->codec_type = static_cast<AVMediaType>(type);
  }
  formatTemplate_.reset(ff.avformat_alloc_context());
  scalerTemplate_.reset(ff.sws_getContext(16, 16, AV_PIX_FMT_YUV420P, 16, 16, AV_PIX_FMT_YUV420P,
                                          options_.swsFlags, nullptr, nullptr, nullptr));
  bool complete = formatTemplate_ && scalerTemplate_;
  for (const CodecContextPtr &templ : codecTemplates_) complete = complete && templ;
  if (!complete) {
    FreeOptionContexts();
    throw FFmpegException("Could not allocate the generic option contexts");
  }
}

void TCustomFFmpeg::FreeOptionContexts() {
  for (CodecContextPtr &templ : codecTemplates_) templ.reset();
  formatTemplate_.reset();
  scalerTemplate_.reset();
  genericOptionNames_.clear();
  privateFormatOptions_.clear();
  privateCodecOptions_.clear();
}

bool TCustomFFmpeg::SetGenericOption(const std::string &name, const std::string &value) {
  if (TrimText(name).empty() || TrimText(value).empty()) return false;
  AVCodecContext *codecOptions = CodecTemplate(AVMEDIA_TYPE_VIDEO);
  if (!codecOptions || !formatTemplate_ || !scalerTemplate_) return false;

  const AVOption *option = nullptr;
  int result = 0;
  // Codec options go to every template of a media type the option is for.
  for (int type = 0; type < kCodecTemplateCount && result >= 0; ++type) {
    const AVOption *found =
        ff.av_opt_find(codecOptions, name.c_str(), nullptr, kCodecTemplateFlags[type], 0);
    if (!found) continue;
    option = found;
    if (!GenericOptionMeantFor(found->name, static_cast<AVMediaType>(type))) continue;
    result = ff.av_opt_set(codecTemplates_[type].get(), name.c_str(), value.c_str(), 0);
  }
  for (void *templ :
       {static_cast<void *>(formatTemplate_.get()), static_cast<void *>(scalerTemplate_.get())}) {
    if (option) break;
    option = ff.av_opt_find(templ, name.c_str(), nullptr, 0, 0);
    if (option) result = ff.av_opt_set(templ, name.c_str(), value.c_str(), 0);
  }
  if (!option && name.size() > 1) {
    for (const TypePrefix &prefix : kTypePrefixes) {
      if (name.front() != prefix.letter) continue;
      void *templ = CodecTemplate(prefix.type);
      const std::string rest = name.substr(1);
      option = ff.av_opt_find(templ, rest.c_str(), nullptr, 0, 0);
      if (option) result = ff.av_opt_set(templ, rest.c_str(), value.c_str(), 0);
      break;
    }
  }

  std::string setName;
  if (option) {
    if (result < 0) {
      LogInvalidValue(name, value);
      return false;
    }
    setName = option->name;
  } else {
    bool refused = false;
    if (!SetPrivateOption(name, value, refused)) {
      if (refused) LogInvalidValue(name, value);
      return false;
    }
    setName = name;
  }
  genericOptionNames_.push_back(setName);
  RaiseLogLevelForDebug();
  return true;
}

// Today's library keeps some options only as private options of particular
// muxers or encoders: "muxrate" and "preload" of the MPEG muxers,
// "scan_offset" of the MPEG-1/2 video encoders, "preset" of some encoders. No
// template has them, so a name found among the private option classes of the
// muxers (first) or the encoders is recorded with its value in the private
// container or codec options, which are handed to the muxer or encoder when
// it is opened. The value is tried on a scratch context of each muxer or
// encoder that has the option; it is refused (`refused` set, false returned)
// only when none of them takes it.
bool TCustomFFmpeg::SetPrivateOption(const std::string &name, const std::string &value,
                                     bool &refused) {
  refused = false;
  void *muxers = nullptr;
  while (const AVOutputFormat *muxer = ff.av_muxer_iterate(&muxers)) {
    if (!ClassHasOption(muxer->priv_class, name)) continue;
    refused = true;
    if (MuxerTakesValue(muxer, name, value)) {
      refused = false;
      RecordOption(privateFormatOptions_, name, value);
      return true;
    }
  }
  void *codecs = nullptr;
  while (const AVCodec *codec = ff.av_codec_iterate(&codecs)) {
    if (!ff.av_codec_is_encoder(codec) || !ClassHasOption(codec->priv_class, name)) continue;
    refused = true;
    if (EncoderTakesValue(codec, name, value)) {
      refused = false;
      RecordOption(privateCodecOptions_, name, value);
      return true;
    }
  }
  return false;
}

// A debug option switched on makes the library's debug output visible.
void TCustomFFmpeg::RaiseLogLevelForDebug() {
  std::int64_t codecDebug = 0;
  std::int64_t formatDebug = 0;
  ff.av_opt_get_int(CodecTemplate(AVMEDIA_TYPE_VIDEO), "debug", 0, &codecDebug);
  ff.av_opt_get_int(formatTemplate_.get(), "fdebug", 0, &formatDebug);
  if (codecDebug == 0 && formatDebug == 0) return;
  if (OnSetLogLevel)
    OnSetLogLevel(2);
  else
    SetLibraryLogLevel(2);
}

void TCustomFFmpeg::ApplyGenericOptions(void *target, void *templ, int flags) const {
  if (!target || !templ) return;
  const AVMediaType type = TypeOfFlags(flags);
  for (const std::string &name : genericOptionNames_) {
    if (type != AVMEDIA_TYPE_UNKNOWN && !GenericOptionMeantFor(name, type)) continue;
    LibraryMemoryPtr<std::uint8_t> text;
    const int result = ff.av_opt_get(templ, name.c_str(), 0, InOutPtr(text));
    if (result < 0 || !text) continue;
    if (ff.av_opt_find(target, name.c_str(), nullptr, flags, 0))
      ff.av_opt_set(target, name.c_str(), reinterpret_cast<const char *>(text.get()), 0);
  }
}

}  // namespace velmora
