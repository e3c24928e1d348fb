// The audio and video encoding paths. Decoded frames reach them from the
// main loop; until they are built, a run that needs re-encoding stops at
// its first frame with a message instead of writing a wrong file.
#include "engine/CustomFFmpeg.h"
#include "engine/FFmpegException.h"

namespace velmora {

void TCustomFFmpeg::EncodeAudio(OutputStreamRecord &, InputStreamRecord &, AVFrame *) {
  throw FFmpegException("Audio encoding is not available in this build");
}

void TCustomFFmpeg::EncodeVideo(OutputStreamRecord &, InputStreamRecord &, AVFrame *) {
  throw FFmpegException("Video encoding is not available in this build");
}

bool TCustomFFmpeg::ConfigureFilters(OutputStreamRecord &, InputStreamRecord &) {
  lastError_ = "video filters are not available in this build";
  return false;
}

// Nothing is buffered while EncodeAudio takes no samples.
void TCustomFFmpeg::FlushAudioBuffer(OutputStreamRecord &) {}

}  // namespace velmora
