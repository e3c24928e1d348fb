// The output folder in the settings file: read once at creation (with the
// fallback folder in the home folder, made and written back when the stored
// one is missing or cannot be made) and written when the user chooses one.
#include <filesystem>

#include "app/IniFile.h"
#include "app/MainForm.h"

namespace velmora {

namespace {

constexpr const char *kOutPath = "OutPath";  // the section and its key
constexpr const char *kNoFolder = "Error";

// Makes the folder with its missing parents; true when it is a folder now.
bool MakeFolder(const std::string &folder, std::string &problem) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(folder, error);
  if (!error && fs::is_directory(folder, error)) return true;
  problem = "无法创建输出目录 " + folder + ": " +
            (error ? error.message() : std::string("not a folder"));
  return false;
}

}  // namespace

void TForm1::Button17Click() {
  TChange change(*this);
  const TIniFile settings(files_.SettingsFile);
  const std::string stored =
      settings.Exists() ? settings.ReadString(kOutPath, kOutPath, kNoFolder) : kNoFolder;
  std::string problem;
  if (stored.empty() || stored == kNoFolder || !MakeFolder(stored, problem)) {
    if (!problem.empty()) mmoLog.Lines.push_back(problem);
    UseDefaultOutputFolder();
    return;
  }
  SetOutputFolder(stored);
}

void TForm1::UseDefaultOutputFolder() {
  const std::string &folder = files_.DefaultOutputFolder;
  std::string problem;
  if (!MakeFolder(folder, problem)) mmoLog.Lines.push_back(problem);
  StoreOutputFolder(folder);
  SetOutputFolder(folder);
}

void TForm1::StoreOutputFolder(const std::string &folder) {
  TChange change(*this);
  TIniFile settings(files_.SettingsFile);
  if (!settings.WriteString(kOutPath, kOutPath, folder)) AddLogBlock(settings.LastError());
}

}  // namespace velmora
