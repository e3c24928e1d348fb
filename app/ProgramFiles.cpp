#include "app/ProgramFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/ProgramInfo.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char *kFolderName = "velmora";  // below the user's folders

std::string Environment(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

// An XDG base folder: the variable when it holds an absolute path, otherwise
// the given folder below home.
std::string BaseFolder(const char *variable, const std::string &home, const char *fallback) {
  const std::string value = Environment(variable);
  if (fs::path(value).is_absolute()) return value;
  return (fs::path(home) / fallback).string();
}

bool IsFolder(const fs::path &path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

std::string SkinFolderOf(const fs::path &programFolder) {
  const fs::path beside = programFolder / "skins";
  const fs::path installed = (programFolder / ".." / "share" / kFolderName / "skins").lexically_normal();
  if (!IsFolder(beside) && IsFolder(installed)) return installed.string();
  return beside.string();
}

}  // namespace

TUserFolders UserFoldersOfThisProcess() {
  std::string home = Environment("HOME");
  if (home.empty())
    if (const passwd *user = getpwuid(getuid())) home = user->pw_dir;
  return {home, BaseFolder("XDG_CONFIG_HOME", home, ".config"),
          BaseFolder("XDG_CACHE_HOME", home, ".cache")};
}

std::string TProgramFiles::LibraryFolder() const {
  return (fs::path(ProgramFolder) / "LibAV").string();
}

TProgramFiles LocateProgramFiles(const std::string &programFolder, bool programFolderWritable,
                                 const TUserFolders &user) {
  const fs::path program(programFolder);
  const fs::path settingsFolder =
      programFolderWritable ? program : fs::path(user.ConfigHome) / kFolderName;
  const fs::path tempParent = programFolderWritable ? program : fs::path(user.CacheHome) / kFolderName;
  TProgramFiles files;
  files.ProgramFolder = programFolder;
  files.SettingsFile = (settingsFolder / "system.ini").string();
  files.TempFolder = (tempParent / "temp").string();
  files.SkinFolder = SkinFolderOf(program);
  files.HelpFile = (program / kHelpFileName).string();
  files.DefaultOutputFolder = (fs::path(user.Home) / "Video_Directory").string();
  return files;
}

TProgramFiles LocateProgramFiles(const std::string &programFolder) {
  return LocateProgramFiles(programFolder, IsWritableFolder(programFolder),
                            UserFoldersOfThisProcess());
}

bool IsWritableFolder(const std::string &folder) {
  if (access(folder.c_str(), W_OK | X_OK) != 0) return false;
  std::string probe = (fs::path(folder) / ".velmora-write-test-XXXXXX").string();
  const int descriptor = mkstemp(probe.data());
  if (descriptor < 0) return false;
  close(descriptor);
  unlink(probe.c_str());
  return true;
}

}  // namespace velmora
