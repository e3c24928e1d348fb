#include "MergeFixture.h"

#include <chrono>
#include <fstream>

#include "libav/MainThread.h"

namespace velmora::test {

namespace fs = std::filesystem;

namespace {

// A long time for any merge of the tests, also under the sanitizers.
constexpr auto kMergeTimeLimit = std::chrono::seconds(100);

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

void EventGate::Pass() {
  std::unique_lock<std::mutex> guard(lock_);
  if (reached_) return;
  reached_ = true;
  TMainThread::NotifyWaiters();
  opened_.wait(guard, [this] { return open_; });
}

bool EventGate::Reached() const {
  std::lock_guard<std::mutex> guard(lock_);
  return reached_;
}

void EventGate::Open() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = true;
  }
  opened_.notify_all();
}

void MergeFixture::SetUp() {
  FormFixture::SetUp();
  form->SetChangeListener([] { TMainThread::NotifyWaiters(); });
}

bool MergeFixture::WaitFor(const std::function<bool()> &done) {
  const bool reached = TMainThread::WaitWhileServing(
      [&] {
        auto lock = form->Lock();
        return done();
      },
      kMergeTimeLimit);
  EXPECT_TRUE(reached) << "gave up waiting\n" << form->mmoLog.Text();
  return reached;
}

TMergeResult MergeFixture::Result() {
  auto lock = form->Lock();
  return form->LastMerge;
}

TMergeResult MergeFixture::WaitForMergeEnd(int count) {
  WaitFor([&] { return form->LastMerge.Count > count; });
  return Result();
}

TMergeResult MergeFixture::Merge() {
  const int count = Result().Count;
  form->btnStartClick();
  return WaitForMergeEnd(count);
}

std::string MergeFixture::Out(const std::string &name) const {
  return (fs::path(outputFolder) / name).string();
}

std::string MergeFixture::LongSource(const std::string &name) const {
  const std::string path = (fs::path(sourceFolder) / name).string();
  fs::copy_file(SharedMedia("merge-long.mpg",
                            {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=20", "-f", "lavfi",
                             "-i", "sine=d=20", "-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}),
                path, fs::copy_options::overwrite_existing);
  return path;
}

void MergeFixture::ReportOften() {
  form->SourceConverter.SetProgressInterval(100);
  form->JoinConverter.SetProgressInterval(100);
}

std::string MergeFixture::Checksum(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  char c;
  while (in.get(c)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return std::to_string(hash) + ":" + std::to_string(fs::file_size(path));
}

std::string MergeFixture::FormatName(const std::string &path) {
  std::string format;
  RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of",
              "default=nw=1:nk=1", path},
             &format);
  return Trimmed(format);
}

std::string MergeFixture::StreamEntry(const std::string &path, const std::string &type,
                                      const std::string &entry) {
  std::string value;
  RunProgram({"ffprobe", "-v", "error", "-select_streams", type.substr(0, 1) + ":0",
              "-show_entries", "stream=" + entry, "-of", "default=nw=1:nk=1", path},
             &value);
  return Trimmed(value);
}

}  // namespace velmora::test
