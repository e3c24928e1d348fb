#include <gtest/gtest.h>

#include <string>

#include "ScopedLocale.h"
#include "libav/FFmpegException.h"
#include "media/UnicodeProtocol.h"

namespace velmora {
namespace {

using test::ScopedLocale;

const std::string kPrefix = "unicode:utf8:";

struct NameCase {
  std::string name;
  bool needsUrl;
};

// Checks the name's URL and that the URL gives the name back.
void ExpectUrlRoundTrip(const NameCase &c) {
  SCOPED_TRACE(c.name);
  EXPECT_EQ(NeedsUnicodeUrl(c.name), c.needsUrl);
  const std::string url = UrlForFileName(c.name);
  EXPECT_EQ(url, c.needsUrl ? kPrefix + c.name : c.name);
  EXPECT_EQ(IsUnicodeUrl(url), c.needsUrl);
  EXPECT_EQ(FileNameFromUrl(url), c.name);
}

TEST(UnicodeFileNames, UnderAnAsciiLocaleOnlyNamesThatLoseCharactersBecomeUrls) {
  ScopedLocale locale("C");
  const NameCase cases[] = {
      {"/home/user/Videos/clip 01.avi", false},
      {"C:\\Video_Directory\\clip.avi", false},
      {"/tmp/视频.avi", true},
      {"/tmp/a:b/视频:1.avi", true},
      {"C:\\视频\\片段:2:3.avi", true},
      {"/tmp/café.avi", true},
      {"/tmp/\xff\xfe.avi", true},  // not UTF-8 at all
      // URLs of the untouched protocols pass as they are, whatever they hold.
      {"http://例子.com/视频.avi", false},
      {"pipe:视频", false},
      {"udp://239.0.0.1:1234/视频", false},
      {"rtp://视频", false},
      {"tcp://视频", false},
      {"gopher://视频", false},
      {"stream:视频", false},
      // Only whole names of that list count, spelled exactly.
      {"https://例子.com/视频", true},
      {"file:/tmp/视频.avi", true},
      {"HTTP://视频", true},
      {"ttp:视频", true},
      {"xhttp:视频", true},
      {":视频", true},
  };
  for (const NameCase &c : cases) ExpectUrlRoundTrip(c);

  // A unicode URL is itself left alone, so building a URL twice is harmless.
  const std::string url = UrlForFileName("/tmp/视频.avi");
  EXPECT_FALSE(NeedsUnicodeUrl(url));
  EXPECT_EQ(UrlForFileName(url), url);
}

TEST(UnicodeFileNames, UnderAUtf8LocaleEveryValidNamePassesUnchanged) {
  ScopedLocale locale("C.UTF-8");
  const NameCase cases[] = {
      {"/tmp/视频.avi", false},
      {"/tmp/a:b/视频:1.avi", false},
      {"C:\\视频\\片段.avi", false},
      {"/tmp/\xe8\xa7.avi", true},  // a cut-off character
      {"/tmp/\xc0\xaf.avi", true},  // an overlong form of "/"
  };
  for (const NameCase &c : cases) ExpectUrlRoundTrip(c);
}

TEST(UnicodeFileNames, AUnicodeUrlNeedsTheFullPrefixAndANameAfterIt) {
  EXPECT_FALSE(IsUnicodeUrl(""));
  EXPECT_FALSE(IsUnicodeUrl("unicode:utf8:"));
  EXPECT_FALSE(IsUnicodeUrl("unicode:utf8"));
  EXPECT_FALSE(IsUnicodeUrl("Unicode:utf8:/a"));
  EXPECT_FALSE(IsUnicodeUrl("unicode:utf16:/a"));
  EXPECT_FALSE(IsUnicodeUrl(" unicode:utf8:/a"));
  EXPECT_TRUE(IsUnicodeUrl("unicode:utf8:a"));
  // The bare prefix is an ordinary name, given back as it is.
  EXPECT_EQ(FileNameFromUrl("unicode:utf8:"), "unicode:utf8:");
}

TEST(UnicodeFileNames, AUrlLongerThanTheLimitIsRefused) {
  ScopedLocale locale("C");
  const std::string chinese = "视";  // three bytes
  const std::size_t room = kMaxUrlLength - kPrefix.size();
  const struct {
    std::string name;
    bool fits;
  } cases[] = {
      {std::string(kMaxUrlLength, 'a'), true},
      {std::string(kMaxUrlLength + 1, 'a'), false},
      {std::string(room - chinese.size(), 'a') + chinese, true},
      {std::string(room - chinese.size() + 1, 'a') + chinese, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name.size());
    if (c.fits) {
      EXPECT_EQ(UrlForFileName(c.name).size(), kMaxUrlLength);
      continue;
    }
    try {
      UrlForFileName(c.name);
      ADD_FAILURE() << "a name of " << c.name.size() << " bytes was accepted";
    } catch (const FFmpegException &e) {
      EXPECT_EQ(std::string(e.what()), "File name too long: " + c.name);
    }
  }
}

}  // namespace
}  // namespace velmora
