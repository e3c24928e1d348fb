#pragma once
// Text routines shared by the engine and the media probe.
#include <cstdint>
#include <string>

namespace velmora {

// The message for a file the library could not open, chosen by the
// library's (negative) error code.
std::string OpenErrorText(const std::string &fileName, int errorCode);

// "Video", "Audio", "Data", "Subtitle", "Attachment" for the media types 0 to
// 4, "Unknown" for anything else.
std::string MediaTypeName(int mediaType);

// A duration ([-]HH:MM:SS[.m...] or seconds) or a date read by the library's
// parser, in microseconds. Raises FFmpegException "Invalid duration
// specification for <option>: <text>" (or "date") when the parser refuses it.
std::int64_t ParseTimeValue(const std::string &optionName, const std::string &text,
                            bool isDuration);

}  // namespace velmora
