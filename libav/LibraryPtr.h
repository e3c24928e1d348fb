#pragma once
// Ownership of the library's objects: one unique_ptr type per object type,
// whose deleter is the library's freeing function. A freeing function takes
// either the object (sws_freeContext) or the address of its pointer
// (av_frame_free); the deleter calls it the way it is declared. A function
// named by its slot in `ff` is not called once the library is unloaded: an
// owner may outlive the library, and then nothing is left to release.
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "libav/FFmpegLoader.h"

namespace velmora {

template <auto Free>
struct LibraryDeleter {
  template <typename T>
  void operator()(T *object) const {
    if (!object) return;
    if constexpr (std::is_member_object_pointer_v<decltype(Free)>) {
      if (const auto function = ff.*Free) Call(function, object);
    } else {
      Call(Free, object);
    }
  }

 private:
  template <typename Result, typename Parameter, typename T>
  static void Call(Result (*function)(Parameter), T *object) {
    if constexpr (std::is_same_v<Parameter, T **>) {
      function(&object);
    } else if constexpr (std::is_same_v<Parameter, void *>) {
      function(object);  // av_free: memory of av_malloc and of the library's texts
    } else {
      static_assert(std::is_same_v<Parameter, T *>, "a freeing function takes T* or T**");
      function(object);
    }
  }
};

// `Free` is a slot of `ff` (&FFmpegFunctions::av_frame_free) or a function.
template <typename T, auto Free>
using LibraryPtr = std::unique_ptr<T, LibraryDeleter<Free>>;

// avcodec_free_context, after freeing the fields that belong to the user of
// the context (the two-pass statistics and the rate-control overrides).
void FreeCodecContext(AVCodecContext **context);

using CodecContextPtr = LibraryPtr<AVCodecContext, &FreeCodecContext>;
using FormatContextPtr = LibraryPtr<AVFormatContext, &FFmpegFunctions::avformat_free_context>;
using ScalerContextPtr = LibraryPtr<SwsContext, &FFmpegFunctions::sws_freeContext>;
using PacketPtr = LibraryPtr<AVPacket, &FFmpegFunctions::av_packet_free>;
using FramePtr = LibraryPtr<AVFrame, &FFmpegFunctions::av_frame_free>;
using BitstreamFilterPtr = LibraryPtr<AVBSFContext, &FFmpegFunctions::av_bsf_free>;
using DictionaryPtr = LibraryPtr<AVDictionary, &FFmpegFunctions::av_dict_free>;
using AudioFifoPtr = LibraryPtr<AVAudioFifo, &FFmpegFunctions::av_audio_fifo_free>;
using ResamplerPtr = LibraryPtr<SwrContext, &FFmpegFunctions::swr_free>;
using FilterGraphPtr = LibraryPtr<AVFilterGraph, &FFmpegFunctions::avfilter_graph_free>;
using FilterInOutPtr = LibraryPtr<AVFilterInOut, &FFmpegFunctions::avfilter_inout_free>;
// Memory the library allocated for us (av_malloc, the text of av_opt_get).
template <typename T>
using LibraryMemoryPtr = LibraryPtr<T, &FFmpegFunctions::av_free>;
// Drops what a reused frame or packet holds, keeping the frame or packet
// itself, however the guard's scope is left.
using FrameContentsGuard = LibraryPtr<AVFrame, &FFmpegFunctions::av_frame_unref>;
using PacketContentsGuard = LibraryPtr<AVPacket, &FFmpegFunctions::av_packet_unref>;
using SubtitleContentsGuard = LibraryPtr<AVSubtitle, &FFmpegFunctions::avsubtitle_free>;

// Lends an owned pointer to a library call that takes T** and may free,
// replace or fill it (an options dictionary given to avcodec_open2 comes back
// holding the options nobody took). The owner holds the result once the
// statement with the call has ended, so give it as a whole argument of a call
// and read the owner in a later statement, never in the same expression.
template <typename Owner>
class InOutPtr {
 public:
  explicit InOutPtr(Owner &owner) : owner_(owner), raw_(owner.release()) {}
  ~InOutPtr() { owner_.reset(raw_); }
  InOutPtr(const InOutPtr &) = delete;
  InOutPtr &operator=(const InOutPtr &) = delete;
  operator typename Owner::pointer *() { return &raw_; }

 private:
  Owner &owner_;
  typename Owner::pointer raw_;
};

// An owned options dictionary holding the pairs in order (empty pairs list:
// no dictionary).
DictionaryPtr DictionaryFromPairs(const std::vector<std::pair<std::string, std::string>> &pairs);

}  // namespace velmora
