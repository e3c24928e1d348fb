// The main window's start and end: its creation steps, the output folder of
// the settings file and its fallback, where a portable and an installed copy
// keep their files, the error box, closing, and the help menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "StartupFixture.h"
#include "app/Application.h"
#include "app/ErrorBox.h"
#include "libav/FFmpegException.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::StartupFixture;

using StartupTest = StartupFixture;

std::vector<std::string> Texts(const std::vector<TPlatformCall> &calls, int index = 0) {
  std::vector<std::string> texts;
  for (const TPlatformCall &call : calls) texts.push_back(call.Texts.at(index));
  return texts;
}

TEST_F(StartupTest, WithoutASettingsFileTheOutputFolderFallsBackIsMadeAndStored) {
  Create();
  EXPECT_EQ(form->OutputFolder, DefaultOutputFolder());
  EXPECT_EQ(form->suiEdit1.Text, DefaultOutputFolder());
  EXPECT_TRUE(fs::is_directory(DefaultOutputFolder()));
  EXPECT_EQ(Settings().ReadString("OutPath", "OutPath", "?"), DefaultOutputFolder());
  // The other creation steps.
  EXPECT_EQ(form->Paused, "NO");
  EXPECT_EQ(form->JoinPhase, "NO");
  EXPECT_EQ(form->suiComboBox1.ItemIndex, 2);
  EXPECT_EQ(form->suiComboBox2.ItemIndex, 3);
  EXPECT_EQ(form->suiComboBox3.ItemIndex, 0);
  EXPECT_EQ(form->Skin.Kind, TSkinKind::Design);  // no skin stored
  EXPECT_TRUE(platform.Calls("MessageBox").empty());
}

TEST_F(StartupTest, TheStoredOutputFolderIsUsedMadeOrReplacedByTheFallback) {
  const std::string existing = dir.file("videos"), missing = dir.file("new/deeper/videos");
  const std::string blocker = dir.file("a-file");
  fs::create_directories(existing);
  std::ofstream(blocker) << "not a folder";
  struct Case {
    const char *What;
    std::string Stored;  // "" with Write false: no OutPath at all
    bool Write;
    std::string Used;
    std::string StoredAfter;
  };
  const Case cases[] = {
      {"an existing folder", existing, true, existing, existing},
      {"a missing folder is made with its parents", missing, true, missing, missing},
      {"a folder that cannot be made", blocker + "/videos", true, DefaultOutputFolder(),
       DefaultOutputFolder()},
      {"a file in the folder's place", blocker, true, DefaultOutputFolder(), DefaultOutputFolder()},
      {"an empty value", "", true, DefaultOutputFolder(), DefaultOutputFolder()},
      {"the value Error", "Error", true, DefaultOutputFolder(), DefaultOutputFolder()},
      {"a settings file without OutPath", "", false, DefaultOutputFolder(), DefaultOutputFolder()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.What);
    fs::remove(Files().SettingsFile);
    TIniFile settings = Settings();
    ASSERT_TRUE(c.Write ? settings.WriteString("OutPath", "OutPath", c.Stored)
                        : settings.WriteString("skin", "SetSkin", "Error"));
    Create();
    EXPECT_EQ(form->OutputFolder, c.Used);
    EXPECT_EQ(form->suiEdit1.Text, c.Used);
    EXPECT_TRUE(fs::is_directory(c.Used));
    EXPECT_EQ(Settings().ReadString("OutPath", "OutPath", "?"), c.StoredAfter);
  }
}

