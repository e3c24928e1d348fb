#pragma once
// A platform without a desktop: the answers of message boxes and dialogs are
// queued in advance, every call is recorded with its texts, shell opening and
// shutdown are only recorded, and calls posted to the GUI thread wait until
// RunPostedCalls. Used by the tests and by programs that run a form model
// without a display. Safe to call from several threads.
#include <deque>
#include <mutex>

#include "app/Platform.h"

namespace velmora {

struct TPlatformCall {
  std::string Kind;  // "MessageBox", "OpenFiles", "ChooseFolder", "ShellOpen", "Shutdown"
  std::vector<std::string> Texts;  // MessageBox: text, caption; OpenFiles: dialog name; ...
  TMsgButtons Buttons = TMsgButtons::Ok;
  TMsgIcon Icon = TMsgIcon::None;
  TOpenDialogSpec Dialog;  // OpenFiles only
};

class TScriptedPlatform : public TPlatform {
 public:
  // The next message box answers `answer`; without a queued answer a box
  // answers with its first button (Ok or Yes).
  void QueueAnswer(TMsgAnswer answer);
  // The next open-file dialog returns these paths (empty: cancelled); without
  // a queued choice a dialog is cancelled.
  void QueueFiles(std::vector<std::string> paths);
  // The next folder chooser returns this folder (nothing: cancelled).
  void QueueFolder(std::optional<std::string> folder);
  // What ShellOpen and Shutdown report from now on.
  void SetShellOpenResult(bool result);
  void SetShutdownResult(bool result);

  std::vector<TPlatformCall> Calls() const;
  // The recorded calls of one kind.
  std::vector<TPlatformCall> Calls(const std::string &kind) const;
  void ClearCalls();

  // Runs the posted calls, oldest first, including those they post; returns
  // how many ran.
  int RunPostedCalls();
  int PendingPostedCalls() const;

  TMsgAnswer MessageBox(const std::string &text, const std::string &caption, TMsgButtons buttons,
                        TMsgIcon icon) override;
  std::vector<std::string> OpenFiles(const TOpenDialogSpec &dialog) override;
  std::optional<std::string> ChooseFolder(const std::string &title) override;
  bool ShellOpen(const std::string &target) override;
  bool Shutdown() override;
  void PostToGuiThread(std::function<void()> call) override;

 private:
  void Record(TPlatformCall call);

  mutable std::mutex lock_;
  std::vector<TPlatformCall> calls_;
  std::deque<TMsgAnswer> answers_;
  std::deque<std::vector<std::string>> files_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<std::function<void()>> posted_;
  bool shellOpenResult_ = true;
  bool shutdownResult_ = true;
};

}  // namespace velmora
