#include "app/UpdateForm.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/IniFile.h"

namespace velmora {

namespace {

const char *const kConnecting = "正在连接软件网站....";
const char *const kConnectingMessage = "正在连接软件网站,请您耐心等待....";
const char *const kConnectFailed = "连接失败!可能网络忙或没连接到网络...";
const char *const kTimedOut = "连接超时!软件网站没有回应,请您稍后再试...";
const char *const kNotAnInfoFile = "升级信息无效!软件网站的回答过大或不是文本文件,已忽略。";
const char *const kChecking = "正在检测新版本的程序....";
const char *const kNewVersion = "发现新版本程序,您可以升级下载新版本。";
const char *const kNoNewVersion = "没有检测到新版本,现在使用的为最新版本!";
const char *const kDownloadHint =
    "检测完成,您可以点击<开始下载>按钮打开下载最新升级版本。推荐您使用（网际快车）软件下载。";
const char *const kRefusedLink = "下载链接不是网页地址,已拒绝打开:";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Text without NUL bytes: the information file is an INI text.
// (The file is at most the download's size cap.)
bool IsText(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return bytes.find('\0') == std::string::npos;
}

}  // namespace

bool IsWebAddress(const std::string &link) {
  const std::string lower = Lower(link);
  std::size_t rest = 0;
  if (lower.rfind("http://", 0) == 0)
    rest = 7;
  else if (lower.rfind("https://", 0) == 0)
    rest = 8;
  else
    return false;
  for (unsigned char c : link)
    if (c <= 0x20 || c == 0x7F || c == '"' || c == '\\') return false;
  const std::size_t end = link.find_first_of("/?#", rest);
  const std::string authority = link.substr(rest, end == std::string::npos ? end : end - rest);
  return !authority.empty() && authority.find('@') == std::string::npos &&
         authority.front() != ':';
}

TForm6::TForm6(TPlatform &platform, TDownloader &downloader, const TProgramFiles &files,
               std::string infoUrl, TDownloadLimits limits)
    : platform_(platform),
      downloader_(downloader),
      skins_(files),
      dataFolder_(files.TempFolder),
      infoUrl_(std::move(infoUrl)),
      limits_(limits) {
  btnDownload.Enabled = false;
}

TForm6::~TForm6() {
  cancel_ = true;
  JoinCheck();
}

void TForm6::JoinCheck() {
  if (check_.joinable()) check_.join();
}

bool TForm6::WaitForCheck(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(doneLock_);
  return done_.wait_for(lock, timeout, [this] { return !checking_; });
}

void TForm6::FormShow() {
  // A check cancelled by closing the window ends quickly; wait for it.
  JoinCheck();
  cancel_ = false;
  {
    auto lock = Lock();
    skins_.ApplyStored(Skin);
    CloseRequested = false;
    Memo1.Clear();
    lblStatus.Caption = "状态信息:";
    btnDownload.Enabled = false;
    btnCheck.Enabled = true;
    ProgressBar1.Position = 0;
  }
  Changed();
}

void TForm6::SetStatus(const std::string &text, bool alsoAsMessage) {
  lblStatus.Caption = text;
  if (!alsoAsMessage) return;
  Memo1.Clear();
  Memo1.Lines.push_back(text);
}

void TForm6::btnCheckClick() {
  if (checking_) return;
  JoinCheck();
  {
    auto lock = Lock();
    ProgressBar1.Position = 0;
    lblStatus.Caption = kConnecting;
    Memo1.Clear();
    Memo1.Lines.push_back(kConnectingMessage);
    ProgressBar1.Position = 20;
    btnCheck.Enabled = false;
    checking_ = true;
  }
  Changed();
  cancel_ = false;
  check_ = std::thread(&TForm6::RunCheck, this);
}

void TForm6::RunCheck() {
  const std::string file = (std::filesystem::path(dataFolder_) / "update.ini").string();
  std::error_code error;
  std::filesystem::create_directories(dataFolder_, error);
  const TDownloadResult result = downloader_.Download(infoUrl_, file, limits_, cancel_);
  {
    auto lock = Lock();
    if (result.Outcome != TDownloadOutcome::Cancelled) ShowResult(result, file);
    btnCheck.Enabled = true;
  }
  std::filesystem::remove(file, error);
  {
    std::lock_guard<std::mutex> guard(doneLock_);
    checking_ = false;
  }
  done_.notify_all();
  Changed();
}

void TForm6::ShowResult(const TDownloadResult &result, const std::string &file) {
  switch (result.Outcome) {
    case TDownloadOutcome::Done:
      if (!IsText(file)) {
        SetStatus(kNotAnInfoFile, true);
        return;
      }
      ProgressBar1.Position = 50;
      lblStatus.Caption = kChecking;
      ShowNewVersion(file);
      return;
    case TDownloadOutcome::TimedOut:
      SetStatus(kTimedOut, true);
      return;
    case TDownloadOutcome::TooLarge:
      SetStatus(kNotAnInfoFile, true);
      return;
    default:
      SetStatus(kConnectFailed, true);
      return;
  }
}

void TForm6::ShowNewVersion(const std::string &file) {
  const TIniFile info(file);
  const std::string newest = info.ReadString("version", "new", "");
  const std::string date = info.ReadString("version", "date", "");
  const std::string link = info.ReadString("version", "links1", "");
  const std::string size = info.ReadString("version", "size", "");
  if (newest == CurrentVersion) {
    SetStatus(kNoNewVersion, true);
    ProgressBar1.Position = 100;
    return;
  }
  Memo1.Clear();
  lblStatus.Caption = kNewVersion;
  for (const std::string &line :
       {std::string("发现新版本程序...."), std::string("软件名称:Velmora"), "最新版本:" + newest,
        "更新日期:" + date, "软件大小:" + size, "下载链接:" + link, std::string()})
    Memo1.Lines.push_back(line);
  btnDownload.Enabled = true;
  DownloadLink = link;
  ProgressBar1.Position = 100;
  Memo1.Lines.push_back(kDownloadHint);
}

void TForm6::btnDownloadClick() {
  std::string link;
  {
    auto lock = Lock();
    Memo1.Clear();
    link = DownloadLink;
  }
  Changed();
  if (!IsWebAddress(link)) {
    platform_.MessageBox(kRefusedLink + link, "错误", TMsgButtons::Ok, TMsgIcon::Warning);
    return;
  }
  platform_.ShellOpen(link);
}

void TForm6::btnBackClick() {
  cancel_ = true;
  {
    auto lock = Lock();
    CloseRequested = true;
  }
  Changed();
}

}  // namespace velmora
