#pragma once
// Fetching one small file from the web, behind an interface: the update
// window uses a libcurl implementation, its tests one that talks to a server
// of their own. The fetch blocks its caller (run it off the GUI thread); it
// can be cancelled from any thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace velmora {

struct TDownloadLimits {
  std::chrono::milliseconds ConnectTimeout{10000};
  std::chrono::milliseconds TotalTimeout{30000};
  std::int64_t MaxBytes = 64 * 1024;  // a larger answer is refused without being read whole
};

enum class TDownloadOutcome {
  Done,
  Failed,     // no connection, or an error status
  TimedOut,   // the connect or the total time-out ran out
  TooLarge,   // the answer is larger than MaxBytes
  Cancelled,
};

struct TDownloadResult {
  TDownloadOutcome Outcome = TDownloadOutcome::Failed;
  std::string Error;  // the transfer library's words, for the log
};

class TDownloader {
 public:
  virtual ~TDownloader() = default;
  // Writes the answer for `url` into `file` (created or emptied); on any
  // outcome but Done the file is removed again.
  virtual TDownloadResult Download(const std::string &url, const std::string &file,
                                   const TDownloadLimits &limits,
                                   const std::atomic<bool> &cancel) = 0;
};

}  // namespace velmora
