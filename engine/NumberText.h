#pragma once
// Reading option values as numbers. Integer and floating-point options accept
// a plain decimal number with an optional sign and surrounding white space;
// anything else is refused with the messages the user sees for a bad number.
// Floating-point text always uses "." as the decimal point, whatever the
// process locale says.
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The text without leading and trailing characters of code 32 or below.
std::string TrimText(std::string_view text);

// Decimal integer within the 32-bit (or 64-bit) range; false when the text is
// not one.
bool TryTextToInt(std::string_view text, int &value);
bool TryTextToInt64(std::string_view text, std::int64_t &value);
// Decimal number: digits with an optional fraction and exponent ("1.5",
// ".5", "2e3"); no hexadecimal, infinity or NaN. False when the text is not
// one or its value is not finite.
bool TryTextToFloat(std::string_view text, double &value);

// As above, raising FFmpegException "'%s' is not a valid integer value" or
// "'%s' is not a valid floating point value" with the text as given.
int TextToInt(const std::string &text);
std::int64_t TextToInt64(const std::string &text);
double TextToFloat(const std::string &text);
// A number stored as Single: also refused when beyond the float range.
float TextToSingle(const std::string &text);

// strtol with base 0 (decimal, 0x hexadecimal, leading 0 octal), clamped to
// the int range; *end is set past the characters read, as strtol does.
int ReadCInteger(const char *text, const char **end);
// strtod in the "C" locale; *end as strtod sets it.
double ReadCDouble(const char *text, const char **end);

}  // namespace velmora
