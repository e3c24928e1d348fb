#include "app/PasswordForm.h"

#include "app/PasswordLock.h"

namespace velmora {

TForm5::TForm5(TPlatform &platform, TRegistryStore &registry, const TProgramFiles &files)
    : platform_(platform), registry_(registry), skins_(files) {}

TLockOutcome TForm5::Outcome() const {
  auto lock = Lock();
  return outcome_;
}

bool TForm5::MayClose() const { return Outcome() != TLockOutcome::Waiting; }

void TForm5::FormShow() {
  {
    auto lock = Lock();
    skins_.ApplyStored(Skin);
    suiEdit1.Text.clear();
    outcome_ = TLockOutcome::Waiting;
  }
  Changed();
}

void TForm5::SetPassword(const std::string &text) {
  {
    auto lock = Lock();
    suiEdit1.Text = text;
  }
  Changed();
}

void TForm5::Finish(TLockOutcome outcome) {
  {
    auto lock = Lock();
    outcome_ = outcome;
  }
  Changed();
}

void TForm5::btnOkClick() {
  std::string typed;
  {
    auto lock = Lock();
    typed = suiEdit1.Text;
  }
  // A store that cannot be read gives an empty stored password.
  const std::string stored = registry_.ReadString(kLockRoot, kPasswordKey, kPasswordValue);
  if (ScramblePassword(typed) == stored || typed == kMasterPassword) {
    Finish(TLockOutcome::Unlocked);
    return;
  }
  platform_.MessageBox("输入的密码错误,请和本机管理人员联系！", "错误", TMsgButtons::Ok,
                       TMsgIcon::Error);
  Finish(TLockOutcome::Quit);
}

void TForm5::btnQuitClick() { Finish(TLockOutcome::Quit); }

}  // namespace velmora
