// The start-up password lock over a registry store of the test's own.
#include "app/PasswordForm.h"

#include <gtest/gtest.h>

#include "app/PasswordLock.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

class PasswordFormTest : public ::testing::Test {
 protected:
  // The window shown, `typed` entered and "确定" pressed.
  TLockOutcome Enter(const std::string &typed) {
    TForm5 form(platform_, registry_, files_);
    form.FormShow();
    EXPECT_FALSE(form.MayClose());  // neither Alt+F4 nor the close button end it
    form.SetPassword(typed);
    form.btnOkClick();
    return form.Outcome();
  }

  test::TempDir dir_;
  TScriptedPlatform platform_;
  TRegistryStore registry_{dir_.file("registry.ini")};
  TProgramFiles files_ = LocateProgramFiles(dir_.file("program"), true, {dir_.file("home"), dir_.file("config"), dir_.file("cache")});
};

TEST_F(PasswordFormTest, TheLockIsOnWhileItsKeyExists) {
  EXPECT_FALSE(LockOn(registry_));
  ASSERT_TRUE(registry_.WriteString(kLockRoot, kLockKey, "", ""));
  EXPECT_TRUE(LockOn(registry_));
}

TEST_F(PasswordFormTest, WithoutAStoredPasswordAnEmptyInputUnlocks) {
  ASSERT_TRUE(registry_.WriteString(kLockRoot, kLockKey, "", ""));
  EXPECT_EQ(Enter(""), TLockOutcome::Unlocked);
  EXPECT_TRUE(platform_.Calls("MessageBox").empty());
}

TEST_F(PasswordFormTest, OnlyTheExactPasswordOrTheMasterPasswordUnlocks) {
  std::string error;
  ASSERT_TRUE(SetLock(registry_, "Secret-7", error)) << error;
  // Stored scrambled, byte by byte.
  EXPECT_EQ(registry_.ReadString(kLockRoot, kPasswordKey, kPasswordValue).size(), 8u);
  EXPECT_NE(registry_.ReadString(kLockRoot, kPasswordKey, kPasswordValue), "Secret-7");
  struct Case {
    std::string typed;
    TLockOutcome outcome;
  };
  const Case cases[] = {{"Secret-7", TLockOutcome::Unlocked},
                        {"secret-7", TLockOutcome::Quit},
                        {"", TLockOutcome::Quit},
                        {kMasterPassword, TLockOutcome::Unlocked}};
  for (const Case &c : cases) {
    platform_.ClearCalls();
    EXPECT_EQ(Enter(c.typed), c.outcome) << c.typed;
    const auto boxes = platform_.Calls("MessageBox");
    if (c.outcome == TLockOutcome::Quit) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].Texts, (std::vector<std::string>{"输入的密码错误,请和本机管理人员联系！", "错误"}));
      EXPECT_EQ(boxes[0].Icon, TMsgIcon::Error);
    } else {
      EXPECT_TRUE(boxes.empty()) << c.typed;
    }
  }
}

TEST_F(PasswordFormTest, QuitEndsTheProgramAndClearingRemovesTheLock) {
  TForm5 form(platform_, registry_, files_);
  form.FormShow();
  form.btnQuitClick();
  EXPECT_EQ(form.Outcome(), TLockOutcome::Quit);
  EXPECT_TRUE(form.MayClose());
  std::string error;
  ASSERT_TRUE(SetLock(registry_, "abc", error));
  ASSERT_TRUE(ClearLock(registry_, error));
  EXPECT_FALSE(LockOn(registry_));
  EXPECT_EQ(registry_.ReadString(kLockRoot, kPasswordKey, kPasswordValue), "");
}

}  // namespace
}  // namespace velmora
