#pragma once
// The password window "密码窗口": shown when the main window is shown while
// the start-up lock is on. The right password (or the master password) lets
// the program go on; a wrong one is said and ends the program, as does
// "退出". The window cannot be closed any other way.
#include "app/Controls.h"
#include "app/FormState.h"
#include "app/Platform.h"
#include "app/RegistryStore.h"
#include "app/SkinLoader.h"

namespace velmora {

enum class TLockOutcome { Waiting, Unlocked, Quit };

class TForm5 : public TFormState {
 public:
  TForm5(TPlatform &platform, TRegistryStore &registry, const TProgramFiles &files);

  std::string Caption = "密码窗口";
  TLabelState Label1{"Label1", "请输入您设置的密码："};
  TEditState suiEdit1{"suiEdit1"};  // shown as "*" per character
  TButtonState btnOk{"btnOk", "确定"};
  TButtonState btnQuit{"btnQuit", "退出"};
  TSkinState Skin;

  // Waiting while the window is open; Unlocked or Quit once it has closed.
  TLockOutcome Outcome() const;

  // Empties the edit box and applies the stored skin.
  void FormShow();
  // The user typed: the edit box's text.
  void SetPassword(const std::string &text);
  void btnOkClick();
  void btnQuitClick();
  // Alt+F4 and the window's close button: refused while the window waits.
  bool MayClose() const;

 private:
  void Finish(TLockOutcome outcome);

  TPlatform &platform_;
  TRegistryStore &registry_;
  TSkinLoader skins_;
  TLockOutcome outcome_ = TLockOutcome::Waiting;
};

}  // namespace velmora
