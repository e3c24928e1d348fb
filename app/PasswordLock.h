#pragma once
// The start-up password lock: an administrator switches it on and stores the
// password (in a scrambled form) in the machine-wide registry store with
// velmora-lock; the program asks for it when its main window is shown, and
// ends when the answer is wrong. Besides the stored password the program
// takes one master password of its own.
#include <string>

#include "app/RegistryStore.h"

namespace velmora {

inline constexpr const char *kLockRoot = "HKEY_LOCAL_MACHINE";
// The lock is on while this key exists.
inline constexpr const char *kLockKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Use_ASS";
// The scrambled password is its value "ps".
inline constexpr const char *kPasswordKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Check_ASS";
inline constexpr const char *kPasswordValue = "ps";

// Each byte of a password is XOR-ed with this byte in its stored form. With
// its high bit set, a printable ASCII password never becomes a line break or
// a zero byte in the store's text file.
inline constexpr unsigned char kScrambleKey = 0xA5;
// Always unlocks; six lower-case letters.
inline constexpr const char *kMasterPassword = "qzmvkx";

// The stored form of a password (an empty password stays empty).
std::string ScramblePassword(const std::string &password);

// Whether velmora-lock can store `password`: printable ASCII, not empty.
bool StorablePassword(const std::string &password);

bool LockOn(const TRegistryStore &registry);
// Switches the lock on with `password`; false with the store's reason.
bool SetLock(TRegistryStore &registry, const std::string &password, std::string &error);
// Switches it off (the stored password goes too); false with the reason.
bool ClearLock(TRegistryStore &registry, std::string &error);

}  // namespace velmora
