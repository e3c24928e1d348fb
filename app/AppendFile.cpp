#include "app/AppendFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Closes a descriptor when it goes out of scope.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFileDescriptor(const TFileDescriptor &) = delete;
  TFileDescriptor &operator=(const TFileDescriptor &) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool WriteAll(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

TAppendResult Fail(std::string *error, const std::string &what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return TAppendResult::Failed;
}

}  // namespace

void TAppendControl::Reset() {
  std::lock_guard<std::mutex> guard(lock_);
  paused_ = false;
  stopRequested_ = false;
}

void TAppendControl::SetPaused(bool paused) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    paused_ = paused;
  }
  changed_.notify_all();
}

bool TAppendControl::Paused() const {
  std::lock_guard<std::mutex> guard(lock_);
  return paused_;
}

void TAppendControl::RequestStop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopRequested_ = true;
  }
  changed_.notify_all();
}

bool TAppendControl::MayGoOn() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return stopRequested_ || !paused_; });
  return !stopRequested_;
}

TAppendResult AppendFile(const std::string &target, const std::string &source,
                         TAppendControl *control, std::string *error) {
  const TFileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return Fail(error, "cannot open " + source);
  if (::flock(in.get(), LOCK_EX | LOCK_NB) != 0) return Fail(error, "cannot lock " + source);
  const TFileDescriptor out(::open(target.c_str(), O_RDWR | O_CLOEXEC));
  if (!out.valid()) return Fail(error, "cannot open " + target);
  const off_t end = ::lseek(out.get(), 0, SEEK_END);
  if (end < 0) return Fail(error, "cannot find the end of " + target);

  const auto cutBack = [&] { return ::ftruncate(out.get(), end) == 0; };
  std::vector<char> chunk(kAppendChunkBytes);
  for (;;) {
    if (control && !control->MayGoOn()) {
      cutBack();
      return TAppendResult::Stopped;
    }
    const ssize_t got = ::read(in.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) break;
    if (got < 0 || !WriteAll(out.get(), chunk.data(), static_cast<std::size_t>(got))) {
      const TAppendResult result =
          Fail(error, (got < 0 ? "cannot read " + source : "cannot write " + target));
      cutBack();
      return result;
    }
  }
  return TAppendResult::Appended;
}

}  // namespace velmora
