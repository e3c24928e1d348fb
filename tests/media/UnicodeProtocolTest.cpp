#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ScopedLocale.h"
#include "libav/FFmpegLoader.h"
#include "media/UnicodeProtocol.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::ScopedLocale;
using test::TempDir;

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  ff.av_strerror(code, text, sizeof text);
  return std::to_string(code) + " " + text;
}

void WriteFile(const std::string &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Under the C locale every non-ASCII name needs the protocol.
class UnicodeProtocol : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(test::LoadSystemLibraries()); }

  ScopedLocale locale_{"C"};
  TempDir dir_;
};

// Our files must behave like the library's own file protocol; the ASCII name
// goes through the library, the Chinese one through the protocol.
TEST(UnicodeProtocolRegistration, TheLoaderRegistersTheProtocolOncePerProcess) {
  auto &loader = TFFmpegLoader::Instance();
  EXPECT_FALSE(UnicodeProtocolRegistered());
  test::LoadSystemLibraries();
  EXPECT_EQ(UnicodeProtocolRegistrationCount(), 1);
  loader.UnloadLibraries(kStandardLibraries);
  ASSERT_TRUE(loader.LoadLibraries(kStandardLibraries)) << loader.LastLoadError();
  EXPECT_TRUE(UnicodeProtocolRegistered());
  EXPECT_EQ(UnicodeProtocolRegistrationCount(), 1);
}

TEST_F(UnicodeProtocol, ReadsSeeksAndSizesLikeTheLibrarysFiles) {
  std::string content(100000, '\0');  // several I/O buffers long
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  for (const char *leaf : {"plain.bin", "数据.bin"}) {
    SCOPED_TRACE(leaf);
    const std::string name = dir_.file(leaf);
    WriteFile(name, content);
    const std::string url = UrlForFileName(name);
    EXPECT_EQ(IsUnicodeUrl(url), std::string(leaf) != "plain.bin");

    AVIOContext *pb = nullptr;
    ASSERT_EQ(OpenUrlIO(&pb, url, AVIO_FLAG_READ, nullptr, nullptr), 0);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(ff.avio_size(pb), static_cast<int64_t>(content.size()));
    EXPECT_EQ(pb->seek(pb->opaque, 0, AVSEEK_SIZE), static_cast<int64_t>(content.size()));
    EXPECT_EQ(pb->seek(pb->opaque, 0, AVSEEK_SIZE | AVSEEK_FORCE),
              static_cast<int64_t>(content.size()));

    std::string read;
    unsigned char chunk[4096];
    int n;
    while ((n = ff.avio_read(pb, chunk, sizeof chunk)) > 0)
      read.append(reinterpret_cast<char *>(chunk), n);
    EXPECT_EQ(n, AVERROR_EOF);
    EXPECT_TRUE(ff.avio_feof(pb));
    EXPECT_TRUE(read == content);

    EXPECT_EQ(ff.avio_seek(pb, 50000, SEEK_SET), 50000);
    ASSERT_EQ(ff.avio_read(pb, chunk, 10), 10);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(chunk), 10), content.substr(50000, 10));
    EXPECT_EQ(ff.avio_seek(pb, 5, SEEK_CUR), 50015);

    // The callbacks themselves: seeking from the end, and AVERROR_EOF (never
    // 0) once the end is reached.
    EXPECT_EQ(pb->seek(pb->opaque, -10, SEEK_END | AVSEEK_FORCE), 99990);
    ASSERT_EQ(pb->read_packet(pb->opaque, chunk, sizeof chunk), 10);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(chunk), 10), content.substr(99990));
    EXPECT_EQ(pb->read_packet(pb->opaque, chunk, sizeof chunk), AVERROR_EOF);

    CloseUrlIO(&pb);
    EXPECT_EQ(pb, nullptr);
  }
}

TEST_F(UnicodeProtocol, WhatCannotBeOpenedIsNoSuchFile) {
  fs::create_directory(dir_.file("文件夹"));
  const struct {
    std::string name;
    int flags;
  } cases[] = {
      {dir_.file("没有.avi"), AVIO_FLAG_READ},
      {dir_.file("文件夹"), AVIO_FLAG_READ},
      {dir_.file("文件夹"), AVIO_FLAG_WRITE},
      {dir_.file("没有/新的.avi"), AVIO_FLAG_WRITE},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    AVIOContext *pb = nullptr;
    EXPECT_EQ(OpenUrlIO(&pb, UrlForFileName(c.name), c.flags, nullptr, nullptr), AVERROR(ENOENT));
    EXPECT_EQ(pb, nullptr);
  }
  EXPECT_EQ(AVERROR(ENOENT), -2);

  // A failed input open frees the format context, also one the caller made.
  const std::string missing = UrlForFileName(dir_.file("没有.avi"));
  AVFormatContext *ic = nullptr;
  EXPECT_EQ(OpenInputUrl(&ic, missing, nullptr, nullptr), -2);
  EXPECT_EQ(ic, nullptr);
  ic = ff.avformat_alloc_context();
  EXPECT_EQ(OpenInputUrl(&ic, missing, nullptr, nullptr), -2);
  EXPECT_EQ(ic, nullptr);
}

TEST_F(UnicodeProtocol, OpeningForWritingEmptiesTheFile) {
  const mode_t savedMask = umask(022);
  for (int flags : {AVIO_FLAG_WRITE, AVIO_FLAG_READ_WRITE}) {
    SCOPED_TRACE(flags);
    const std::string existing = dir_.file("旧的.bin");
    const std::string fresh = dir_.file("新的" + std::to_string(flags) + ".bin");
    WriteFile(existing, "an older and much longer content");
    for (const std::string &name : {existing, fresh}) {
      AVIOContext *pb = nullptr;
      ASSERT_EQ(OpenUrlIO(&pb, UrlForFileName(name), flags, nullptr, nullptr), 0);
      ff.avio_write(pb, reinterpret_cast<const unsigned char *>("new"), 3);
      CloseUrlIO(&pb);
      EXPECT_EQ(ReadFile(name), "new");
    }
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0644));
  }
  umask(savedMask);
}

