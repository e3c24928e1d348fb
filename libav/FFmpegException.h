#pragma once
// The engine's error class: its message is the text the user sees.
#include <stdexcept>
#include <string>

namespace velmora {

class FFmpegException : public std::runtime_error {
 public:
  explicit FFmpegException(const std::string &message) : std::runtime_error(message) {}
};

}  // namespace velmora
