#include "app/ErrorBox.h"

#include "libav/FFmpegException.h"

namespace velmora {

namespace {

// Shown for an error that carries no message of its own.
constexpr const char *kUnknownError = "未知错误";

}  // namespace

std::string WithFullStop(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

TErrorBox ErrorBoxFor(std::exception_ptr error) {
  if (!error) return {WithFullStop(kUnknownError), TMsgIcon::Error};
  try {
    std::rethrow_exception(error);
  } catch (const FFmpegException &e) {
    return {WithFullStop(e.what()), TMsgIcon::Warning};
  } catch (const std::exception &e) {
    return {WithFullStop(e.what()), TMsgIcon::Error};
  } catch (...) {
  }
  return {WithFullStop(kUnknownError), TMsgIcon::Error};
}

}  // namespace velmora
