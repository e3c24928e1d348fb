#include "engine/OptionTexts.h"

#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"

namespace velmora {

std::int64_t ParseTimeValue(const std::string &optionName, const std::string &text,
                            bool isDuration) {
  if (!ff.av_parse_time) throw FFmpegException("The codec libraries are not loaded");
  std::int64_t microseconds = 0;
  if (ff.av_parse_time(&microseconds, text.c_str(), isDuration ? 1 : 0) < 0)
    throw FFmpegException("Invalid " + std::string(isDuration ? "duration" : "date") +
                          " specification for " + optionName + ": " + text);
  return microseconds;
}

}  // namespace velmora
