#pragma once
// A main-window model on a scripted platform, with its own program folder,
// output folder, source folder and registry store below one temporary
// folder, and two generated sources (0.5 s and 1.5 s MPEG program streams,
// shared by the build's test processes) that tests copy under the names
// they need.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora::test {

class FormFixture : public ::testing::Test {
 public:
  // A file with `contents` at `path`; returns `path`.
  static std::string WriteFile(const std::string &path, const std::string &contents);
  static std::string ReadFile(const std::string &path);

 protected:
  void SetUp() override;
  void TearDown() override;

  // A copy of the short source (or the 1.5 s one) at `path`; returns `path`.
  static std::string CopySource(const std::string &path, bool longer = false);
  // A copy of the short source named `name` in the source folder.
  std::string Source(const std::string &name) const;
  // Adds one file the way the user does: the add menu's first entry and the
  // chosen path in the dialog.
  void Add(const std::string &path);
  // The file names in the output folder, sorted.
  std::vector<std::string> OutputFiles() const;
  // The texts of the recorded message boxes, in order.
  std::vector<std::string> MessageTexts() const;
  // Column `column` of every row.
  std::vector<std::string> Column(int column) const;

  TempDir dir;
  std::string programFolder = dir.file("program");
  std::string outputFolder = dir.file("out");
  std::string sourceFolder = dir.file("src");
  TScriptedPlatform platform;
  TRegistryStore registry{dir.file("etc/registry.ini")};
  std::unique_ptr<TForm1> form;
};

}  // namespace velmora::test
