#pragma once
// What the error box shows for an error that reached the application: its
// message ending in a full stop, with the warning icon for the engine's
// errors and the error icon for all others.
#include <exception>
#include <string>

#include "app/Platform.h"

namespace velmora {

struct TErrorBox {
  std::string Text;
  TMsgIcon Icon;
};

TErrorBox ErrorBoxFor(std::exception_ptr error);

// Appends "." when the message is not empty and its last byte sorts after
// "." (letters, digits and every Chinese character do; "!" and ")" do not).
std::string WithFullStop(std::string message);

}  // namespace velmora
