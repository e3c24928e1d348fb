#pragma once
// The number formats of the probe's information text. The main window cuts
// values out of that text by its labels, so every format here is exact.
// Decimal points are always ".", whatever the process locale says.
#include <cstdint>
#include <string>

namespace velmora {

// "%d Byte" up to 1024 bytes, then "%.2f KB", "%.2f MB", "%.2f GB" (each unit
// used up to and including 1024 of the next smaller one).
std::string SizeText(std::int64_t bytes);

// HH:MM:SS.mmm of a duration in microseconds; division truncates toward zero.
std::string TimeText(std::int64_t microseconds);

// Seconds "." six digits of microseconds, both parts truncated toward zero
// (so -1 gives "0.-000001").
std::string StartTimeText(std::int64_t microseconds);

// ", <value> <label>" for a stream rate: two decimals when the value is not
// whole, no decimals when whole, and thousands with a "k" when a whole
// multiple of 1000.
std::string RateText(double value, const char *label);

// A time stamp in seconds since 1970 UTC as local standard time (the
// time-zone bias without daylight saving), "yyyy-mm-dd hh:nn:ss".
std::string TimeStampText(std::int64_t unixSeconds);

}  // namespace velmora
