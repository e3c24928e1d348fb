#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ctime>
#include <random>

#include "libav/FFmpegLoader.h"

namespace velmora::test {

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("velmora-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

int RunProgram(const std::vector<std::string> &argv, std::string *output) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    // Nothing a test runs reads the test's own input (or takes it for a terminal).
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0) dup2(nothing, STDIN_FILENO);
    dup2(pipeFds[1], STDOUT_FILENO);
    dup2(pipeFds[1], STDERR_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char *> args;
    for (const auto &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::string text;
  std::array<char, 4096> buffer;
  ssize_t n;
  while ((n = read(pipeFds[0], buffer.data(), buffer.size())) > 0) text.append(buffer.data(), n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Ffmpeg(const std::vector<std::string> &args) {
  std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string output;
  int status = RunProgram(argv, &output);
  ASSERT_EQ(status, 0) << "ffmpeg failed: " << output;
}

std::string SharedMedia(const std::string &fileName, const std::vector<std::string> &args) {
  std::string recipe;
  for (const std::string &arg : args) recipe += arg + '\n';
  const std::filesystem::path name(fileName);
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016zx", std::hash<std::string>{}(recipe));
  const std::filesystem::path folder(VELMORA_SHARED_MEDIA_DIR);
  const std::filesystem::path path =
      folder / (name.stem().string() + "-" + digest + name.extension().string());
  std::error_code error;
  if (std::filesystem::exists(path, error)) return path.string();
  std::filesystem::create_directories(folder, error);
  // Made under a name of this process, then renamed: a test process running
  // at the same time sees either no file or the whole one.
  const std::filesystem::path partial =
      folder / (name.stem().string() + "-" + std::to_string(getpid()) + ".part" +
                name.extension().string());
  std::vector<std::string> withOutput = args;
  withOutput.push_back(partial.string());
  Ffmpeg(withOutput);
  std::filesystem::rename(partial, path, error);
  return path.string();
}

void LoadSystemLibraries() {
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath("");
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
}

ScopedTimeZone::ScopedTimeZone(const char *zone) {
  if (const char *old = std::getenv("TZ")) {
    saved_ = old;
    hadValue_ = true;
  }
  setenv("TZ", zone, 1);
  tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (hadValue_)
    setenv("TZ", saved_.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace velmora::test
