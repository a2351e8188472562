#include "protocol/macro_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nimbel {
namespace {

// Macro 5 (left button pressed, released 300 ms later) is the first record and macro 2 (a key press)
// the second, in the order the keys first use them.
const std::vector<MacroRecord> kTwoMacros = {
    {{.delay = 300, .type = 1, .down = true, .button = 0x01},
     {.delay = 0, .type = 1, .down = false, .button = 0x01}},
    {{.delay = 0x1234, .type = 10, .down = true, .button = 0x04}},
};

TEST(MacroImageTest, LaysOutHeaderOffsetsAndRecords) {
  // clang-format off
  const std::vector<std::uint8_t> expected = {
      0xAA, 0x55, 40, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // magic, length, count, unset bytes
      20, 0, 32, 0,                                           // record offsets
      2, 0, 0, 0, 0x2C, 0x01, 0x81, 0x01, 0, 0, 0x01, 0x01,   // macro 5
      1, 0, 0, 0, 0x34, 0x12, 0x8A, 0x04,                     // macro 2
  };
  // clang-format on
  EXPECT_EQ(MacroImageLength(kTwoMacros), expected.size());
  EXPECT_EQ(BuildMacroImage(kTwoMacros), expected);
}

TEST(MacroImageTest, LengthIsHeaderOffsetsRecordHeadersAndEvents) {
  struct Case {
    std::vector<std::size_t> eventCounts;
    std::size_t length;
  };
  const Case cases[] = {
      {{}, 16},
      {{0}, 16 + 2 + 4},
      {{30}, 16 + 2 + 4 + 120},
      {{3, 0, 7}, 16 + 6 + 12 + 40},
  };
  for (const Case& c : cases) {
    std::vector<MacroRecord> records;
    for (std::size_t count : c.eventCounts) records.emplace_back(count);
    EXPECT_EQ(MacroImageLength(records), c.length);
    const auto image = BuildMacroImage(records);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), c.length);
    EXPECT_EQ(DecodeMacroImage(*image), records);
  }
}

TEST(MacroImageTest, RefusesAnImageBeyondTheLengthField) {
  // 16 + 2 + 4 + 4 * 16378 = 65534 fits; one more event would not.
  std::vector<MacroRecord> records = {MacroRecord(16378)};
  EXPECT_TRUE(BuildMacroImage(records).has_value());
  records[0].emplace_back();
  EXPECT_EQ(MacroImageLength(records), 65538u);
  EXPECT_FALSE(BuildMacroImage(records).has_value());
  // The count alone: 65536 empty records.
  EXPECT_FALSE(BuildMacroImage(std::vector<MacroRecord>(65536)).has_value());
}

TEST(MacroImageTest, DecodesWhatItBuilds) {
  const auto image = BuildMacroImage(kTwoMacros);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(DecodeMacroImage(*image), kTwoMacros);
  // Bytes after the stated length are not part of the image.
  std::vector<std::uint8_t> padded = *image;
  padded.resize(padded.size() + 8, 0xFF);
  EXPECT_EQ(DecodeMacroImage(padded), kTwoMacros);
}

TEST(MacroImageTest, RefusesMalformedImages) {
  const std::vector<std::uint8_t> good = *BuildMacroImage(kTwoMacros);
  struct Case {
    std::string name;
    std::size_t offset;
    std::uint8_t value;
  };
  const Case cases[] = {
      {"wrong magic", 0, 0xAB},
      {"length beyond the bytes", 2, 41},
      {"length shorter than the offset table", 2, 19},
      {"count beyond the length", 4, 200},
      {"offset into the header", 16, 4},
      {"offset into the offset table", 16, 18},
      {"offset beyond the length", 18, 38},
      {"events beyond the length", 32, 2},
      {"records sharing bytes", 18, 28},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image = good;
    image[c.offset] = c.value;
    EXPECT_FALSE(DecodeMacroImage(image).has_value()) << c.name;
  }
  EXPECT_FALSE(DecodeMacroImage(std::span(good).first(15)).has_value()) << "shorter than the header";
  EXPECT_FALSE(DecodeMacroImage(std::span(good).first(39)).has_value()) << "cut short";
}

}  // namespace
}  // namespace nimbel
