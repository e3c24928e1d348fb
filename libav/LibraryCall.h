#pragma once
// Guards calls through the library function slots: a slot is empty while its
// library is not loaded, and an option that needs the library must fail with
// a message rather than crash.
#include "libav/FFmpegException.h"

namespace velmora {

template <typename Function>
Function Required(Function function) {
  if (!function) throw FFmpegException("The codec libraries are not loaded");
  return function;
}

}  // namespace velmora
