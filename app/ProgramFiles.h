#pragma once
// Where the program keeps its files. A copy whose folder can be written (a
// portable copy) keeps its settings file and its temporary folder beside the
// executable; an installed copy (a folder under /usr, read-only to its users)
// keeps them in the user's configuration and cache folders instead, without
// saying so. The theme files come from the program folder's "skins", or
// from the installed data folder beside "bin".
#include <string>

namespace velmora {

struct TUserFolders {
  std::string Home;
  std::string ConfigHome;  // $XDG_CONFIG_HOME when absolute, else Home/.config
  std::string CacheHome;   // $XDG_CACHE_HOME when absolute, else Home/.cache
};

// The folders of the user running this process.
TUserFolders UserFoldersOfThisProcess();

struct TProgramFiles {
  std::string ProgramFolder;        // the executable's folder: LibAV/ and help.chm
  std::string SettingsFile;         // "system.ini"
  std::string TempFolder;           // "temp": emptied and removed at exit
  std::string SkinFolder;           // the theme files
  std::string HelpFile;             // "help.chm"
  std::string DefaultOutputFolder;  // Video_Directory in the home folder

  std::string LibraryFolder() const;  // "LibAV" in the program folder
};

TProgramFiles LocateProgramFiles(const std::string &programFolder, bool programFolderWritable,
                                 const TUserFolders &user);
// The same for this process: the folder is tried for writing.
TProgramFiles LocateProgramFiles(const std::string &programFolder);

// True when a file can be made in `folder` (tried, not guessed from the
// permission bits, which do not stop the superuser or tell a read-only
// mount).
bool IsWritableFolder(const std::string &folder);

}  // namespace velmora
