#pragma once
// The platform services of a form model run from the command line: no
// dialogs, messages collected for the program to print, opening a folder
// with the desktop's opener, and shutting the computer down only when the
// command asked for it.
#include <mutex>
#include <string>
#include <vector>

#include "app/Platform.h"

namespace velmora {

class TCommandLinePlatform : public TPlatform {
 public:
  explicit TCommandLinePlatform(bool shutdownAllowed) : shutdownAllowed_(shutdownAllowed) {}

  // The messages shown since the last call, as "caption: text", oldest first.
  std::vector<std::string> TakeMessages();

  // A message is collected; a question is answered with its first button
  // (the command itself is the user's answer: Ctrl+C is a confirmed stop).
  TMsgAnswer MessageBox(const std::string &text, const std::string &caption, TMsgButtons buttons,
                        TMsgIcon icon) override;
  // No dialogs: nothing is chosen.
  std::vector<std::string> OpenFiles(const TOpenDialogSpec &dialog) override;
  std::optional<std::string> ChooseFolder(const std::string &title) override;
  bool ShellOpen(const std::string &target) override;
  bool Shutdown() override;
  // Runs the call at once: there is no GUI thread.
  void PostToGuiThread(std::function<void()> call) override;

 private:
  const bool shutdownAllowed_;
  std::mutex lock_;
  std::vector<std::string> messages_;
};

}  // namespace velmora
