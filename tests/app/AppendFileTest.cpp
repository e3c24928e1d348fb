// Appending one file onto another: contents in order whatever their sizes,
// the true end of a target past 2 GiB, a failure that leaves the target as
// it was, and a stop between two chunks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "FormFixture.h"
#include "app/AppendFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FormFixture;

std::string Bytes(std::size_t count, char seed) {
  std::string text(count, '\0');
  for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<char>(seed + i * 7 % 251);
  return text;
}

TEST(AppendFile, AppendsEverySizeInOrder) {
  test::TempDir dir;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kAppendChunkBytes - 1, kAppendChunkBytes,
                           kAppendChunkBytes * 3 + 17}) {
    SCOPED_TRACE(size);
    const std::string head = Bytes(1000, 'a'), tail = Bytes(size, 'z');
    const std::string target = FormFixture::WriteFile(dir.file("target"), head);
    const std::string source = FormFixture::WriteFile(dir.file("source"), tail);
    std::string error;
    EXPECT_EQ(AppendFile(target, source, nullptr, &error), TAppendResult::Appended) << error;
    EXPECT_EQ(FormFixture::ReadFile(target), head + tail);
    EXPECT_EQ(FormFixture::ReadFile(source), tail);
  }
}

TEST(AppendFile, FindsTheTrueEndOfATargetPastTwoGibibytes) {
  test::TempDir dir;
  const std::string target = dir.file("big");
  const std::uintmax_t big = (std::uintmax_t{5} << 29) + 3;  // 2.5 GiB and 3 bytes, sparse
  { std::ofstream(target, std::ios::binary) << "start"; }
  fs::resize_file(target, big);
  const std::string tail = Bytes(kAppendChunkBytes + 5, 'q');
  const std::string source = FormFixture::WriteFile(dir.file("tail"), tail);
  ASSERT_EQ(AppendFile(target, source, nullptr), TAppendResult::Appended);
  ASSERT_EQ(fs::file_size(target), big + tail.size());
  std::ifstream in(target, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(big));
  std::string read(tail.size(), '\0');
  in.read(read.data(), static_cast<std::streamsize>(read.size()));
  EXPECT_EQ(read, tail);
}

TEST(AppendFile, AFailureSaysWhyAndLeavesTheTargetAsItWas) {
  test::TempDir dir;
  const std::string target = FormFixture::WriteFile(dir.file("target"), "kept");
  std::string error;
  EXPECT_EQ(AppendFile(target, dir.file("missing"), nullptr, &error), TAppendResult::Failed);
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_EQ(AppendFile(dir.file("no-target"), target, nullptr, &error), TAppendResult::Failed);
  EXPECT_FALSE(fs::exists(dir.file("no-target")));
  EXPECT_EQ(FormFixture::ReadFile(target), "kept");
}

TEST(AppendFile, AStopBetweenChunksCutsTheTargetBack) {
  test::TempDir dir;
  const std::string target = FormFixture::WriteFile(dir.file("target"), "kept");
  const std::string source =
      FormFixture::WriteFile(dir.file("source"), Bytes(kAppendChunkBytes * 4, 's'));
  TAppendControl control;
  control.RequestStop();
  EXPECT_EQ(AppendFile(target, source, &control), TAppendResult::Stopped);
  EXPECT_EQ(FormFixture::ReadFile(target), "kept");
  // A paused append goes on once it is resumed.
  control.Reset();
  control.SetPaused(true);
  TAppendResult result = TAppendResult::Failed;
  std::thread append([&] { result = AppendFile(target, source, &control); });
  control.SetPaused(false);
  append.join();
  EXPECT_EQ(result, TAppendResult::Appended);
  EXPECT_EQ(fs::file_size(target), 4 + kAppendChunkBytes * 4);
}

}  // namespace
}  // namespace velmora
