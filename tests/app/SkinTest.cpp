// The skins: which look each stored value selects, the skin menu applying
// and storing its entries, every window taking the stored skin when shown,
// and a theme file that cannot be read leaving the look as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "StartupFixture.h"
#include "app/AboutForm.h"
#include "app/MediaInfoForm.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::StartupFixture;

class SkinTest : public StartupFixture {
 protected:
  void Store(const std::string &value) {
    ASSERT_TRUE(Settings().WriteString("skin", "SetSkin", value));
  }
  std::string StoredSkin() const { return Settings().ReadString("skin", "SetSkin", "?"); }
  static std::string Read(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // A skin folder of its own holding only the named theme files.
  void UseSkinFolderWith(const std::vector<std::string> &themeFiles) {
    skinFolder = dir.file("own-skins");
    fs::create_directories(skinFolder);
    for (const std::string &name : themeFiles)
      fs::copy_file(fs::path(VELMORA_SKIN_FOLDER) / name, fs::path(skinFolder) / name);
  }
};

TEST_F(SkinTest, EveryStoredValueAppliesItsLookAndEveryThemeFileIsShipped) {
  const TSkinLoader loader(Files());
  int builtIn = 0;
  for (const TSkinLook &look : SkinLooks()) {
    SCOPED_TRACE(look.Value);
    Store(look.Value);
    TSkinState skin;
    EXPECT_EQ(loader.ApplyStored(skin), "");
    EXPECT_EQ(skin.Applied, 1);
    EXPECT_EQ(skin.Kind, look.Kind);
    EXPECT_EQ(skin.Name, look.Name);
    if (look.Kind == TSkinKind::ThemeFile) {
      EXPECT_EQ(skin.ThemeFile, (fs::path(VELMORA_SKIN_FOLDER) / look.Name).string());
      EXPECT_EQ(skin.StyleSheet, Read(skin.ThemeFile));
      EXPECT_NE(skin.StyleSheet.find("QProgressBar::chunk"), std::string::npos);
    } else {
      ++builtIn;
      EXPECT_EQ(skin.StyleSheet, "");  // compiled in; the view has it
    }
    // Only the two player looks restore a minimised program when loaded.
    EXPECT_EQ(skin.RestoreRequests, look.Value == std::string("skin2") ||
                                            look.Value == std::string("skin3")
                                        ? 1
                                        : 0);
  }
  EXPECT_EQ(SkinLooks().size(), 18u);
  EXPECT_EQ(builtIn, 5);
}

TEST_F(SkinTest, Skin17AppliesRoyaleThoughNoMenuEntryOffersIt) {
  Store("skin17");
  Create();
  EXPECT_EQ(form->Skin.Kind, TSkinKind::ThemeFile);
  EXPECT_EQ(form->Skin.Name, "royale.sui");
  for (const TSkinMenuEntry &entry : SkinMenuEntries()) EXPECT_NE(entry.Value, std::string("skin17"));
  EXPECT_EQ(form->SkinMenu.size(), 17u);
}

TEST_F(SkinTest, AnyOtherStoredValueAppliesNothing) {
  for (const char *value : {"Error", "other", "", "skin0", "skin19", "SKIN1", " skin1"}) {
    SCOPED_TRACE(value);
    Store(value);
    Create();
    EXPECT_EQ(form->Skin.Applied, 0);
    EXPECT_EQ(form->Skin.Kind, TSkinKind::Design);
    EXPECT_TRUE(form->mmoLog.Lines.empty());
  }
}

TEST_F(SkinTest, AChosenSkinIsAppliedAndStored) {
  Create();
  form->SkinMenuClick("N6");
  EXPECT_EQ(form->Skin.Name, "winter.sui");
  EXPECT_EQ(form->Skin.RestoreRequests, 1);  // a theme file from the menu restores the program
  EXPECT_EQ(StoredSkin(), "skin18");
  form->SkinMenuClick("MacOS1");
  EXPECT_EQ(form->Skin.Kind, TSkinKind::BuiltInStyle);
  EXPECT_EQ(form->Skin.Name, "MacOS");
  EXPECT_EQ(form->Skin.RestoreRequests, 1);
  EXPECT_EQ(StoredSkin(), "skin1");
  EXPECT_EQ(Settings().ReadString("OutPath", "OutPath", "?"), DefaultOutputFolder());
  form->SkinMenuClick("NoSuchEntry");
  EXPECT_EQ(StoredSkin(), "skin1");
  EXPECT_EQ(form->Skin.Applied, 2);
}

TEST_F(SkinTest, AThemeFileThatCannotBeReadLeavesTheLookAndSaysWhy) {
  UseSkinFolderWith({"winter.sui"});
  fs::create_directory(fs::path(skinFolder) / "royale.sui");  // not a file
  Store("skin18");
  Create();
  ASSERT_EQ(form->Skin.Name, "winter.sui");
  form->SkinMenuClick("MSNStyle1");
  Store("skin17");
  form->Button1Click();
  EXPECT_EQ(form->Skin.Name, "winter.sui");
  EXPECT_EQ(form->Skin.Applied, 1);
  const std::string skins = skinFolder;
  EXPECT_EQ(form->mmoLog.Lines,
            (std::vector<std::string>{
                "无法读取皮肤文件 " + skins + "/msn.sui: No such file or directory",
                "无法读取皮肤文件 " + skins + "/royale.sui: not a regular file"}));
}

TEST_F(SkinTest, TheOtherWindowsTakeTheStoredSkinWhenShown) {
  Create();
  TForm4 about(Files());
  TForm9 information(Files());
  form->SkinMenuClick("DeepGreen1");
  EXPECT_EQ(about.Skin.Applied, 0);  // not shown yet
  about.FormShow();
  information.FormShow({});
  EXPECT_EQ(about.Skin.Name, "DeepGreen.sui");
  EXPECT_EQ(information.Skin.Name, "DeepGreen.sui");
  form->SkinMenuClick("DeepBlue1");
  about.FormShow();
  EXPECT_EQ(about.Skin.Name, "DeepBlue");
  EXPECT_EQ(about.Skin.Applied, 2);
}

}  // namespace
}  // namespace velmora
