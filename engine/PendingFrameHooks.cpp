// The frame hook list. Until hook modules can be loaded, every hook is
// refused, and the -vhook option says so.
#include "engine/CustomFFmpeg.h"

namespace velmora {

// -1: the hook module cannot be loaded.
int TCustomFFmpeg::AddFrameHook(const std::vector<std::string> &) { return -1; }

}  // namespace velmora
