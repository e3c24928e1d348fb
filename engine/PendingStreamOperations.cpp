// Operations that options dispatch to but whose work belongs to the output
// files and the frame hooks. Until those exist there is no output file to add
// a stream to, no preset to apply and no hook module that can be loaded, and
// each operation says so.
#include "engine/CustomFFmpeg.h"
#include "engine/FFmpegException.h"

namespace velmora {

void TCustomFFmpeg::ApplyTarget(const std::string &target, const std::string &,
                                const std::string &) {
  throw FFmpegException("Target presets are not available in this build: " + target);
}

// -1: the hook module cannot be loaded.
int TCustomFFmpeg::AddFrameHook(const std::vector<std::string> &) { return -1; }

AVFormatContext *TCustomFFmpeg::LastOutputFile() const { return nullptr; }

void TCustomFFmpeg::NewVideoStream(AVFormatContext *) {
  throw FFmpegException("Adding a video stream is not available in this build");
}

void TCustomFFmpeg::NewAudioStream(AVFormatContext *) {
  throw FFmpegException("Adding an audio stream is not available in this build");
}

void TCustomFFmpeg::NewSubtitleStream(AVFormatContext *) {
  throw FFmpegException("Adding a subtitle stream is not available in this build");
}

}  // namespace velmora
