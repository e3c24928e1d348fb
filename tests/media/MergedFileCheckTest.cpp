// The check of a merged output against its sources: streams, codecs,
// decoding at both ends, and the duration bound.
#include "media/MergedFileCheck.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace velmora {
namespace {

constexpr std::int64_t kSecond = 1000000;
using F = TMergeCheckFailure;

class MergedFileCheck : public ::testing::Test {
 protected:
  void SetUp() override { test::LoadSystemLibraries(); }

  // A three-second file of the ffmpeg tool with the given codec arguments.
  std::string Make(const std::string &name, const std::vector<std::string> &codecs,
                   bool video = true) {
    std::vector<std::string> args;
    if (video) args = {"-f", "lavfi", "-i", "testsrc2=d=3:s=160x120:r=25"};
    args.insert(args.end(), {"-f", "lavfi", "-i", "sine=d=3:sample_rate=44100"});
    args.insert(args.end(), codecs.begin(), codecs.end());
    return test::SharedMedia(name, args);
  }
  std::string Mp4() { return Make("check.mp4", {"-c:v", "mpeg4", "-c:a", "aac"}); }

  static TMergeExpectation Expect(std::vector<double> seconds, bool video = true) {
    TMergeExpectation expected;
    expected.video = video;
    for (double s : seconds) expected.sourceDurationsUs.push_back(std::int64_t(s * kSecond));
    return expected;
  }
};

TEST_F(MergedFileCheck, ASumWithinTheBoundPassesAndOneBeyondItFails) {
  const std::string file = Mp4();
  struct Case {
    std::vector<double> sources;
    F failure;
  };
  const Case cases[] = {
      {{1, 1, 1}, F::None},
      {{1.02, 0.99, 1.0}, F::None},
      {{1.4, 1.4, 1.4}, F::TooShort},  // whole-second cuts of the sources lose this much
      {{1.5, 1.5}, F::None},
      {{1, 1}, F::TooLong},
  };
  for (const Case &c : cases) {
    const TMergeCheckReport report = CheckMergedFile(file, Expect(c.sources));
    EXPECT_EQ(report.failure, c.failure) << report.durationUs << " of " << report.expectedUs;
  }
  const TMergeCheckReport report = CheckMergedFile(file, Expect({1, 1, 1}));
  EXPECT_NEAR(report.durationUs, 3 * kSecond, 100000);
  EXPECT_EQ(report.videoCodec, "mpeg4");
  EXPECT_EQ(report.audioCodec, "aac");
  EXPECT_EQ(report.sizeBytes, std::int64_t(std::filesystem::file_size(file)));
}

TEST_F(MergedFileCheck, StreamsAndCodecsMustBeThoseAskedFor) {
  const std::string mp4 = Mp4();
  const std::string mp3 = Make("check.mp3", {"-c:a", "libmp3lame"}, false);
  TMergeExpectation h264 = Expect({3});
  h264.videoCodec = "h264";
  TMergeExpectation vorbis = Expect({3});
  vorbis.audioCodec = "vorbis";
  struct Case {
    std::string file;
    TMergeExpectation expected;
    F failure;
  };
  const Case cases[] = {
      {mp4, h264, F::WrongVideoCodec},
      {mp4, vorbis, F::WrongAudioCodec},
      {mp4, Expect({3}, false), F::UnexpectedVideo},
      {mp3, Expect({3}), F::NoVideo},
      {mp3, Expect({1, 2}, false), F::None},
  };
  for (const Case &c : cases)
    EXPECT_EQ(CheckMergedFile(c.file, c.expected).failure, c.failure) << c.file;
}

TEST_F(MergedFileCheck, AContainerThatCannotSeekIsReadFromItsStart) {
  // A Flash file tells no duration and cannot seek: its end is found by
  // reading it all.
  const std::string swf = Make("check.swf", {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "44100"});
  const TMergeCheckReport report = CheckMergedFile(swf, Expect({1, 2}));
  EXPECT_EQ(report.failure, F::None) << static_cast<int>(report.failure);
  EXPECT_NEAR(report.durationUs, 3 * kSecond, 100000);
}

TEST_F(MergedFileCheck, ABrokenOrCutFileFails) {
  test::TempDir dir;
  EXPECT_EQ(CheckMergedFile(dir.file("missing.mp4"), Expect({3})).failure, F::CannotOpen);
  // An MP4 cut in half loses its index; an MPEG stream cut in half its end.
  const std::string mpg = Make("check.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2"});
  for (const std::string &source : {Mp4(), mpg}) {
    const std::string cut = dir.file("cut" + std::filesystem::path(source).extension().string());
    std::filesystem::copy_file(source, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(source) / 2);
    const F failure = CheckMergedFile(cut, Expect({3})).failure;
    EXPECT_NE(failure, F::None) << cut;
  }
}

}  // namespace
}  // namespace velmora
