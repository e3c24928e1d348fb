#pragma once
// Helpers shared by the probe's records and its information text.
#include <cstdint>
#include <string>

#include "libav/FFmpegHeaders.h"

namespace velmora {

// A metadata value, empty when the key is absent.
std::string MetadataText(const AVDictionary *metadata, const char *key);
// The value of the first key of the two that is present (empty when neither
// is): today's library names some of the older generic keys differently.
std::string MetadataText(const AVDictionary *metadata, const char *key, const char *newerKey);

// A stream time base with denominator 0 gets the numerator as denominator,
// and 1 when that is 0 too; the repaired value is written back to the stream.
AVRational RepairedTimeBase(AVStream *stream);

// A stream time in microseconds, -1 when the raw value is unknown.
std::int64_t StreamMicroseconds(std::int64_t raw, AVRational timeBase);

// The decoder's short name with its long name in parentheses, or a name
// made from the codec id or tag when no decoder is available.
std::string StreamCodecName(const AVCodecParameters *parameters);

}  // namespace velmora
