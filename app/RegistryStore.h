#pragma once
// The machine-wide key store that stands in for the system registry: an INI
// file with one section per root and key path ("HKEY_CLASSES_ROOT\avsfile";
// a key path is joined to its root by one separator, given with or without it)
// and the key's unnamed value under the name "(default)". Keys are created
// when missing. The file's location is given by the caller; the window
// program uses kMachineRegistryFile.
#include <string>

#include "app/IniFile.h"

namespace velmora {

inline constexpr const char *kMachineRegistryFile = "/etc/velmora/registry.ini";
inline constexpr const char *kDefaultValueName = "(default)";

class TRegistryStore {
 public:
  explicit TRegistryStore(std::string path) : file_(std::move(path)) {}

  const std::string &Path() const { return file_.Path(); }
  // An empty `valueName` is the key's unnamed value. False with LastError
  // when the store cannot be written.
  bool WriteString(const std::string &root, const std::string &keyPath,
                   const std::string &valueName, const std::string &data);
  std::string ReadString(const std::string &root, const std::string &keyPath,
                         const std::string &valueName) const;
  bool KeyExists(const std::string &root, const std::string &keyPath) const;
  // Removes the key with its values (not the keys below it); false with
  // LastError when the store cannot be written.
  bool DeleteKey(const std::string &root, const std::string &keyPath);
  std::string LastError() const { return file_.LastError(); }

 private:
  TIniFile file_;
};

}  // namespace velmora
