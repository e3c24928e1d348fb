#pragma once
#include "libav/ConvertTypes.h"

namespace velmora {

// Gives the calling thread the scheduling weight of a task priority: the
// idle priority runs only when nothing else wants the processor, the lower
// ones get a higher nice value, normal keeps the creator's.
void ApplyThreadPriority(TConvertPriority priority);

}  // namespace velmora
