#pragma once
// Texts about the library's results, shared by the engine and the media probe.
#include <string>

namespace velmora {

// The message for a file the library could not open, chosen by the
// library's (negative) error code.
std::string OpenErrorText(const std::string &fileName, int errorCode);

// "Video", "Audio", "Data", "Subtitle", "Attachment" for the media types 0 to
// 4, "Unknown" for anything else.
std::string MediaTypeName(int mediaType);

}  // namespace velmora