class UnicodeProtocolMedia : public UnicodeProtocol {
 protected:
  void SetUp() override {
    UnicodeProtocol::SetUp();
    if (HasFatalFailure()) return;
    const std::string made = dir_.file("made.avi");
    ASSERT_NO_FATAL_FAILURE(test::Ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=1:s=64x48", "-f",
                                          "lavfi", "-i", "sine=d=1", "-c:v", "mpeg4", "-c:a",
                                          "mp2", made}));
    source_ = dir_.file("测试视频:片段.avi");
    fs::rename(made, source_);
  }

  std::string source_;
};

TEST_F(UnicodeProtocolMedia, AChineseNamedFileIsDemuxedThroughTheProtocol) {
  const std::string url = UrlForFileName(source_);
  ASSERT_TRUE(IsUnicodeUrl(url));

  // The library alone does not know the URL.
  AVFormatContext *plain = nullptr;
  EXPECT_LT(ff.avformat_open_input(&plain, url.c_str(), nullptr, nullptr), 0);

  AVFormatContext *ic = nullptr;
  const int opened = OpenInputUrl(&ic, url, nullptr, nullptr);
  ASSERT_EQ(opened, 0) << ErrorText(opened);
  EXPECT_EQ(std::string(ic->url), url);
  EXPECT_EQ(FileNameFromUrl(ic->url), source_);
  EXPECT_STREQ(ic->iformat->name, "avi");
  ASSERT_GE(ff.avformat_find_stream_info(ic, nullptr), 0);
  ASSERT_EQ(ic->nb_streams, 2u);
  EXPECT_EQ(ic->streams[0]->codecpar->codec_type, AVMEDIA_TYPE_VIDEO);
  EXPECT_EQ(ic->streams[1]->codecpar->codec_type, AVMEDIA_TYPE_AUDIO);
  CloseInputUrl(&ic);
  EXPECT_EQ(ic, nullptr);
}

// The top-level boxes of an MP4 file, in file order.
std::vector<std::string> TopLevelBoxes(const std::string &data) {
  std::vector<std::string> boxes;
  for (std::size_t pos = 0; pos + 8 <= data.size();) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[pos + i]); };
    const std::size_t size = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    boxes.push_back(data.substr(pos + 4, 4));
    if (size < 8) break;
    pos += size;
  }
  return boxes;
}

// Remuxes into MP4 with the index moved to the front: the muxer then opens
// the output a second time by its URL, which only works through the hooks.
TEST_F(UnicodeProtocolMedia, AFileIsWrittenThroughAnOutputContext) {
  for (const char *leaf : {"output.mp4", "输出:一.mp4"}) {
    SCOPED_TRACE(leaf);
    const std::string target = dir_.file(leaf);
    const std::string url = UrlForFileName(target);

    AVFormatContext *ic = nullptr;
    ASSERT_EQ(OpenInputUrl(&ic, UrlForFileName(source_), nullptr, nullptr), 0);
    ASSERT_GE(ff.avformat_find_stream_info(ic, nullptr), 0);

    AVFormatContext *oc = nullptr;
    ASSERT_GE(ff.avformat_alloc_output_context2(&oc, nullptr, "mp4", url.c_str()), 0);
    InstallUnicodeIoHooks(oc);
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
      AVStream *os = ff.avformat_new_stream(oc, nullptr);
      ASSERT_GE(ff.avcodec_parameters_copy(os->codecpar, ic->streams[i]->codecpar), 0);
      os->codecpar->codec_tag = 0;
      os->time_base = ic->streams[i]->time_base;
    }
    ASSERT_EQ(OpenUrlIO(&oc->pb, url, AVIO_FLAG_WRITE, &oc->interrupt_callback, nullptr), 0);
    AVDictionary *options = nullptr;
    ff.av_dict_set(&options, "movflags", "faststart", 0);
    int result = ff.avformat_write_header(oc, &options);
    ff.av_dict_free(&options);
    ASSERT_GE(result, 0) << ErrorText(result);

    AVPacket *packet = ff.av_packet_alloc();
    int packets = 0;
    while (ff.av_read_frame(ic, packet) >= 0) {
      const int index = packet->stream_index;
      ff.av_packet_rescale_ts(packet, ic->streams[index]->time_base,
                              oc->streams[index]->time_base);
      packet->pos = -1;
      EXPECT_GE(ff.av_interleaved_write_frame(oc, packet), 0);
      ++packets;
    }
    ff.av_packet_free(&packet);
    result = ff.av_write_trailer(oc);
    EXPECT_EQ(result, 0) << ErrorText(result);
    CloseUrlIO(&oc->pb);
    ff.avformat_free_context(oc);
    CloseInputUrl(&ic);
    EXPECT_GT(packets, 0);

    const std::vector<std::string> boxes = TopLevelBoxes(ReadFile(target));
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_NE(moov, boxes.end());
    ASSERT_NE(mdat, boxes.end());
    EXPECT_LT(moov, mdat) << "the index was not moved to the front";

    ASSERT_EQ(OpenInputUrl(&ic, url, nullptr, nullptr), 0);
    ASSERT_GE(ff.avformat_find_stream_info(ic, nullptr), 0);
    EXPECT_EQ(ic->nb_streams, 2u);
    CloseInputUrl(&ic);
  }
}

}  // namespace
}  // namespace velmora
