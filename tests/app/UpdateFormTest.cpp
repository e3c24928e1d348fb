// The online update window against a web server of the test's own: the
// version comparison, failures and time-outs without blocking the window,
// refused links and answers, and the reset when it is shown again.
#include "app/UpdateForm.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/CurlDownloader.h"
#include "app/ScriptedPlatform.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

using Server = test::LocalHttpServer;
using namespace std::chrono_literals;

std::string Info(const std::string &version, const std::string &link = "https://example.org/v.zip") {
  return "[version]\nnew=" + version + "\ndate=2026-12-01\nlinks1=" + link + "\nsize=12.5MB\n";
}

class UpdateFormTest : public ::testing::Test {
 protected:
  // The window pointed at `url`, shown and checked to the end.
  TForm6 &Check(const std::string &url, TDownloadLimits limits = {}) {
    form_ = std::make_unique<TForm6>(platform_, downloader_, files_, url, limits);
    form_->FormShow();
    form_->btnCheckClick();
    EXPECT_TRUE(form_->WaitForCheck(60s));
    return *form_;
  }
  bool InfoFileLeft() const {
    return std::filesystem::exists(std::filesystem::path(files_.TempFolder) / "update.ini");
  }

  test::TempDir dir_;
  TScriptedPlatform platform_;
  TCurlDownloader downloader_;
  TProgramFiles files_ = LocateProgramFiles(dir_.file("program"), true, {dir_.file("home"), dir_.file("config"), dir_.file("cache")});
  std::unique_ptr<TForm6> form_;
};

TEST_F(UpdateFormTest, TheSameVersionIsTheNewest) {
  Server server(Server::Behaviour::Answer, Info("3.00"));
  TForm6 &form = Check(server.Url());
  EXPECT_EQ(form.lblStatus.Caption, "没有检测到新版本,现在使用的为最新版本!");
  EXPECT_EQ(form.Memo1.Lines, (std::vector<std::string>{"没有检测到新版本,现在使用的为最新版本!"}));
  EXPECT_EQ(form.ProgressBar1.Position, 100);
  EXPECT_FALSE(form.btnDownload.Enabled);
  EXPECT_FALSE(InfoFileLeft());
}

TEST_F(UpdateFormTest, ANewerVersionIsShownAndItsLinkOpened) {
  Server server(Server::Behaviour::Answer, Info("3.01"));
  TForm6 &form = Check(server.Url());
  EXPECT_EQ(form.lblStatus.Caption, "发现新版本程序,您可以升级下载新版本。");
  EXPECT_EQ(form.Memo1.Lines,
            (std::vector<std::string>{
                "发现新版本程序....", "软件名称:Velmora", "最新版本:3.01", "更新日期:2026-12-01",
                "软件大小:12.5MB", "下载链接:https://example.org/v.zip", "",
                "检测完成,您可以点击<开始下载>按钮打开下载最新升级版本。推荐您使用（网际快车）软件下载。"}));
  EXPECT_TRUE(form.btnDownload.Enabled);
  EXPECT_EQ(form.ProgressBar1.Position, 100);
  EXPECT_FALSE(InfoFileLeft());
  form.btnDownloadClick();
  ASSERT_EQ(platform_.Calls("ShellOpen").size(), 1u);
  EXPECT_EQ(platform_.Calls("ShellOpen")[0].Texts, (std::vector<std::string>{"https://example.org/v.zip"}));
  EXPECT_TRUE(form.Memo1.Lines.empty());

  // Shown again: reset, the link remembered.
  form.FormShow();
  EXPECT_EQ(form.lblStatus.Caption, "状态信息:");
  EXPECT_TRUE(form.Memo1.Lines.empty());
  EXPECT_EQ(form.ProgressBar1.Position, 0);
  EXPECT_FALSE(form.btnDownload.Enabled);
  EXPECT_EQ(form.DownloadLink, "https://example.org/v.zip");
}

