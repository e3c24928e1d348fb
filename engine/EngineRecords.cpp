#include "engine/EngineRecords.h"

#include "converter/FFmpegLoader.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

// Each deleter checks its slot: an engine may be destroyed after the
// libraries were unloaded, and then there is nothing left to release.

void CodecContextDeleter::operator()(AVCodecContext *context) const {
  if (!ff.avcodec_free_context) return;
  // Fields that belong to the user of the context.
  if (ff.av_freep) {
    ff.av_freep(&context->stats_in);
    ff.av_freep(&context->rc_override);
    context->rc_override_count = 0;
  }
  ff.avcodec_free_context(&context);
}

void FormatContextDeleter::operator()(AVFormatContext *context) const {
  if (ff.avformat_free_context) ff.avformat_free_context(context);
}

void InputContextDeleter::operator()(AVFormatContext *context) const {
  if (ff.avformat_close_input) CloseInputUrl(&context);
}

void ScalerContextDeleter::operator()(SwsContext *context) const {
  if (ff.sws_freeContext) ff.sws_freeContext(context);
}

void PacketDeleter::operator()(AVPacket *packet) const {
  if (ff.av_packet_free) ff.av_packet_free(&packet);
}

void FrameDeleter::operator()(AVFrame *frame) const {
  if (ff.av_frame_free) ff.av_frame_free(&frame);
}

void FrameUnref::operator()(AVFrame *frame) const { ff.av_frame_unref(frame); }

void PacketUnref::operator()(AVPacket *packet) const { ff.av_packet_unref(packet); }

void BitstreamFilterDeleter::operator()(AVBSFContext *context) const {
  if (ff.av_bsf_free) ff.av_bsf_free(&context);
}

void DictionaryDeleter::operator()(AVDictionary *dictionary) const {
  if (ff.av_dict_free) ff.av_dict_free(&dictionary);
}

void AudioFifoDeleter::operator()(AVAudioFifo *fifo) const {
  if (ff.av_audio_fifo_free) ff.av_audio_fifo_free(fifo);
}

void ResamplerDeleter::operator()(SwrContext *context) const {
  if (ff.swr_free) ff.swr_free(&context);
}

void FilterGraphDeleter::operator()(AVFilterGraph *graph) const {
  if (ff.avfilter_graph_free) ff.avfilter_graph_free(&graph);
}

}  // namespace velmora
