// Opening the output folder, shutting down and the script-source
// registration, all through the scripted platform and a temporary store.
#include <gtest/gtest.h>

#include <filesystem>

#include "FormFixture.h"
#include "app/IniFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FormFixture;

using SystemActionsTest = FormFixture;

struct StoredValue {
  std::string Section, Name, Value;
  bool operator==(const StoredValue &) const = default;
};

std::vector<StoredValue> StoredValues(const std::string &path) {
  std::vector<StoredValue> values;
  for (const TIniFile::Section &section : TIniFile(path).ReadAll())
    for (const auto &[name, value] : section.Values) values.push_back({section.Name, name, value});
  return values;
}

TEST_F(SystemActionsTest, RegistrationWritesItsKeysInOrderAndAgainTheSame) {
  const TRegistrationResult result = form->Button24Click();
  ASSERT_TRUE(result.Written) << result.Error;
  const std::string p = programFolder;
  const std::string clsid = "{E6D6B700-124D-11D4-86F3-DB80AFD98778}";
  const std::string filter = "{D3588AB0-0781-11CE-B03A-0020AF0BA770}";
  const std::string cr = "HKEY_CLASSES_ROOT", lm = "HKEY_LOCAL_MACHINE";
  const std::vector<StoredValue> expected = {
      {cr + "\\avsfile", "(default)", "AviSynth Script"},
      {cr + "\\avsfile\\DefaultIcon", "(default)", p + "/LibAV/AviSynth.dll,0"},
      {cr + "\\CLSID\\" + clsid + "\\InProcServer32", "(default)", "AviSynth.dll"},
      {cr + "\\CLSID\\" + clsid + "\\InProcServer32", "ThreadingModel", "Apartment"},
      {cr + "\\avifile\\Extensions\\AVS", "(default)", clsid},
      {cr + "\\Media Type\\Extensions\\.avs", "Source Filter", filter},
      {lm + "\\SOFTWARE\\AviSynth", "(default)", p},
      {lm + "\\SOFTWARE\\AviSynth", "plugindir2_5", p + "/LibAV"},
      {lm + "\\SOFTWARE\\Classes\\.avs", "(default)", "avsfile"},
      {lm + "\\SOFTWARE\\Classes\\avsfile", "(default)", "AviSynth Script"},
      {lm + "\\SOFTWARE\\Classes\\AVIFile\\Extensions\\avs", "(default)", clsid},
      {lm + "\\SOFTWARE\\Classes\\avsfile\\DefaultIcon", "(default)", p + "/LibAV/AviSynth.dll,0"},
      {lm + "\\SOFTWARE\\Classes\\CLSID\\" + clsid, "(default)", "AviSynth"},
      {lm + "\\SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InProcServer32", "(default)",
       "AviSynth.dll"},
      {lm + "\\SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InProcServer32", "ThreadingModel",
       "Apartment"},
      {lm + "\\SOFTWARE\\Classes\\Media Type\\Extensions\\.avs", "Source Filter", filter},
  };
  EXPECT_EQ(StoredValues(registry.Path()), expected);
  const std::string first = ReadFile(registry.Path());
  ASSERT_TRUE(form->Button24Click().Written);
  EXPECT_EQ(ReadFile(registry.Path()), first);
}

TEST_F(SystemActionsTest, ARegistrationThatCannotBeWrittenSaysWhy) {
  WriteFile(dir.file("blocker"), "");
  TRegistryStore blocked(dir.file("blocker/registry.ini"));
  TForm1 other(platform, blocked, programFolder);
  const TRegistrationResult result = other.Button24Click();
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find(dir.file("blocker/registry.ini")), std::string::npos) << result.Error;
}

TEST_F(SystemActionsTest, ShutdownAndFolderOpeningGoOnlyThroughThePlatform) {
  EXPECT_TRUE(form->Button18Click());
  platform.SetShutdownResult(false);
  EXPECT_FALSE(form->Button18Click());
  EXPECT_EQ(platform.Calls("Shutdown").size(), 2u);

  EXPECT_TRUE(form->Button20Click());
  form->suiButton11Click();
  ASSERT_EQ(platform.Calls("ShellOpen").size(), 2u);
  EXPECT_EQ(platform.Calls("ShellOpen")[0].Texts, std::vector<std::string>{outputFolder});
  EXPECT_TRUE(MessageTexts().empty());

  platform.SetShellOpenResult(false);
  form->suiButton11Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"无法打开文件夹：" + outputFolder});
}

TEST_F(SystemActionsTest, AChosenOutputFolderIsUsedAndStoredOnlyWhenItExists) {
  const std::string settings = (fs::path(programFolder) / "system.ini").string();
  form->suiButton3Click();  // cancelled
  EXPECT_EQ(form->OutputFolder, outputFolder);
  EXPECT_EQ(platform.Calls("ChooseFolder")[0].Texts,
            std::vector<std::string>{"选择输出文件存放目录"});

  platform.QueueFolder(sourceFolder);
  form->suiButton3Click();
  EXPECT_EQ(form->OutputFolder, sourceFolder);
  EXPECT_EQ(form->suiEdit1.Text, sourceFolder);
  EXPECT_EQ(TIniFile(settings).ReadString("OutPath", "OutPath", "Error"), sourceFolder);

  platform.QueueFolder(dir.file("gone"));
  form->suiButton3Click();
  EXPECT_EQ(form->OutputFolder, dir.file("gone"));
  EXPECT_EQ(TIniFile(settings).ReadString("OutPath", "OutPath", "Error"), sourceFolder);
}

TEST(IniFileTest, ValuesKeepTheirOrderAndUpdatesReplaceInPlace) {
  test::TempDir dir;
  TIniFile ini(dir.file("sub/settings.ini"));
  EXPECT_FALSE(ini.Exists());
  EXPECT_EQ(ini.ReadString("skin", "SetSkin", "Error"), "Error");
  ASSERT_TRUE(ini.WriteString("skin", "SetSkin", "skin1")) << ini.LastError();
  ASSERT_TRUE(ini.WriteString("OutPath", "OutPath", "/tmp/x=y"));
  ASSERT_TRUE(ini.WriteString("skin", "SetSkin", "skin17"));
  EXPECT_EQ(ini.ReadString("skin", "SetSkin", ""), "skin17");
  EXPECT_EQ(ini.ReadString("OutPath", "OutPath", ""), "/tmp/x=y");
  EXPECT_EQ(FormFixture::ReadFile(dir.file("sub/settings.ini")),
            "[skin]\nSetSkin=skin17\n\n[OutPath]\nOutPath=/tmp/x=y\n\n");
}

}  // namespace
}  // namespace velmora
