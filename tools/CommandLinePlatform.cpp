#include "tools/CommandLinePlatform.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace velmora {

namespace {

// Runs a program found on PATH and waits for it; true when it exited with 0.
bool RunCommand(std::vector<std::string> words) {
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // The child gets no signal blocked, whatever this program blocks.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::vector<std::string> TCommandLinePlatform::TakeMessages() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> messages;
  messages.swap(messages_);
  return messages;
}

TMsgAnswer TCommandLinePlatform::MessageBox(const std::string &text, const std::string &caption,
                                            TMsgButtons buttons, TMsgIcon) {
  if (buttons != TMsgButtons::Ok)
    return buttons == TMsgButtons::OkCancel ? TMsgAnswer::Ok : TMsgAnswer::Yes;
  std::lock_guard<std::mutex> guard(lock_);
  messages_.push_back(caption + ": " + text);
  return TMsgAnswer::Ok;
}

std::vector<std::string> TCommandLinePlatform::OpenFiles(const TOpenDialogSpec &) { return {}; }

std::optional<std::string> TCommandLinePlatform::ChooseFolder(const std::string &) {
  return std::nullopt;
}

bool TCommandLinePlatform::ShellOpen(const std::string &target) {
  return RunCommand({"xdg-open", target});
}

bool TCommandLinePlatform::Shutdown() {
  return shutdownAllowed_ && RunCommand({"systemctl", "poweroff", "--ignore-inhibitors"});
}

void TCommandLinePlatform::PostToGuiThread(std::function<void()> call) {
  if (call) call();
}

}  // namespace velmora
