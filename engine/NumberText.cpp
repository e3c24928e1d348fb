#include "engine/NumberText.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "libav/FFmpegException.h"

namespace velmora {

namespace {

// The "C" locale, made once for the whole process and never freed.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename T>
bool TryDecimal(std::string_view text, T &value) {
  const std::string trimmed = TrimText(text);
  std::string_view digits = trimmed;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty() || !IsDigit(digits.front())) return false;
  // Read the magnitude as unsigned so that the most negative value fits.
  unsigned long long magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  const unsigned long long maxPositive =
      static_cast<unsigned long long>(std::numeric_limits<T>::max());
  if (magnitude > maxPositive + (negative ? 1u : 0u)) return false;
  if (negative)
    value =
        magnitude == maxPositive + 1 ? std::numeric_limits<T>::min() : -static_cast<T>(magnitude);
  else
    value = static_cast<T>(magnitude);
  return true;
}

// Digits, optional fraction, optional exponent; at least one digit before
// the exponent.
bool IsDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

[[noreturn]] void RaiseNotInteger(const std::string &text) {
  throw FFmpegException("'" + text + "' is not a valid integer value");
}

[[noreturn]] void RaiseNotFloat(const std::string &text) {
  throw FFmpegException("'" + text + "' is not a valid floating point value");
}

}  // namespace

std::string TrimText(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return std::string(text.substr(first, last - first));
}

bool TryTextToInt(std::string_view text, int &value) { return TryDecimal(text, value); }

bool TryTextToInt64(std::string_view text, std::int64_t &value) { return TryDecimal(text, value); }

bool TryTextToFloat(std::string_view text, double &value) {
  const std::string trimmed = TrimText(text);
  if (!IsDecimalNumber(trimmed)) return false;
  char *end = nullptr;
  errno = 0;
  const double result = strtod_l(trimmed.c_str(), &end, CLocale());
  if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(result)) return false;
  value = result;
  return true;
}

int TextToInt(const std::string &text) {
  int value = 0;
  if (!TryTextToInt(text, value)) RaiseNotInteger(text);
  return value;
}

std::int64_t TextToInt64(const std::string &text) {
  std::int64_t value = 0;
  if (!TryTextToInt64(text, value)) RaiseNotInteger(text);
  return value;
}

double TextToFloat(const std::string &text) {
  double value = 0;
  if (!TryTextToFloat(text, value)) RaiseNotFloat(text);
  return value;
}

float TextToSingle(const std::string &text) {
  const double value = TextToFloat(text);
  if (std::fabs(value) > std::numeric_limits<float>::max()) RaiseNotFloat(text);
  return static_cast<float>(value);
}

int ReadCInteger(const char *text, const char **end) {
  char *stop = nullptr;
  const long value = std::strtol(text, &stop, 0);
  *end = stop;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ReadCDouble(const char *text, const char **end) {
  char *stop = nullptr;
  const double value = strtod_l(text, &stop, CLocale());
  *end = stop;
  return value;
}

}  // namespace velmora
