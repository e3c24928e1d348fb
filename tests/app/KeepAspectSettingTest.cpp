// The check box that keeps pictures' shape: on without a stored choice, a
// click stores it in the settings file, the next window reads it back, and
// it is locked with the other output settings during a merge.
#include "StartupFixture.h"

namespace velmora {
namespace {

class KeepAspectSetting : public test::StartupFixture {};

TEST_F(KeepAspectSetting, IsOnUntilClickedOffAndTheNextWindowReadsTheStoredChoice) {
  Create();
  EXPECT_TRUE(form->chkKeepAspect.Checked);
  EXPECT_TRUE(form->chkKeepAspect.Visible);
  form->chkKeepAspectClick(false);
  EXPECT_EQ(Settings().ReadString("Picture", "KeepAspect", "?"), "0");
  Create();
  EXPECT_FALSE(form->chkKeepAspect.Checked);
  form->chkKeepAspectClick(true);
  Create();
  EXPECT_TRUE(form->chkKeepAspect.Checked);
}

TEST_F(KeepAspectSetting, IsLockedWithTheOutputSettingsAndIgnoresClicksThen) {
  Create();
  form->Button32Click();
  EXPECT_FALSE(form->chkKeepAspect.Enabled);
  form->chkKeepAspectClick(false);
  EXPECT_TRUE(form->chkKeepAspect.Checked);
  EXPECT_EQ(Settings().ReadString("Picture", "KeepAspect", "?"), "?");
  form->Button33Click();
  EXPECT_TRUE(form->chkKeepAspect.Enabled);
}

}  // namespace
}  // namespace velmora