TEST_F(StartupTest, APortableCopyKeepsItsFilesBesideItAnInstalledOneInTheUsersFolders) {
  const TProgramFiles portable = LocateProgramFiles(programFolder, true, User());
  EXPECT_EQ(portable.SettingsFile, programFolder + "/system.ini");
  EXPECT_EQ(portable.TempFolder, programFolder + "/temp");
  EXPECT_EQ(portable.HelpFile, programFolder + "/help.chm");
  EXPECT_EQ(portable.LibraryFolder(), programFolder + "/LibAV");
  EXPECT_EQ(portable.DefaultOutputFolder, DefaultOutputFolder());

  const TProgramFiles installed = LocateProgramFiles(programFolder, false, User());
  EXPECT_EQ(installed.SettingsFile, dir.file("config/velmora/system.ini"));
  EXPECT_EQ(installed.TempFolder, dir.file("cache/velmora/temp"));
  EXPECT_EQ(installed.LibraryFolder(), programFolder + "/LibAV");

  // The installed copy's first start: settings written to the user's
  // folder, nothing beside the program, nothing said.
  Create(Files(false));
  EXPECT_EQ(TIniFile(installed.SettingsFile).ReadString("OutPath", "OutPath", "?"),
            DefaultOutputFolder());
  EXPECT_FALSE(fs::exists(programFolder + "/system.ini"));
  platform.QueueFolder(dir.file("home"));
  form->suiButton3Click();
  EXPECT_EQ(TIniFile(installed.SettingsFile).ReadString("OutPath", "OutPath", "?"),
            dir.file("home"));
  EXPECT_TRUE(platform.Calls("MessageBox").empty());
}

