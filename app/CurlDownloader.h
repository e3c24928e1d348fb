#pragma once
// The downloader of the windows: libcurl's blocking transfer to a file, with
// its connect and total time-outs, a size cap and cancellation.
#include "app/Downloader.h"

namespace velmora {

class TCurlDownloader : public TDownloader {
 public:
  TCurlDownloader();
  ~TCurlDownloader() override;
  TDownloadResult Download(const std::string &url, const std::string &file,
                           const TDownloadLimits &limits,
                           const std::atomic<bool> &cancel) override;
};

}  // namespace velmora
