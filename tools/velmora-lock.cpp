// velmora-lock: switches the program's start-up password lock on or off.
//   velmora-lock --set      asks for the password twice (without echo) and locks
//   velmora-lock --clear    unlocks
//   velmora-lock --status   says whether the lock is on
//   --registry FILE         another store than the machine-wide one
// The machine-wide store is writable by the administrator only: run --set
// and --clear with sudo.
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/PasswordLock.h"

namespace {

const char *const kUsage =
    "usage: velmora-lock --set | --clear | --status [--registry FILE]\n"
    "  --set     asks for the new password twice and switches the start-up lock on\n"
    "  --clear   switches the lock off\n"
    "  --status  says whether the lock is on\n"
    "The lock is kept in the machine-wide store /etc/velmora/registry.ini; changing it\n"
    "needs the administrator's rights (sudo velmora-lock --set).\n";

// Reads one line; on a terminal the typed characters are not shown.
bool ReadSecret(const char *prompt, std::string &line) {
  const bool terminal = isatty(STDIN_FILENO);
  termios saved{};
  if (terminal) {
    std::cerr << prompt << std::flush;
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << "\n";
  }
  return read;
}

// The store's reason, and what to do when it is a matter of rights.
int CannotWrite(const velmora::TRegistryStore &registry, const std::string &error) {
  std::cerr << "无法写入 " << registry.Path() << "：" << error << "\n";
  if (access(registry.Path().c_str(), W_OK) != 0 && geteuid() != 0)
    std::cerr << "更改启动密码锁需要管理员权限：请用 sudo velmora-lock 运行。\n";
  return 1;
}

int Set(velmora::TRegistryStore &registry) {
  std::string first, second;
  if (!ReadSecret("新密码: ", first) || !ReadSecret("再输入一次新密码: ", second)) {
    std::cerr << "没有读到密码，未作更改。\n";
    return 1;
  }
  if (first != second) {
    std::cerr << "两次输入的密码不一致，未作更改。\n";
    return 1;
  }
  if (!velmora::StorablePassword(first)) {
    std::cerr << "密码不能为空，只能由可打印的ASCII字符组成，未作更改。\n";
    return 1;
  }
  std::string error;
  if (!velmora::SetLock(registry, first, error)) return CannotWrite(registry, error);
  std::cout << "启动密码锁已开启。\n";
  return 0;
}

int Clear(velmora::TRegistryStore &registry) {
  std::string error;
  if (!velmora::ClearLock(registry, error)) return CannotWrite(registry, error);
  std::cout << "启动密码锁已关闭。\n";
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string store = velmora::kMachineRegistryFile;
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "--registry") {
      store = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      break;
    }
  velmora::TRegistryStore registry(store);
  if (args.size() == 1 && args[0] == "--set") return Set(registry);
  if (args.size() == 1 && args[0] == "--clear") return Clear(registry);
  if (args.size() == 1 && args[0] == "--status") {
    std::cout << (velmora::LockOn(registry) ? "启动密码锁：已开启" : "启动密码锁：未开启") << " ("
              << registry.Path() << ")\n";
    return 0;
  }
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  std::cerr << kUsage;
  return 2;
}
