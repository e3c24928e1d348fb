// velmora-lock: the administrator's switch of the start-up lock, written in
// the form the program reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/PasswordForm.h"
#include "app/PasswordLock.h"
#include "app/ScriptedPlatform.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

struct LockRun {
  int status;
  std::string output;
};

// The tool with `args`, its standard input fed with `input`.
LockRun Lock(const std::vector<std::string> &args, const std::string &input = {}) {
  std::vector<std::string> command = {"sh", "-c", "printf '%s' \"$0\" | \"$@\"", input,
                                      VELMORA_LOCK};
  command.insert(command.end(), args.begin(), args.end());
  LockRun run{};
  run.status = test::RunProgram(command, &run.output);
  return run;
}

TEST(LockTool, SetLocksTheProgramAndClearUnlocksIt) {
  test::TempDir dir;
  const std::string store = dir.file("etc/registry.ini");
  LockRun run = Lock({"--set", "--registry", store}, "open sesame\nopen sesame\n");
  ASSERT_EQ(run.status, 0) << run.output;
  TRegistryStore registry(store);
  EXPECT_TRUE(LockOn(registry));
  EXPECT_NE(Lock({"--status", "--registry", store}).output.find("已开启"), std::string::npos);

  // The program now asks, and takes the password.
  TScriptedPlatform platform;
  TForm5 form(platform, registry, LocateProgramFiles(dir.file("program"), true, {}));
  form.FormShow();
  form.SetPassword("open sesame");
  form.btnOkClick();
  EXPECT_EQ(form.Outcome(), TLockOutcome::Unlocked);

  run = Lock({"--clear", "--registry", store});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_FALSE(LockOn(registry));
  EXPECT_NE(Lock({"--status", "--registry", store}).output.find("未开启"), std::string::npos);
}

TEST(LockTool, RefusesWhatItCannotStore) {
  test::TempDir dir;
  const std::string store = dir.file("registry.ini");
  struct Case {
    std::string input;
    std::string message;
  };
  const Case cases[] = {
      {"one\ntwo\n", "两次输入的密码不一致，未作更改。\n"},
      {"\n\n", "密码不能为空，只能由可打印的ASCII字符组成，未作更改。\n"},
      {"", "没有读到密码，未作更改。\n"},
  };
  for (const Case &c : cases) {
    const LockRun run = Lock({"--set", "--registry", store}, c.input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, c.message);
  }
  EXPECT_FALSE(std::filesystem::exists(store));
  // A store that cannot be written says so (here its folder cannot be made).
  const LockRun run = Lock({"--set", "--registry", "/dev/null/velmora/registry.ini"}, "a\na\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind("无法写入 /dev/null/velmora/registry.ini：", 0), 0u) << run.output;
  EXPECT_EQ(Lock({"--bogus"}).status, 2);
}

}  // namespace
}  // namespace velmora
