// Number parsing of option values, the open-error texts, media type names and
// time values.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/NumberText.h"
#include "engine/OptionTexts.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegHeaders.h"
#include "libav/LibraryTexts.h"
#include "support/TestSupport.h"

namespace velmora {
namespace {

TEST(NumberTextTest, IntegersAreDecimalWithinRange) {
  const std::pair<const char *, std::optional<int>> cases[] = {
      {"12", 12},
      {" +7 ", 7},
      {"-2147483648", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"2147483648", {}},
      {"-2147483649", {}},
      {"0x10", {}},
      {"1e3", {}},
      {"12a", {}},
      {"", {}},
      {"-", {}},
      {"1 2", {}},
  };
  for (const auto &[text, expected] : cases) {
    int value = -99;
    EXPECT_EQ(TryTextToInt(text, value), expected.has_value()) << text;
    if (expected) {
      EXPECT_EQ(value, *expected) << text;
    }
  }
  std::int64_t big = 0;
  EXPECT_TRUE(TryTextToInt64("-9223372036854775808", big));
  EXPECT_EQ(big, INT64_MIN);
  EXPECT_FALSE(TryTextToInt64("9223372036854775808", big));
}

TEST(NumberTextTest, FloatsAreDecimalWithAPoint) {
  const std::pair<const char *, std::optional<double>> cases[] = {
      {"1.5", 1.5}, {" .5", 0.5}, {"5.", 5.0}, {"-2e3", -2000.0}, {"+1E-2", 0.01},
      {"1,5", {}},  {"inf", {}},  {"nan", {}}, {"0x1p3", {}},     {"", {}},
      {".", {}},    {"e5", {}},   {"1e", {}},  {"1e999", {}},     {"1.5x", {}},
  };
  for (const auto &[text, expected] : cases) {
    double value = -99;
    EXPECT_EQ(TryTextToFloat(text, value), expected.has_value()) << text;
    if (expected) {
      EXPECT_DOUBLE_EQ(value, *expected) << text;
    }
  }
}

TEST(NumberTextTest, RefusalsCarryTheTextAsGiven) {
  try {
    TextToInt(" 1x");
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "' 1x' is not a valid integer value");
  }
  try {
    TextToSingle("1e39");  // beyond the Single range
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "'1e39' is not a valid floating point value");
  }
}

// A locale whose decimal point is ",", compiled into a temporary folder.
TEST(NumberTextTest, DecimalPointDoesNotFollowTheLocale) {
  test::TempDir folder;
  if (test::RunProgram({"localedef", "-i", "de_DE", "-f", "UTF-8", folder.file("de_DE.UTF-8")}) !=
      0)
    GTEST_SKIP() << "localedef cannot make a de_DE locale here";
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  setenv("LOCPATH", folder.path().c_str(), 1);
  const bool switched = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  char *end = nullptr;
  const double plain = std::strtod("1.5", &end);  // the process locale stops at "."
  double point = 0;
  double comma = 0;
  const bool pointRead = TryTextToFloat("1.5", point);
  const bool commaRead = TryTextToFloat("1,5", comma);
  std::setlocale(LC_ALL, saved.c_str());
  unsetenv("LOCPATH");

  ASSERT_TRUE(switched);
  ASSERT_EQ(plain, 1.0);
  EXPECT_TRUE(pointRead);
  EXPECT_EQ(point, 1.5);
  EXPECT_FALSE(commaRead);
}

TEST(OptionTextsTest, OpenErrorTextByMeaningOfTheCode) {
  const std::pair<int, std::string> cases[] = {
      {AVERROR_INVALIDDATA, "in.x: Unknown format"},
      {AVERROR_DEMUXER_NOT_FOUND, "in.x: Unknown format"},
      {AVERROR(EILSEQ), "in.x: Unknown format"},
      {AVERROR(EDOM),
       "in.x: Incorrect image filename syntax.\r\nUse '%d' to specify the image number:\r\n"
       "  for img1.jpg, img2.jpg, ..., use 'img%d.jpg';\r\n"
       "  for img001.jpg, img002.jpg, ..., use 'img%03d.jpg'."},
      {-22, "in.x: Error while parsing header"},
      {-12, "in.x: memory allocation error occurred"},
      {-5,
       "in.x: I/O error occurred\r\nUsually that means that input file is truncated and/or "
       "corrupted."},
      {-2, "in.x: no such file or directory"},
      {-11, "in.x: Error while opening file"},
      {-42, "in.x: Error while opening file"},
      {0, "in.x: Error while opening file"},
  };
  for (const auto &[code, text] : cases) EXPECT_EQ(OpenErrorText("in.x", code), text) << code;
}

TEST(OptionTextsTest, MediaTypeNames) {
  const std::pair<int, const char *> cases[] = {{-1, "Unknown"}, {0, "Video"},    {1, "Audio"},
                                                {2, "Data"},     {3, "Subtitle"}, {4, "Attachment"},
                                                {5, "Unknown"}};
  for (const auto &[type, name] : cases) EXPECT_EQ(MediaTypeName(type), name) << type;
}

TEST(OptionTextsTest, TimeValues) {
  test::LoadSystemLibraries();
  EXPECT_EQ(ParseTimeValue("ss", "01:02:03.5", true), 3723500000);
  EXPECT_EQ(ParseTimeValue("ss", "90", true), 90000000);
  EXPECT_EQ(ParseTimeValue("itsoffset", "-1", true), -1000000);
  EXPECT_EQ(ParseTimeValue("timestamp", "2000-01-01 00:00:00Z", false), 946684800000000);
  try {
    ParseTimeValue("ss", "later", true);
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Invalid duration specification for ss: later");
  }
  try {
    ParseTimeValue("timestamp", "1:00", false);  // a duration is no date
    ADD_FAILURE() << "no error";
  } catch (const FFmpegException &e) {
    EXPECT_STREQ(e.what(), "Invalid date specification for timestamp: 1:00");
  }
}

}  // namespace
}  // namespace velmora
