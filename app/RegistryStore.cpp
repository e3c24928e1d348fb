#include "app/RegistryStore.h"

namespace velmora {

namespace {

std::string ValueName(const std::string &name) { return name.empty() ? kDefaultValueName : name; }

std::string SectionName(const std::string &root, const std::string &keyPath) {
  return root + "\\" + (keyPath.rfind('\\', 0) == 0 ? keyPath.substr(1) : keyPath);
}

}  // namespace

bool TRegistryStore::WriteString(const std::string &root, const std::string &keyPath,
                                 const std::string &valueName, const std::string &data) {
  return file_.WriteString(SectionName(root, keyPath), ValueName(valueName), data);
}

std::string TRegistryStore::ReadString(const std::string &root, const std::string &keyPath,
                                       const std::string &valueName) const {
  return file_.ReadString(SectionName(root, keyPath), ValueName(valueName), "");
}

bool TRegistryStore::KeyExists(const std::string &root, const std::string &keyPath) const {
  return file_.HasSection(SectionName(root, keyPath));
}

bool TRegistryStore::DeleteKey(const std::string &root, const std::string &keyPath) {
  return file_.RemoveSection(SectionName(root, keyPath));
}

}  // namespace velmora
