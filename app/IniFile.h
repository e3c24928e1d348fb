#pragma once
// A settings file in INI format ("[section]" lines followed by "name=value"
// lines). Every call reads the file afresh and every write saves it at once,
// through a temporary file renamed over the old one, so a failed write leaves
// the old contents. Sections and names keep the order they were first written
// in; names are compared exactly.
#include <string>
#include <utility>
#include <vector>

namespace velmora {

class TIniFile {
 public:
  explicit TIniFile(std::string path) : path_(std::move(path)) {}

  const std::string &Path() const { return path_; }
  bool Exists() const;
  // The value, or `fallback` when the file, the section or the name is missing.
  std::string ReadString(const std::string &section, const std::string &name,
                         const std::string &fallback) const;
  // Writes the value, creating the file and its folders when missing; false
  // with LastError when the file cannot be read or written.
  bool WriteString(const std::string &section, const std::string &name, const std::string &value);
  bool HasSection(const std::string &section) const;
  // Removes the section with its values; a missing one is no error.
  bool RemoveSection(const std::string &section);
  std::string LastError() const { return lastError_; }

  struct Section {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Values;
  };
  // The whole file in its order; empty when it is missing.
  std::vector<Section> ReadAll() const;

 private:
  bool Load(std::vector<Section> &sections, std::string &error) const;
  bool Save(const std::vector<Section> &sections, std::string &error) const;

  std::string path_;
  std::string lastError_;
};

}  // namespace velmora
