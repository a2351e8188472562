#include "profiles/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string_view>

namespace nimbel {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
  const std::u16string wide = u"Profile ä € 中文 \U0001F3AE end";
  const std::string narrow = "Profile \xC3\xA4 \xE2\x82\xAC \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x8E\xAE end";
  EXPECT_EQ(ToUtf8(wide), narrow);
  EXPECT_EQ(FromUtf8(narrow), wide);
}

TEST(Utf, MalformedUtf8BecomesOneReplacementPerBadSequence) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string expected;
  } cases[] = {
      {"stray continuation", "a\x80z", u"a\uFFFDz"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"cut-off at end", "x\xE2\x82", u"x\uFFFD"},
      {"cut-off before ASCII", "\xF0\x9F\x8Ez", u"\uFFFDz"},
      {"invalid lead", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(FromUtf8(c.bytes), c.expected) << c.name;
}

TEST(Utf, UnpairedSurrogatesBecomeReplacement) {
  const char16_t lowFirst[] = {0xDC00, u'a', 0};
  const char16_t highLast[] = {u'a', 0xD800, 0};
  EXPECT_EQ(ToUtf8(lowFirst),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(ToUtf8(highLast), "a\xEF\xBF\xBD");
}

TEST(IsBlank, OnlyWhiteSpaceIsBlank) {
  const struct {
    const char* text;
    bool blank;
  } cases[] = {
      {"", true},         {" \t\r\n", true}, {"\xE3\x80\x80", true},  // ideographic space
      {"\xC2\xA0", true}, {" a ", false},    {"\xE4\xB8\xAD", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsBlank(c.text), c.blank) << '"' << c.text << '"';
}

TEST(SplitIndexedName, SplitsAtTheLastUnderscore) {
  const struct {
    const char* name;
    const char* prefix;
    int number;
  } cases[] = {
      {"DPI_slider_3", "DPI_slider_", 3},
      {"color_option_12", "color_option_", 12},
      {"key_007", "key_", 7},
      {"key_2147483647", "key_", 2147483647},
  };
  for (const auto& c : cases) {
    const auto split = SplitIndexedName(c.name);
    ASSERT_TRUE(split.has_value()) << c.name;
    EXPECT_EQ(split->prefix, c.prefix) << c.name;
    EXPECT_EQ(split->number, c.number) << c.name;
  }
}

TEST(SplitIndexedName, ANameWithoutDigitsAfterItsLastUnderscoreCarriesNoIndex) {
  for (const char* name : {"nounderscore", "device_add_btn", "name_", "key_-2", "key_+2", "key_2x", "key_ 2",
                           "key_2147483648"}) {
    EXPECT_FALSE(SplitIndexedName(name).has_value()) << name;
  }
}

TEST(MakeTimeStampId, HasTheIdLayout) {
  // year_month_day_hour_minute_second_millisecond, fixed widths after the year.
  constexpr std::string_view kLayout = "dddd_dd_dd_dd_dd_dd_ddd";
  const std::string id = MakeTimeStampId();
  ASSERT_EQ(id.size(), kLayout.size()) << id;
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (kLayout[i] == 'd') {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(id[i]))) << id;
    } else {
      EXPECT_EQ(id[i], '_') << id;
    }
  }
  const int month = std::stoi(id.substr(5, 2));
  EXPECT_TRUE(month >= 1 && month <= 12) << id;
}

TEST(IsTimeStampId, TakesOnlyTheIdFormAndItsNumberSuffixes) {
  EXPECT_TRUE(IsTimeStampId(MakeTimeStampId()));
  for (const char* id :
       {"2026_12_11_09_30_00_000", "12026_01_02_03_04_05_006", "2026_12_11_09_30_00_000_2"}) {
    EXPECT_TRUE(IsTimeStampId(id)) << id;
  }
  for (const char* id :
       {"", "2026_12_11_09_30_00", "2026_12_11_09_30_00_00", "2026_1_11_09_30_00_000",
        "2026_12_11_09_30_00_000_", "../2026_12_11_09_30_00_000", "2026_12_11_09_30_00_000/x",
        "/tmp/2026_12_11_09_30_00_000", "2026_12_11_09_30_00_000_x", "a026_12_11_09_30_00_000",
        "2026_12_11_09_30_00_000_2_13"}) {
    EXPECT_FALSE(IsTimeStampId(id)) << id;
  }
}

}  // namespace
}  // namespace nimbel
