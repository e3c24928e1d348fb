#pragma once
// Option value texts read by the engine.
#include <cstdint>
#include <string>

namespace velmora {

// A duration ([-]HH:MM:SS[.m...] or seconds) or a date read by the library's
// parser, in microseconds. Raises FFmpegException "Invalid duration
// specification for <option>: <text>" (or "date") when the parser refuses it.
std::int64_t ParseTimeValue(const std::string &optionName, const std::string &text,
                            bool isDuration);

}  // namespace velmora
