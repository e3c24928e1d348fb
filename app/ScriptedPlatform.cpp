#include "app/ScriptedPlatform.h"

namespace velmora {

namespace {

TMsgAnswer FirstButton(TMsgButtons buttons) {
  return buttons == TMsgButtons::Ok || buttons == TMsgButtons::OkCancel ? TMsgAnswer::Ok
                                                                        : TMsgAnswer::Yes;
}

}  // namespace

void TScriptedPlatform::QueueAnswer(TMsgAnswer answer) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_.push_back(answer);
}

void TScriptedPlatform::QueueFiles(std::vector<std::string> paths) {
  std::lock_guard<std::mutex> guard(lock_);
  files_.push_back(std::move(paths));
}

void TScriptedPlatform::QueueFolder(std::optional<std::string> folder) {
  std::lock_guard<std::mutex> guard(lock_);
  folders_.push_back(std::move(folder));
}

void TScriptedPlatform::SetShellOpenResult(bool result) {
  std::lock_guard<std::mutex> guard(lock_);
  shellOpenResult_ = result;
}

void TScriptedPlatform::SetShutdownResult(bool result) {
  std::lock_guard<std::mutex> guard(lock_);
  shutdownResult_ = result;
}

std::vector<TPlatformCall> TScriptedPlatform::Calls() const {
  std::lock_guard<std::mutex> guard(lock_);
  return calls_;
}

std::vector<TPlatformCall> TScriptedPlatform::Calls(const std::string &kind) const {
  std::vector<TPlatformCall> matching;
  for (TPlatformCall &call : Calls())
    if (call.Kind == kind) matching.push_back(std::move(call));
  return matching;
}

void TScriptedPlatform::ClearCalls() {
  std::lock_guard<std::mutex> guard(lock_);
  calls_.clear();
}

void TScriptedPlatform::Record(TPlatformCall call) { calls_.push_back(std::move(call)); }

TMsgAnswer TScriptedPlatform::MessageBox(const std::string &text, const std::string &caption,
                                         TMsgButtons buttons, TMsgIcon icon) {
  std::lock_guard<std::mutex> guard(lock_);
  Record({"MessageBox", {text, caption}, buttons, icon, {}});
  if (answers_.empty()) return FirstButton(buttons);
  const TMsgAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::vector<std::string> TScriptedPlatform::OpenFiles(const TOpenDialogSpec &dialog) {
  std::lock_guard<std::mutex> guard(lock_);
  Record({"OpenFiles", {dialog.Name}, TMsgButtons::Ok, TMsgIcon::None, dialog});
  if (files_.empty()) return {};
  std::vector<std::string> paths = std::move(files_.front());
  files_.pop_front();
  if (!dialog.MultiSelect && paths.size() > 1) paths.resize(1);
  return paths;
}

std::optional<std::string> TScriptedPlatform::ChooseFolder(const std::string &title) {
  std::lock_guard<std::mutex> guard(lock_);
  Record({"ChooseFolder", {title}, TMsgButtons::Ok, TMsgIcon::None, {}});
  if (folders_.empty()) return std::nullopt;
  std::optional<std::string> folder = std::move(folders_.front());
  folders_.pop_front();
  return folder;
}

bool TScriptedPlatform::ShellOpen(const std::string &target) {
  std::lock_guard<std::mutex> guard(lock_);
  Record({"ShellOpen", {target}, TMsgButtons::Ok, TMsgIcon::None, {}});
  return shellOpenResult_;
}

bool TScriptedPlatform::Shutdown() {
  std::lock_guard<std::mutex> guard(lock_);
  Record({"Shutdown", {}, TMsgButtons::Ok, TMsgIcon::None, {}});
  return shutdownResult_;
}

void TScriptedPlatform::PostToGuiThread(std::function<void()> call) {
  std::lock_guard<std::mutex> guard(lock_);
  posted_.push_back(std::move(call));
}

int TScriptedPlatform::RunPostedCalls() {
  int count = 0;
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (posted_.empty()) return count;
      call = std::move(posted_.front());
      posted_.pop_front();
    }
    call();
    ++count;
  }
}

int TScriptedPlatform::PendingPostedCalls() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(posted_.size());
}

}  // namespace velmora
