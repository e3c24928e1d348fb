#include "app/RegistryStore.h"

namespace velmora {

namespace {

std::string ValueName(const std::string &name) { return name.empty() ? kDefaultValueName : name; }

}  // namespace

bool TRegistryStore::WriteString(const std::string &root, const std::string &keyPath,
                                 const std::string &valueName, const std::string &data) {
  return file_.WriteString(root + keyPath, ValueName(valueName), data);
}

std::string TRegistryStore::ReadString(const std::string &root, const std::string &keyPath,
                                       const std::string &valueName) const {
  return file_.ReadString(root + keyPath, ValueName(valueName), "");
}

}  // namespace velmora
