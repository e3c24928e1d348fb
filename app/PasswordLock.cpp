#include "app/PasswordLock.h"

namespace velmora {

std::string ScramblePassword(const std::string &password) {
  std::string scrambled = password;
  for (char &c : scrambled) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
  return scrambled;
}

bool StorablePassword(const std::string &password) {
  if (password.empty()) return false;
  for (unsigned char c : password)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

bool LockOn(const TRegistryStore &registry) { return registry.KeyExists(kLockRoot, kLockKey); }

bool SetLock(TRegistryStore &registry, const std::string &password, std::string &error) {
  // The lock key carries no value of its own; its unnamed value makes it exist.
  const bool written =
      registry.WriteString(kLockRoot, kPasswordKey, kPasswordValue, ScramblePassword(password)) &&
      registry.WriteString(kLockRoot, kLockKey, "", "");
  if (!written) error = registry.LastError();
  return written;
}

bool ClearLock(TRegistryStore &registry, std::string &error) {
  const bool cleared =
      registry.DeleteKey(kLockRoot, kLockKey) && registry.DeleteKey(kLockRoot, kPasswordKey);
  if (!cleared) error = registry.LastError();
  return cleared;
}

}  // namespace velmora
