#include "app/FileNames.h"

#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

std::string FileExtension(const std::string &path) {
  const std::string name = fs::path(path).filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string FileBaseName(const std::string &path) {
  const std::string name = fs::path(path).filename().string();
  return name.substr(0, name.rfind('.'));
}

std::string WithExtension(const std::string &path, const std::string &extension) {
  const fs::path p(path);
  return (p.parent_path() / (FileBaseName(path) + extension)).string();
}

std::string AsciiUpper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool IsDatFile(const std::string &path) { return AsciiUpper(FileExtension(path)) == ".DAT"; }

bool SameFile(const std::string &a, const std::string &b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

bool FileExists(const std::string &path) {
  std::error_code error;
  return fs::exists(path, error);
}

}  // namespace velmora
