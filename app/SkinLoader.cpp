#include "app/SkinLoader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/IniFile.h"
#include "app/ProgramInfo.h"

namespace velmora {

namespace {

using K = TSkinKind;

constexpr const char *kSkinSection = "skin";
constexpr const char *kSkinKey = "SetSkin";
constexpr const char *kNoSkin = "Error";

// A theme file larger than this is not a style sheet of ours.
constexpr std::uintmax_t kMaxThemeFileBytes = 1 << 20;

std::string Unreadable(const std::string &path, const std::string &reason) {
  return "无法读取皮肤文件 " + path + ": " + reason;
}

// The theme file's text; on failure empty, with `problem` saying why.
std::string ReadThemeFile(const std::string &path, std::string &problem) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::exists(path, error)) {
    problem = Unreadable(path, error ? error.message() : std::strerror(ENOENT));
    return {};
  }
  if (!fs::is_regular_file(path, error)) {
    problem = Unreadable(path, "not a regular file");
    return {};
  }
  if (fs::file_size(path, error) > kMaxThemeFileBytes) {
    problem = Unreadable(path, "larger than a style sheet can be");
    return {};
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problem = Unreadable(path, std::strerror(errno ? errno : EIO));
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    problem = Unreadable(path, std::strerror(errno ? errno : EIO));
    return {};
  }
  return text.str();
}

}  // namespace

const std::vector<TSkinLook> &SkinLooks() {
  static const std::vector<TSkinLook> table = {
      {"skin1", K::BuiltInStyle, "MacOS", false},
      {"skin2", K::ThemeFile, "msn.sui", true},
      {"skin3", K::ThemeFile, "mp10.sui", true},
      {"skin4", K::BuiltInStyle, "WinXP", false},
      {"skin5", K::BuiltInStyle, "Protein", false},
      {"skin6", K::ThemeFile, "RealOne.sui", false},
      {"skin7", K::BuiltInStyle, "DeepBlue", false},
      {"skin8", K::BuiltInStyle, "BlueGlass", false},
      {"skin9", K::ThemeFile, "Longhorn.sui", false},
      {"skin10", K::ThemeFile, "DeepGreen.sui", false},
      {"skin11", K::ThemeFile, "DeepOrange.sui", false},
      {"skin12", K::ThemeFile, "GreenGlass.sui", false},
      {"skin13", K::ThemeFile, "OneBlue.sui", false},
      {"skin14", K::ThemeFile, "OneCyan.sui", false},
      {"skin15", K::ThemeFile, "SportsBlack.sui", false},
      {"skin16", K::ThemeFile, "xpgreen.sui", false},
      {"skin17", K::ThemeFile, "royale.sui", false},
      {"skin18", K::ThemeFile, "winter.sui", false},
  };
  return table;
}

const TSkinLook *SkinLookOf(const std::string &value) {
  for (const TSkinLook &look : SkinLooks())
    if (value == look.Value) return &look;
  return nullptr;
}

const std::vector<TSkinMenuEntry> &SkinMenuEntries() {
  // "skin17" has no entry: only a stored value selects it.
  static const std::vector<TSkinMenuEntry> menu = {
      {"MSNStyle1", "微软MSN皮肤", "skin2"},      {"N6", "冬天的色彩皮肤", "skin18"},
      {"MediaPlayer101", "WMP10皮肤", "skin3"},   {"WinXP1", "WinXP标准皮肤", "skin4"},
      {"Protein1", "Protein样式皮肤", "skin5"},   {"RealOne1", "RealOne风格皮肤", "skin6"},
      {"DeepBlue1", "深蓝色皮肤", "skin7"},       {"BlueGlass1", "蓝色玻璃皮肤", "skin8"},
      {"Longhorn1", "Vista风格皮肤", "skin9"},    {"MacOS1", "Mac苹果皮肤", "skin1"},
      {"DeepGreen1", "深绿色皮肤", "skin10"},     {"DeepOrange1", "桔红色皮肤", "skin11"},
      {"GreenGlass1", "绿色玻璃皮肤", "skin12"},  {"OneBlue1", "时尚蓝色blue皮肤", "skin13"},
      {"OneCyan1", "时尚的Cyan皮肤", "skin14"},   {"SportsBlack1", "运动黑色皮肤", "skin15"},
      {"xpgreen1", "XP绿色皮肤", "skin16"},
  };
  return menu;
}

std::string TSkinLoader::StoredValue() const {
  return TIniFile(settingsFile_).ReadString(kSkinSection, kSkinKey, kNoSkin);
}

std::string TSkinLoader::ApplyStored(TSkinState &skin) const {
  const TSkinLook *look = SkinLookOf(StoredValue());
  if (!look) return {};
  return Apply(*look, look->RestoresApplication, skin);
}

std::string TSkinLoader::Apply(const TSkinLook &look, bool restoreApplication,
                               TSkinState &skin) const {
  std::string themeFile, styleSheet, problem;
  if (look.Kind == K::ThemeFile) {
    themeFile = (std::filesystem::path(skinFolder_) / look.Name).string();
    styleSheet = ReadThemeFile(themeFile, problem);
    if (!problem.empty()) {
      std::clog << kProgramName << ": " << problem << std::endl;
      return problem;
    }
  }
  skin.Kind = look.Kind;
  skin.Name = look.Name;
  skin.ThemeFile = std::move(themeFile);
  skin.StyleSheet = std::move(styleSheet);
  ++skin.Applied;
  if (restoreApplication) ++skin.RestoreRequests;
  return {};
}

std::string TSkinLoader::Store(const std::string &value) const {
  TIniFile settings(settingsFile_);
  return settings.WriteString(kSkinSection, kSkinKey, value) ? std::string() : settings.LastError();
}

}  // namespace velmora