TEST_F(UpdateFormTest, LinksThatAreNoWebAddressesAreNeverOpened) {
  for (const std::string link :
       {"file:///bin/sh", "javascript:alert(1)", "http://user:pw@example.org/v.zip",
        "/usr/bin/xterm", "sh -c reboot", "ftp://example.org/v.zip", ""}) {
    platform_.ClearCalls();
    Server server(Server::Behaviour::Answer, Info("3.01", link));
    TForm6 &form = Check(server.Url());
    form.btnDownloadClick();
    EXPECT_TRUE(platform_.Calls("ShellOpen").empty()) << link;
    const auto boxes = platform_.Calls("MessageBox");
    ASSERT_EQ(boxes.size(), 1u) << link;
    EXPECT_EQ(boxes[0].Texts[0], "下载链接不是网页地址,已拒绝打开:" + link);
  }
  EXPECT_TRUE(IsWebAddress("http://example.org"));
  EXPECT_TRUE(IsWebAddress("HTTPS://example.org:8443/a?b=c"));
  EXPECT_FALSE(IsWebAddress("https://"));
  EXPECT_FALSE(IsWebAddress("https://exa mple.org/"));
}

TEST_F(UpdateFormTest, NoServerMeansNoConnection) {
  TForm6 &form = Check("http://127.0.0.1:" + std::to_string(Server::UnusedPort()) + "/update.ini");
  EXPECT_EQ(form.lblStatus.Caption, "连接失败!可能网络忙或没连接到网络...");
  EXPECT_EQ(form.Memo1.Lines, (std::vector<std::string>{"连接失败!可能网络忙或没连接到网络..."}));
  EXPECT_FALSE(form.btnDownload.Enabled);
}

TEST_F(UpdateFormTest, AServerThatNeverAnswersTimesOutWhileTheWindowStaysUsable) {
  Server server(Server::Behaviour::NeverAnswer);
  TDownloadLimits limits;
  limits.TotalTimeout = 1s;
  form_ = std::make_unique<TForm6>(platform_, downloader_, files_, server.Url(), limits);
  form_->FormShow();
  form_->btnCheckClick();  // returns while the download waits
  {
    auto lock = form_->Lock();  // the window can read its controls meanwhile
    EXPECT_EQ(form_->lblStatus.Caption, "正在连接软件网站....");
    EXPECT_EQ(form_->ProgressBar1.Position, 20);
  }
  ASSERT_TRUE(form_->WaitForCheck(60s));
  EXPECT_EQ(form_->lblStatus.Caption, "连接超时!软件网站没有回应,请您稍后再试...");
  EXPECT_FALSE(form_->btnDownload.Enabled);
}

TEST_F(UpdateFormTest, ClosingTheWindowEndsAWaitingCheck) {
  Server server(Server::Behaviour::NeverAnswer);
  form_ = std::make_unique<TForm6>(platform_, downloader_, files_, server.Url());
  form_->FormShow();
  form_->btnCheckClick();
  form_->btnBackClick();
  EXPECT_TRUE(form_->CloseRequested);
  EXPECT_TRUE(form_->WaitForCheck(30s));  // well before the 30-second time-out
  EXPECT_FALSE(InfoFileLeft());
}

TEST_F(UpdateFormTest, HugeOrBinaryAnswersAreRefused) {
  {
    Server server(Server::Behaviour::HugeAnswer);
    TForm6 &form = Check(server.Url());
    EXPECT_EQ(form.lblStatus.Caption, "升级信息无效!软件网站的回答过大或不是文本文件,已忽略。");
    EXPECT_LT(server.BodyBytesSent(), 16ll * 1024 * 1024);  // not read to its end
    EXPECT_FALSE(InfoFileLeft());
  }
  Server binary(Server::Behaviour::Answer, std::string("[version]\nnew=3.01\0\x01\x02", 20));
  TForm6 &form = Check(binary.Url());
  EXPECT_EQ(form.lblStatus.Caption, "升级信息无效!软件网站的回答过大或不是文本文件,已忽略。");
  EXPECT_FALSE(form.btnDownload.Enabled);
}

}  // namespace
}  // namespace velmora
