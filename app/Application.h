#pragma once
// The program's application object as the windows' models see it: its
// title, its help file, and the one place where an error goes that no
// handler caught. The GUI's event dispatch hands such errors to
// HandleException; the main window, when created, routes them to its error
// box.
#include <exception>
#include <functional>
#include <mutex>
#include <string>

#include "app/ProgramInfo.h"

namespace velmora {

using TExceptionHandler = std::function<void(std::exception_ptr)>;

class TApplication {
 public:
  static TApplication &Instance();

  const std::string Title = kProgramName;
  const std::string HelpFile = kHelpFileName;

  // Errors go to `handler` from now on; `owner` names who set it.
  void SetOnException(const void *owner, TExceptionHandler handler);
  // Takes the handler away again, if `owner` set the current one.
  void ClearOnException(const void *owner);
  // An error that no handler caught: to the handler, or to standard error
  // while there is none. A handler that fails in turn is reported there too.
  void HandleException(std::exception_ptr error);

  TApplication(const TApplication &) = delete;
  TApplication &operator=(const TApplication &) = delete;

 private:
  TApplication() = default;

  std::mutex lock_;
  const void *owner_ = nullptr;
  TExceptionHandler handler_;
};

// The message of an error ("" for an exception that is not a std::exception).
std::string ErrorMessage(std::exception_ptr error);

}  // namespace velmora
