// The password, update and preview windows on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "app/CurlDownloader.h"
#include "app/PasswordLock.h"
#include "app/ScriptedPlatform.h"
#include "converter/FFmpegVCL.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"
#include "ui/PasswordWindow.h"
#include "ui/PreviewWindow.h"
#include "ui/UpdateWindow.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// Runs the event loop until `done` or the deadline; whether `done` came.
bool RunEventsUntil(const std::function<bool()> &done, std::chrono::seconds deadline = 60s) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

TEST(PasswordWindow, OnlyItsButtonsEndIt) {
  test::TempDir dir;
  TScriptedPlatform platform;
  TRegistryStore registry(dir.file("registry.ini"));
  std::string error;
  ASSERT_TRUE(SetLock(registry, "pw", error));
  TForm5 form(platform, registry, LocateProgramFiles(dir.file("program"), true, {}));
  TPasswordWindow window(form);
  window.show();
  RunEventsUntil([&] { return window.isVisible(); });
  window.close();  // the frame's close button and Alt+F4 come this way
  QApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&window, &escape);
  EXPECT_TRUE(window.isVisible());
  auto *edit = window.findChild<QLineEdit *>("suiEdit1");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  edit->setText("pw");
  emit edit->textEdited("pw");
  window.findChild<QPushButton *>("btnOk")->click();
  EXPECT_TRUE(RunEventsUntil([&] { return !window.isVisible(); }));
  EXPECT_EQ(form.Outcome(), TLockOutcome::Unlocked);
}

TEST(UpdateWindow, ACheckOnItsOwnThreadReachesTheWidgets) {
  test::TempDir dir;
  test::LocalHttpServer server(test::LocalHttpServer::Behaviour::Answer,
                               "[version]\nnew=3.00\n");
  TScriptedPlatform platform;
  TCurlDownloader downloader;
  TForm6 form(platform, downloader, LocateProgramFiles(dir.file("program"), true, {}),
              server.Url());
  TUpdateWindow window(form);
  window.show();
  window.findChild<QPushButton *>("btnCheck")->click();
  auto *messages = window.findChild<QPlainTextEdit *>("Memo1");
  ASSERT_NE(messages, nullptr);
  EXPECT_TRUE(RunEventsUntil([&] {
    return messages->toPlainText().trimmed() == QString("没有检测到新版本,现在使用的为最新版本!");
  }));
  window.findChild<QPushButton *>("btnBack")->click();
  EXPECT_TRUE(RunEventsUntil([&] { return !window.isVisible(); }));
}

TPreviewWindow *VisiblePreview() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *preview = dynamic_cast<TPreviewWindow *>(widget); preview && preview->isVisible())
      return preview;
  return nullptr;
}

// A conversion with previews on shows its pictures in a window; closing the
// window ends the previews while the conversion goes on to its end.
TEST(PreviewWindow, ShowsTheConversionsPicturesUntilItIsClosed) {
  test::TempDir dir;
  TFFmpegVCL component;
  ASSERT_TRUE(component.LoadLibraries("")) << component.LastError();
  InstallPreviewWindows();
  const std::string source = test::SharedMedia(
      "preview-source.mpg",
      {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=4", "-c:v", "mpeg1video", "-f", "mpeg"});
  TInputOptions input;
  InitInputOptions(input);
  input.ExtraOptions = "re=1";  // at the source's pace, so that the window lives a while
  const int task = component.CreateTask(source, &input);
  ASSERT_EQ(task, 0) << component.LastError();
  TOutputOptions output;
  InitOutputOptions(output);
  output.VideoCodec = "mpeg4";
  ASSERT_TRUE(component.SetTaskOutput(task, dir.file("out.avi"), &output)) << component.LastError();
  std::atomic<bool> finished{false}, ended{false};
  component.OnTerminate = [&](int index, bool done, bool, const std::string &) {
    if (index == 0) finished = done;
    if (index == -1) ended = true;
  };
  component.SetPreview(true);
  component.StartTasks(1);

  ASSERT_TRUE(RunEventsUntil([] { return VisiblePreview() && !VisiblePreview()->Picture().isNull(); }));
  TPreviewWindow *window = VisiblePreview();
  EXPECT_EQ(window->size(), QSize(320, 240));
  EXPECT_EQ(window->Picture().size(), QSize(320, 240));
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d\d\d$)").match(window->windowTitle()).hasMatch())
      << window->windowTitle().toStdString();
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  if (const char *shot = std::getenv("VELMORA_PREVIEW_SCREENSHOT")) window->grab().save(shot);

  window->close();
  ASSERT_TRUE(RunEventsUntil([&] { return ended.load(); }));
  EXPECT_TRUE(finished);
  EXPECT_EQ(VisiblePreview(), nullptr);  // no window came back
  EXPECT_TRUE(component.Preview());
  component.OnTerminate = nullptr;
}

}  // namespace
}  // namespace velmora
