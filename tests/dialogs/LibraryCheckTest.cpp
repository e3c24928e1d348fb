// The check "确定" makes with the installed libraries, on what it is shown:
// a choice the libraries write passes, an encoder they lack and a container
// that cannot hold the codec are refused with the encoder, the container
// and the library's reason. (The combination matrix runs it on every entry.)
#include <gtest/gtest.h>

#include "WizardFixture.h"
#include "dialogs/LibraryCheck.h"

namespace velmora::test {
namespace {

class LibraryCheckTest : public WizardFixture {
 protected:
  // What the dialog would write for type 16 ("电脑上使用的MP4视频") with its defaults.
  TChosenOutput Type16() {
    TChosenOutput chosen;
    MakeWizard([&](const TChosenOutput &seen) {
      chosen = seen;
      return std::string("seen");
    });
    OpenOptionsFor(16);
    wizard->Form8.Button4Click();
    return chosen;
  }
  std::string Check(const TChosenOutput &chosen) { return LibraryCheck(*form)(chosen); }
};

TEST_F(LibraryCheckTest, AChoiceTheLibrariesWritePasses) {
  EXPECT_EQ(Check(Type16()), "");
}

TEST_F(LibraryCheckTest, AnEncoderTheLibrariesLackIsNamedWithTheContainer) {
  TChosenOutput chosen = Type16();
  chosen.Encode.Options.AudioCodec = "libnothing";
  chosen.AudioEncoderEntry = "某音频编码器";
  EXPECT_EQ(Check(chosen),
            "编码库中没有音频编码器“某音频编码器”(libnothing)，无法生成 MP4 (*.mp4) 文件，"
            "请选择其他音频编码器。");
}

TEST_F(LibraryCheckTest, ACodecTheContainerRefusesIsNamedWithTheLibrarysReason) {
  TChosenOutput chosen = Type16();
  chosen.Encode.Options.AudioCodec = "flac";
  chosen.AudioEncoderEntry = "Flac音频编码器";
  const std::string refusal = Check(chosen);
  EXPECT_EQ(refusal.substr(0, refusal.find('\n')),
            "MP4 (*.mp4) 文件中不能使用音频编码器“Flac音频编码器”(flac)，请选择其他音频编码器。");
  EXPECT_NE(refusal.find("flac in MP4 support is experimental"), std::string::npos) << refusal;
  // Nothing of the trial stays behind in the output folder.
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{}));
}

}  // namespace
}  // namespace velmora::test
