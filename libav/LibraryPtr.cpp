#include "libav/LibraryPtr.h"

namespace velmora {

void FreeCodecContext(AVCodecContext **context) {
  if (!ff.avcodec_free_context || !context || !*context) return;
  if (ff.av_freep) {
    ff.av_freep(&(*context)->stats_in);
    ff.av_freep(&(*context)->rc_override);
    (*context)->rc_override_count = 0;
  }
  ff.avcodec_free_context(context);
}

DictionaryPtr DictionaryFromPairs(const std::vector<std::pair<std::string, std::string>> &pairs) {
  DictionaryPtr dictionary;
  for (const auto &[name, value] : pairs)
    ff.av_dict_set(InOutPtr(dictionary), name.c_str(), value.c_str(), 0);
  return dictionary;
}

}  // namespace velmora
