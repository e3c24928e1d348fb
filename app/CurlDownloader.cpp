#include "app/CurlDownloader.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

namespace velmora {

namespace {

struct Transfer {
  std::FILE *file = nullptr;
  std::int64_t written = 0;
  std::int64_t maxBytes = 0;
  bool tooLarge = false;
  const std::atomic<bool> *cancel = nullptr;
};

// Writes what arrives; a short count ends the transfer once the cap is passed.
std::size_t WriteBody(char *data, std::size_t size, std::size_t count, void *opaque) {
  auto &transfer = *static_cast<Transfer *>(opaque);
  const std::size_t bytes = size * count;
  if (transfer.written + static_cast<std::int64_t>(bytes) > transfer.maxBytes) {
    transfer.tooLarge = true;
    return 0;
  }
  transfer.written += static_cast<std::int64_t>(bytes);
  return std::fwrite(data, 1, bytes, transfer.file);
}

// Called often during the transfer, also while it waits: a non-zero result
// aborts it.
int Progress(void *opaque, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
  auto &transfer = *static_cast<Transfer *>(opaque);
  if (total > transfer.maxBytes) transfer.tooLarge = true;
  return transfer.tooLarge || transfer.cancel->load() ? 1 : 0;
}

struct CurlDeleter {
  void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};
struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};

std::once_flag gGlobalInit;

}  // namespace

TCurlDownloader::TCurlDownloader() {
  std::call_once(gGlobalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TCurlDownloader::~TCurlDownloader() = default;

TDownloadResult TCurlDownloader::Download(const std::string &url, const std::string &file,
                                          const TDownloadLimits &limits,
                                          const std::atomic<bool> &cancel) {
  TDownloadResult result;
  Transfer transfer;
  transfer.maxBytes = limits.MaxBytes;
  transfer.cancel = &cancel;
  CURLcode code = CURLE_FAILED_INIT;
  {
    const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "wb"));
    const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (out && curl) {
      transfer.file = out.get();
      curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
      curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
      curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
      curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
      curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
      curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(limits.ConnectTimeout.count()));
      curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS,
                       static_cast<long>(limits.TotalTimeout.count()));
      curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE,
                       static_cast<curl_off_t>(limits.MaxBytes));
      curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &WriteBody);
      curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
      curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
      curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &Progress);
      curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer);
      code = curl_easy_perform(curl.get());
    }
  }
  if (code == CURLE_OK) {
    result.Outcome = TDownloadOutcome::Done;
    return result;
  }
  if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
    result.Outcome = TDownloadOutcome::TooLarge;
  else if (code == CURLE_OPERATION_TIMEDOUT)
    result.Outcome = TDownloadOutcome::TimedOut;
  else if (cancel)
    result.Outcome = TDownloadOutcome::Cancelled;
  result.Error = curl_easy_strerror(code);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return result;
}

}  // namespace velmora
