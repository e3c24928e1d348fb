#pragma once

#include <cstdio>
#include <string>

namespace velmora {

// printf-style formatting into a string of whatever length the text needs
// (file names in messages can be long).
template <typename... Args>
std::string Format(const char *format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

}  // namespace velmora
