#pragma once
// A main window made as the program makes it: its files located in a
// program folder of its own, with a home, configuration and cache folder of
// its own (so that no test touches the real ones), the creation steps run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/IniFile.h"
#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora::test {

// Sets an environment variable (or unsets it for null) while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) saved_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (saved_)
      setenv(name_.c_str(), saved_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment &) = delete;
  ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

class StartupFixture : public ::testing::Test {
 protected:
  // The user's folders below the test's folder.
  TUserFolders User() const { return {dir.file("home"), dir.file("config"), dir.file("cache")}; }
  // The files of a program in `programFolder`, portable or installed.
  TProgramFiles Files(bool writable = true) const {
    TProgramFiles files = LocateProgramFiles(programFolder, writable, User());
    files.SkinFolder = skinFolder;
    return files;
  }
  // A window over `files` with its creation steps run.
  void Create(const TProgramFiles &files) {
    form = std::make_unique<TForm1>(platform, registry, files);
    form->FormCreate();
  }
  void Create() { Create(Files()); }
  TIniFile Settings() const { return TIniFile(Files().SettingsFile); }
  std::string DefaultOutputFolder() const { return dir.file("home/Video_Directory"); }

  void SetUp() override {
    for (const std::string &folder : {programFolder, dir.file("home")})
      std::filesystem::create_directories(folder);
  }
  void TearDown() override { form.reset(); }

  TempDir dir;
  std::string programFolder = dir.file("program");
  std::string skinFolder = VELMORA_SKIN_FOLDER;  // the shipped theme files
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("etc/registry.ini")};
  std::unique_ptr<TForm1> form;
};

}  // namespace velmora::test
