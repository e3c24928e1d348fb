#pragma once
// The online update window "网上升级": it fetches a small information file
// from the program's update server, compares the version written there with
// the program's own, and offers the download link of a newer version, which
// the desktop's browser opens. It installs nothing and runs nothing it
// fetched: the file is only read as text, and a link is opened only when it
// is a plain web address.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/Controls.h"
#include "app/Downloader.h"
#include "app/FormState.h"
#include "app/Platform.h"
#include "app/ProgramFiles.h"
#include "app/SkinLoader.h"

namespace velmora {

// Where the information file is offered.
inline constexpr const char *kUpdateInfoUrl = "https://update.velmora-video.net/velmora/update.ini";
// The version of this program, as the information file writes versions.
inline constexpr const char *kProgramVersion = "3.00";

// Whether `link` may be handed to the desktop: an http or https address with
// a host, without user name or password, spaces or control characters.
bool IsWebAddress(const std::string &link);

class TForm6 : public TFormState {
 public:
  // The information file is kept in the program's temporary folder while it
  // is read.
  TForm6(TPlatform &platform, TDownloader &downloader, const TProgramFiles &files,
         std::string infoUrl = kUpdateInfoUrl, TDownloadLimits limits = {});
  // Cancels a running check and waits for it.
  ~TForm6();
  TForm6(const TForm6 &) = delete;
  TForm6 &operator=(const TForm6 &) = delete;

  std::string Caption = "网上升级";
  TLabelState Label1{"Label1", "1.请确认您已经连接到网上,如果您设置了防火墙,必须允许程序通过."};
  TLabelState Label2{"Label2", "2.检测软件是否有新版本,如果有点击下载按钮."};
  TLabelState Label3{"Label3", "3.软件更新可能需要30秒--几分钟,这期间请您耐心等待..."};
  TLabelState lblStatus{"lblStatus", "状态信息:"};
  TProgressBarState ProgressBar1{"ProgressBar1"};
  TMemoState Memo1{"Memo1"};
  TButtonState btnCheck{"btnCheck", "检测升级"};
  TButtonState btnDownload{"btnDownload", "开始下载"};
  TButtonState btnBack{"btnBack", "返回"};
  TSkinState Skin;

  std::string CurrentVersion = kProgramVersion;
  std::string DownloadLink;  // the link of the newest version found
  bool CloseRequested = false;  // "返回" was pressed; the view closes the window

  // Resets the window and applies the stored skin each time it is shown.
  void FormShow();
  // "检测升级": starts the check on a thread of its own and returns at once;
  // the window changes as the check goes on.
  void btnCheckClick();
  // "开始下载": opens the download link with the desktop's browser.
  void btnDownloadClick();
  // "返回": ends a running check and closes the window.
  void btnBackClick();

  bool Checking() const { return checking_; }
  // Waits until no check runs; false when `timeout` passed first.
  bool WaitForCheck(std::chrono::milliseconds timeout);

 private:
  void RunCheck();
  void ShowResult(const TDownloadResult &result, const std::string &file);
  void ShowNewVersion(const std::string &file);
  void SetStatus(const std::string &text, bool alsoAsMessage);
  void JoinCheck();

  TPlatform &platform_;
  TDownloader &downloader_;
  TSkinLoader skins_;
  std::string dataFolder_;
  std::string infoUrl_;
  TDownloadLimits limits_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> checking_{false};
  std::mutex doneLock_;
  std::condition_variable done_;
  std::thread check_;
};

}  // namespace velmora
