#pragma once
// The skins of the windows. A stored "SetSkin" value ("skin1" … "skin18")
// selects a look: one of the built-in styles compiled into the program or a
// theme file from the skin folder. Every window keeps its look in a
// TSkinState, which its model sets through a TSkinLoader (the window's
// Button1Click: the stored skin, whenever the window is shown) and which its
// view applies to its widgets. The loader reads the theme file itself, so a
// missing or unreadable file is found here: the window keeps the look it
// has, and the loader says why.
#include <string>
#include <vector>

#include "app/ProgramFiles.h"

namespace velmora {

enum class TSkinKind {
  Design,        // the look the window was built with: nothing applied
  BuiltInStyle,  // a style compiled into the program, by name
  ThemeFile,     // a theme file (a Qt style sheet) from the skin folder
};

// One row of the skin table.
struct TSkinLook {
  const char *Value;  // the "SetSkin" value
  TSkinKind Kind;
  const char *Name;  // the built-in style's name or the theme file's name
  bool RestoresApplication;  // the stored value also restores a minimised program
};

// The look a "SetSkin" value stands for; null for any other value.
const TSkinLook *SkinLookOf(const std::string &value);
// Every look, in the order of their values.
const std::vector<TSkinLook> &SkinLooks();

// One entry of the skin menu.
struct TSkinMenuEntry {
  const char *Name;  // the menu entry's control; its click handler is Name + "Click"
  const char *Caption;
  const char *Value;  // the "SetSkin" value it applies and stores
};
// The skin menu, in menu order.
const std::vector<TSkinMenuEntry> &SkinMenuEntries();

// A window's look, as its view applies it.
struct TSkinState {
  TSkinKind Kind = TSkinKind::Design;
  std::string Name;        // the built-in style's or theme file's name
  std::string ThemeFile;   // the theme file's path
  std::string StyleSheet;  // the theme file's text
  int Applied = 0;          // counts the looks applied, so a view sees each one
  int RestoreRequests = 0;  // counts the requests to restore a minimised program
};

class TSkinLoader {
 public:
  explicit TSkinLoader(const TProgramFiles &files)
      : settingsFile_(files.SettingsFile), skinFolder_(files.SkinFolder) {}

  // "SetSkin" of section "skin" of the settings file; "Error" when missing.
  std::string StoredValue() const;
  // The stored skin onto `skin` (every window's Button1Click). Returns why
  // the look stayed as it was ("" when it was applied, or when the stored
  // value selects no look).
  std::string ApplyStored(TSkinState &skin) const;
  // One look onto `skin`; `restoreApplication` asks the view to restore a
  // minimised program. Returns why the look stayed ("" when applied).
  std::string Apply(const TSkinLook &look, bool restoreApplication, TSkinState &skin) const;
  // Writes `value` as "SetSkin"; returns why it could not ("" when written).
  std::string Store(const std::string &value) const;

  const std::string &SkinFolder() const { return skinFolder_; }

 private:
  std::string settingsFile_;
  std::string skinFolder_;
};

}  // namespace velmora
