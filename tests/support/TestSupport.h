#pragma once
// Shared helpers of the tests: temporary folders, generated media fixtures
// and loading the system's FFmpeg libraries.
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::test {

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::filesystem::path &path() const { return path_; }
  std::string file(const std::string &name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Runs a program with arguments (no shell), returns its exit status; its
// output goes to `output` when given.
int RunProgram(const std::vector<std::string> &argv, std::string *output = nullptr);

// Runs the ffmpeg tool quietly with the given arguments (-y added); fails the
// current test when it does not succeed.
void Ffmpeg(const std::vector<std::string> &args);

// A media file made by the ffmpeg tool from `args` (the output path is
// appended), shared by every test process of the build: made once into the
// build folder and named by `fileName` and a digest of the arguments, so a
// changed recipe makes a new file.
std::string SharedMedia(const std::string &fileName, const std::vector<std::string> &args);

// The standard set of FFmpeg libraries, loaded from the system.
void LoadSystemLibraries();

// Sets the time zone (TZ) for the lifetime of the object.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char *zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone &) = delete;
  ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

 private:
  std::string saved_;
  bool hadValue_ = false;
};

}  // namespace velmora::test
