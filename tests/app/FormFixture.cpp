#include "FormFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "libav/MainThread.h"

namespace velmora::test {

namespace fs = std::filesystem;

namespace {

// A small MPEG program stream of `seconds` with a picture and a tone.
std::string GeneratedSource(const std::string &seconds) {
  return SharedMedia("form-source-" + seconds + ".mpg",
                     {"-f", "lavfi", "-i", "testsrc2=s=64x48:r=25:d=" + seconds, "-f", "lavfi",
                      "-i", "sine=d=" + seconds, "-c:v", "mpeg1video", "-c:a", "mp2", "-f",
                      "mpeg"});
}

}  // namespace

void FormFixture::SetUp() {
  for (const std::string &folder : {programFolder, outputFolder, sourceFolder})
    fs::create_directories(folder);
  TMainThread::Init();
  form = std::make_unique<TForm1>(platform, registry, programFolder);
  form->SetOutputFolder(outputFolder);
}

void FormFixture::TearDown() { form.reset(); }

std::string FormFixture::CopySource(const std::string &path, bool longer) {
  fs::copy_file(GeneratedSource(longer ? "1.5" : "0.5"), path,
                fs::copy_options::overwrite_existing);
  return path;
}

std::string FormFixture::Source(const std::string &name) const {
  return CopySource((fs::path(sourceFolder) / name).string());
}

std::string FormFixture::WriteFile(const std::string &path, const std::string &contents) {
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

std::string FormFixture::ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void FormFixture::Add(const std::string &path) {
  platform.QueueFiles({path});
  form->N1Click();
}

std::vector<std::string> FormFixture::OutputFiles() const {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(outputFolder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FormFixture::MessageTexts() const {
  std::vector<std::string> texts;
  for (const TPlatformCall &call : platform.Calls("MessageBox")) texts.push_back(call.Texts[0]);
  return texts;
}

std::vector<std::string> FormFixture::Column(int column) const {
  std::vector<std::string> texts;
  for (const TListRow &row : form->AdvListView1.Rows) texts.push_back(row.Columns[column]);
  return texts;
}

}  // namespace velmora::test
