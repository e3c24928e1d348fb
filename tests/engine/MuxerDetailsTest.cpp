// What a container receives beside the packets: the encoders' buffer sizes
// (MPEG program streams size their buffers and mux rate from them), the
// description of the output printed before the run, and tags under the
// container's own names.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

std::string ReadBytes(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The buffer size in bytes that the first system header of an MPEG program
// stream declares for its first video stream (0 when it declares none).
int VideoBufferBound(const std::string &file) {
  const std::string bytes = ReadBytes(file);
  const std::size_t header = bytes.find(std::string("\0\0\1\xBB", 4));
  if (header == std::string::npos || header + 6 > bytes.size()) return 0;
  const std::size_t length = static_cast<unsigned char>(bytes[header + 4]) << 8 |
                             static_cast<unsigned char>(bytes[header + 5]);
  // After the start code and length: six bytes of rates and bounds, then
  // three bytes per stream: id, then '11', the scale bit and 13 bits of size.
  for (std::size_t at = header + 12; at + 3 <= header + 6 + length && at + 3 <= bytes.size();
       at += 3) {
    if (static_cast<unsigned char>(bytes[at]) != 0xE0) continue;
    const int bound = static_cast<unsigned char>(bytes[at + 1]) << 8 |
                      static_cast<unsigned char>(bytes[at + 2]);
    return (bound & 0x1FFF) * ((bound & 0x2000) ? 1024 : 128);
  }
  return 0;
}

// The container-level tags of a file, by name.
std::map<std::string, std::string> ReadTags(const std::string &file) {
  std::map<std::string, std::string> tags;
  AVFormatContext *context = nullptr;
  if (ff.avformat_open_input(&context, file.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "cannot open " << file;
    return tags;
  }
  const AVDictionaryEntry *entry = nullptr;
  while ((entry = ff.av_dict_get(context->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
    tags[entry->key] = entry->value;
  ff.avformat_close_input(&context);
  return tags;
}

class MuxerDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::LoadSystemLibraries();
    ff.av_log_set_level(AV_LOG_ERROR);
    source = test::SharedMedia("muxer-details.avi",
                               test::ClipArgs(1.0, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
  }
  std::string Run(const std::string &name, const std::vector<std::string> &options) {
    const std::string output = dir.file(name);
    std::vector<std::string> args = {"-i", source};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(output);
    const test::TaskResult result = test::RunTask(args);
    EXPECT_TRUE(result.finished) << result.error;
    return output;
  }
  test::TempDir dir;
  std::string source;
};

// A VCD declares the video buffer of the disc standard (46 KB) in its system
// header, and the description printed before the run names both streams.
TEST_F(MuxerDetailsTest, VcdCarriesTheEncodersBufferSizeAndDescribesItsStreams) {
  const test::LibraryLog libraryLog(AV_LOG_INFO);
  const std::string output = Run("vcd.mpg", {"-target", "pal-vcd"});
  EXPECT_EQ(VideoBufferBound(output), 46 * 1024);
  const std::string text = libraryLog.Text();
  EXPECT_EQ(libraryLog.Count("VBV buffer size not set"), 0);
  EXPECT_EQ(libraryLog.Count("Unknown: none"), 0);
  const std::size_t description = text.find("Output #0, vcd");
  ASSERT_NE(description, std::string::npos) << text;
  EXPECT_NE(text.find("Video: mpeg1video", description), std::string::npos) << text;
  EXPECT_NE(text.find("Audio: mp2", description), std::string::npos) << text;
}

// An MPEG file at a fixed quantiser runs far above the nominal bit rate; the
// mux rate follows the encoder's declared maximum, so no packet arrives late.
TEST_F(MuxerDetailsTest, VariableRateMpegFileLogsNoBufferUnderflow) {
  const std::string noisy = dir.file("noisy.avi");
  test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=352x288:rate=25:duration=2,noise=alls=40:allf=t",
                "-c:v", "ffv1", noisy});
  const test::LibraryLog libraryLog(AV_LOG_ERROR);
  const std::string output = dir.file("vbr.mpg");
  const test::TaskResult result =
      test::RunTask({"-i", noisy, "-vcodec", "mpeg1video", "-qscale", "2", output});
  EXPECT_TRUE(result.finished) << result.error;
  EXPECT_EQ(libraryLog.Count("buffer underflow"), 0);
}

// The Author and Year of an output record reach each container under the
// name it stores (-metadata author=... year=...).
TEST_F(MuxerDetailsTest, AuthorAndYearTagsTakeTheContainersNames) {
  struct Case {
    const char *output;
    const char *authorKey;
    const char *yearKey;
  };
  const Case cases[] = {
      {"tags.avi", "artist", "date"},
      {"tags.mp4", "artist", "date"},
      {"tags.wav", "artist", "date"},
      {"tags.mkv", "AUTHOR", "YEAR"},
      {"tags.mp3", "author", "year"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.output);
    auto tags = ReadTags(Run(c.output, {"-metadata", "author=Alice", "-metadata", "year=2001"}));
    EXPECT_EQ(tags[c.authorKey], "Alice");
    EXPECT_EQ(tags[c.yearKey], "2001");
  }
  // A tag given under the container's name wins over the older one.
  auto both = ReadTags(
      Run("both.avi", {"-metadata", "author=Alice", "-metadata", "artist=Bob", "-an"}));
  EXPECT_EQ(both["artist"], "Bob");
}

}  // namespace
}  // namespace velmora
