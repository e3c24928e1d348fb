#include "app/IniFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string Trimmed(const std::string &text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

TIniFile::Section *FindSection(std::vector<TIniFile::Section> &sections,
                               const std::string &name) {
  auto it = std::find_if(sections.begin(), sections.end(),
                         [&](const TIniFile::Section &s) { return s.Name == name; });
  return it == sections.end() ? nullptr : &*it;
}

}  // namespace

bool TIniFile::Exists() const {
  std::error_code error;
  return fs::is_regular_file(path_, error);
}

bool TIniFile::Load(std::vector<Section> &sections, std::string &error) const {
  sections.clear();
  std::error_code code;
  if (!fs::exists(path_, code)) return true;
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    error = "Cannot read " + path_ + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    line = Trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string name = line.substr(1, line.size() - 2);
      if (!FindSection(sections, name)) sections.push_back({name, {}});
      continue;
    }
    const auto equals = line.find('=');
    if (sections.empty() || equals == std::string::npos) continue;
    sections.back().Values.emplace_back(Trimmed(line.substr(0, equals)),
                                        line.substr(equals + 1));
  }
  return true;
}

bool TIniFile::Save(const std::vector<Section> &sections, std::string &error) const {
  const fs::path target(path_);
  std::error_code code;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), code);
  std::ostringstream text;
  for (const Section &section : sections) {
    text << '[' << section.Name << "]\n";
    for (const auto &[name, value] : section.Values) text << name << '=' << value << '\n';
    text << '\n';
  }
  const std::string temporary = path_ + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out << text.str();
    if (!out || !out.flush()) {
      error = "Cannot write " + path_ + ": " + std::strerror(errno);
      fs::remove(temporary, code);
      return false;
    }
  }
  fs::rename(temporary, target, code);
  if (code) {
    error = "Cannot write " + path_ + ": " + code.message();
    fs::remove(temporary, code);
    return false;
  }
  return true;
}

std::vector<TIniFile::Section> TIniFile::ReadAll() const {
  std::vector<Section> sections;
  std::string error;
  Load(sections, error);
  return sections;
}

std::string TIniFile::ReadString(const std::string &section, const std::string &name,
                                 const std::string &fallback) const {
  std::vector<Section> sections = ReadAll();
  const Section *found = FindSection(sections, section);
  if (!found) return fallback;
  for (const auto &[key, value] : found->Values)
    if (key == name) return value;
  return fallback;
}

bool TIniFile::WriteString(const std::string &section, const std::string &name,
                           const std::string &value) {
  std::vector<Section> sections;
  if (!Load(sections, lastError_)) return false;
  Section *target = FindSection(sections, section);
  if (!target) {
    sections.push_back({section, {}});
    target = &sections.back();
  }
  auto it = std::find_if(target->Values.begin(), target->Values.end(),
                         [&](const auto &entry) { return entry.first == name; });
  if (it == target->Values.end())
    target->Values.emplace_back(name, value);
  else
    it->second = value;
  if (!Save(sections, lastError_)) return false;
  lastError_.clear();
  return true;
}

bool TIniFile::HasSection(const std::string &section) const {
  std::vector<Section> sections = ReadAll();
  return FindSection(sections, section) != nullptr;
}

bool TIniFile::RemoveSection(const std::string &section) {
  std::vector<Section> sections;
  if (!Load(sections, lastError_)) return false;
  const auto kept = std::remove_if(sections.begin(), sections.end(),
                                   [&](const Section &s) { return s.Name == section; });
  if (kept == sections.end()) return true;
  sections.erase(kept, sections.end());
  if (!Save(sections, lastError_)) return false;
  lastError_.clear();
  return true;
}

}  // namespace velmora