TEST_F(StartupTest, AFolderIsWritableOnlyWhenAFileCanBeMadeInIt) {
  EXPECT_TRUE(IsWritableFolder(programFolder));
  EXPECT_TRUE(fs::is_empty(programFolder));  // the probe file is gone again
  EXPECT_FALSE(IsWritableFolder(dir.file("missing")));
  EXPECT_FALSE(IsWritableFolder("/proc"));  // no file can be made there, not even by root
  if (geteuid() != 0) {
    fs::permissions(programFolder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(IsWritableFolder(programFolder));
    fs::permissions(programFolder, fs::perms::owner_all);
  }
  // The program in a folder it may write: the portable layout.
  EXPECT_EQ(LocateProgramFiles(programFolder).SettingsFile, programFolder + "/system.ini");
}

TEST_F(StartupTest, TheUsersFoldersFollowTheXdgVariablesWhenAbsolute) {
  struct Variables {
    const char *Config, *Cache;
    std::string ConfigHome, CacheHome;
  };
  const std::string home = dir.file("home");
  const Variables cases[] = {
      {nullptr, nullptr, home + "/.config", home + "/.cache"},
      {"/xdg/config", "/xdg/cache", "/xdg/config", "/xdg/cache"},
      {"relative/config", "", home + "/.config", home + "/.cache"},
  };
  test::ScopedEnvironment scopedHome("HOME", home.c_str());
  for (const Variables &v : cases) {
    test::ScopedEnvironment config("XDG_CONFIG_HOME", v.Config);
    test::ScopedEnvironment cache("XDG_CACHE_HOME", v.Cache);
    const TUserFolders user = UserFoldersOfThisProcess();
    EXPECT_EQ(user.Home, home);
    EXPECT_EQ(user.ConfigHome, v.ConfigHome);
    EXPECT_EQ(user.CacheHome, v.CacheHome);
  }
}

TEST_F(StartupTest, AnInstalledProgramFindsItsThemeFilesInTheDataFolder) {
  const fs::path prefix = dir.file("usr");
  fs::create_directories(prefix / "bin");
  EXPECT_EQ(LocateProgramFiles((prefix / "bin").string(), false, User()).SkinFolder,
            (prefix / "bin/skins").string());
  fs::create_directories(prefix / "share/velmora/skins");
  EXPECT_EQ(LocateProgramFiles((prefix / "bin").string(), false, User()).SkinFolder,
            (prefix / "share/velmora/skins").string());
  // A portable copy's own skins come first.
  fs::create_directories(prefix / "bin/skins");
  EXPECT_EQ(LocateProgramFiles((prefix / "bin").string(), true, User()).SkinFolder,
            (prefix / "bin/skins").string());
}

TEST(ErrorBoxTest, TheMessageEndsInAFullStopAndTheIconTellsTheEnginesErrors) {
  struct Case {
    std::exception_ptr Error;
    std::string Text;
    TMsgIcon Icon;
  };
  const Case cases[] = {
      {std::make_exception_ptr(std::runtime_error("abc")), "abc.", TMsgIcon::Error},
      {std::make_exception_ptr(std::runtime_error("错误!")), "错误!", TMsgIcon::Error},
      {std::make_exception_ptr(FFmpegException("abc")), "abc.", TMsgIcon::Warning},
      {std::make_exception_ptr(FFmpegException("错误!")), "错误!", TMsgIcon::Warning},
      {std::make_exception_ptr(std::runtime_error("文件已存在")), "文件已存在.", TMsgIcon::Error},
      {std::make_exception_ptr(std::runtime_error("done.")), "done.", TMsgIcon::Error},
      {std::make_exception_ptr(std::runtime_error("(x)")), "(x)", TMsgIcon::Error},
      {std::make_exception_ptr(std::runtime_error("7")), "7.", TMsgIcon::Error},
      {std::make_exception_ptr(std::runtime_error("")), "", TMsgIcon::Error},
      {std::make_exception_ptr(42), "未知错误.", TMsgIcon::Error},
  };
  for (const Case &c : cases) {
    const TErrorBox box = ErrorBoxFor(c.Error);
    EXPECT_EQ(box.Text, c.Text);
    EXPECT_EQ(box.Icon, c.Icon) << c.Text;
  }
}

TEST_F(StartupTest, ErrorsThatReachTheApplicationGoToTheErrorBoxWhileTheWindowLives) {
  Create();
  TApplication &application = TApplication::Instance();
  application.HandleException(std::make_exception_ptr(std::runtime_error("abc")));
  application.HandleException(std::make_exception_ptr(FFmpegException("错误!")));
  const std::vector<TPlatformCall> boxes = platform.Calls("MessageBox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{"abc.", "Velmora"}));
  EXPECT_EQ(boxes[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(boxes[1].Texts, (std::vector<std::string>{"错误!", "Velmora"}));
  EXPECT_EQ(boxes[1].Icon, TMsgIcon::Warning);
  EXPECT_EQ(boxes[1].Buttons, TMsgButtons::Ok);

  form.reset();  // the window is gone: the error goes to standard error
  platform.ClearCalls();
  application.HandleException(std::make_exception_ptr(std::runtime_error("late")));
  EXPECT_TRUE(platform.Calls("MessageBox").empty());
}

TEST_F(StartupTest, ClosingRemovesTheTemporaryFolderWithEverythingInIt) {
  Create();
  const fs::path temp = Files().TempFolder;
  fs::create_directories(temp / "deep/er");
  std::ofstream(temp / "a.tmp") << "a";
  std::ofstream(temp / "deep/er/b.tmp") << "b";
  const fs::path kept = dir.file("kept.txt");
  std::ofstream(kept) << "kept";
  fs::create_symlink(kept, temp / "link-to-kept");
  EXPECT_TRUE(form->FormCloseQuery());
  form->FormClose();
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(fs::exists(kept));  // a link inside is removed, not followed
  EXPECT_TRUE(fs::is_directory(programFolder));

  // Without a temporary folder there is nothing to do.
  form->FormClose();
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(platform.Calls("MessageBox").empty());
}

TEST_F(StartupTest, TheHelpMenuOpensTheHelpFileTheWebSiteAndAMail) {
  Create();
  int abouts = 0, updates = 0;
  form->Windows.ShowAbout = [&] { ++abouts; };
  form->Windows.ShowUpdate = [&] { ++updates; };
  form->N3Click();  // no help file beside the program
  std::ofstream(Files().HelpFile) << "help";
  form->N3Click();
  form->N9Click();
  form->N5Click();
  form->N4Click();
  form->N12Click();
  EXPECT_EQ(Texts(platform.Calls("ShellOpen")),
            (std::vector<std::string>{programFolder + "/help.chm", "https://velmora.example.org/",
                                      "mailto:support@velmora.example.org"}));
  EXPECT_EQ(Texts(platform.Calls("MessageBox")),
            std::vector<std::string>{"找不到帮助文件：" + programFolder + "/help.chm"});
  EXPECT_EQ(abouts, 1);
  EXPECT_EQ(updates, 1);

  platform.ClearCalls();
  platform.SetShellOpenResult(false);
  form->N9Click();
  EXPECT_EQ(Texts(platform.Calls("MessageBox")),
            std::vector<std::string>{"无法打开：https://velmora.example.org/"});
}

TEST_F(StartupTest, ShowingTheWindowRunsThePasswordCheckEveryTime) {
  Create();
  int checks = 0;
  form->Windows.StartupPasswordCheck = [&] { ++checks; };
  form->FormShow();
  form->FormShow();
  EXPECT_EQ(checks, 2);
}

}  // namespace
}  // namespace velmora
