// A merge after the wizard encodes with what the wizard chose: the picture
// effect turns the picture, the volume entry scales the sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "WizardFixture.h"

namespace velmora::test {
namespace {

constexpr int kWidth = 64, kHeight = 48;

class MergeAfterWizardTest : public WizardFixture {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    sources = {Source("a.mpg"), Source("b.mpg")};
    for (const std::string &source : sources) Add(source);
  }

  // Type 1 with its defaults and `adjust` applied, then a merge.
  std::string MergeType1(const std::function<void(TForm8 &)> &adjust) {
    OpenOptionsFor(1);
    adjust(wizard->Form8);
    EXPECT_TRUE(wizard->Form8.Button4Click());
    const TMergeResult merge = Merge();
    EXPECT_EQ(merge.Outcome, TMergeOutcome::Done) << merge.Message;
    return merge.OutputPath;
  }

  // The first picture of a file in grey, at the sources' size.
  static std::string FirstPicture(const std::string &path) {
    std::string pixels;
    RunProgram({"ffmpeg", "-v", "error", "-i", path, "-frames:v", "1", "-vf",
                "scale=" + std::to_string(kWidth) + ":" + std::to_string(kHeight), "-pix_fmt",
                "gray", "-f", "rawvideo", "pipe:"},
               &pixels);
    EXPECT_EQ(pixels.size(), std::size_t{kWidth * kHeight}) << path;
    pixels.resize(kWidth * kHeight);
    return pixels;
  }

  // The mean difference of two grey pictures, the second read mirrored when asked.
  static double Difference(const std::string &a, const std::string &b, bool mirrored) {
    double sum = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const int other = mirrored ? kWidth - 1 - x : x;
        sum += std::abs(static_cast<unsigned char>(a[y * kWidth + x]) -
                        static_cast<unsigned char>(b[y * kWidth + other]));
      }
    return sum / (kWidth * kHeight);
  }

  // The root mean square of a file's sound, in one channel.
  static double SoundLevel(const std::string &path) {
    std::string bytes;
    RunProgram({"ffmpeg", "-v", "error", "-i", path, "-vn", "-ac", "1", "-f", "s16le", "pipe:"},
               &bytes);
    const std::size_t samples = bytes.size() / 2;
    EXPECT_GT(samples, 10000u) << path;
    double sum = 0;
    for (std::size_t i = 0; i < samples; ++i) {
      const auto value = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
      sum += double(value) * value;
    }
    return std::sqrt(sum / std::max<std::size_t>(samples, 1));
  }

  std::vector<std::string> sources;
};

TEST_F(MergeAfterWizardTest, HorizontalFlipMirrorsThePicture) {
  const std::string output = MergeType1([](TForm8 &dialog) {
    dialog.SetChecked(dialog.suiCheckBox2, true);
  });
  EXPECT_EQ(form->Settings.VideoFilters, "hflip");
  const std::string source = FirstPicture(sources[0]), merged = FirstPicture(output);
  const double mirrored = Difference(source, merged, true), straight = Difference(source, merged, false);
  EXPECT_LT(mirrored, 10.0);
  EXPECT_GT(straight, 3 * mirrored) << "the picture was not mirrored";
}

TEST_F(MergeAfterWizardTest, HalfTheVolumeHalvesTheAmplitude) {
  const std::string plain = MergeType1([](TForm8 &) {});
  const double unchanged = SoundLevel(plain);
  std::filesystem::remove(plain);
  const double halved = SoundLevel(MergeType1([this](TForm8 &dialog) {
    Choose(dialog.suiComboBox9, "音量降低50%");
  }));
  EXPECT_EQ(form->Settings.AudioVolume, "128");
  ASSERT_GT(unchanged, 100.0);
  EXPECT_NEAR(halved / unchanged, 0.5, 0.03);
}

}  // namespace
}  // namespace velmora::test
