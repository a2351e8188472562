#include "hid/report_descriptor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fixtures/descriptors/report_descriptors.h"

namespace nimbel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr auto kInput = HidReportType::Input;
constexpr auto kOutput = HidReportType::Output;
constexpr auto kFeature = HidReportType::Feature;
constexpr std::size_t kIn = 0;
constexpr std::size_t kOut = 1;

constexpr std::uint16_t kGenericDesktop = 0x01;
constexpr std::uint16_t kKeyboardPage = 0x07;
constexpr std::uint16_t kLedPage = 0x08;
constexpr std::uint16_t kButtonPage = 0x09;
constexpr std::uint16_t kConsumerPage = 0x0C;
constexpr std::uint16_t kUsageX = 0x30;

HidDescriptorCaps MustParse(std::span<const std::uint8_t> bytes) {
  std::string error;
  auto caps = ParseReportDescriptor(bytes, &error);
  EXPECT_TRUE(caps.has_value()) << error;
  return caps.value_or(HidDescriptorCaps{});
}

// A one-collection descriptor around the given items.
std::vector<std::uint8_t> InCollection(std::initializer_list<std::uint8_t> items) {
  std::vector<std::uint8_t> bytes = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
  bytes.insert(bytes.end(), items);
  bytes.push_back(0xC0);
  return bytes;
}

TEST(ReportDescriptorTest, GamingMouseCollectionsInOrderWithTheirReports) {
  struct Expected {
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::uint8_t reportId;
    std::array<std::uint16_t, kHidReportTypeCount> lengths;
  };
  const Expected expected[] = {
      {kGenericDesktop, 0x02, 1, {7, 0, 0}},
      {kConsumerPage, 0x01, 2, {3, 0, 0}},
      {kGenericDesktop, 0x80, 3, {2, 0, 0}},
      {0xFF1C, 0x92, 4, {64, 64, 0}},
  };
  const auto caps = MustParse(fixtures::kGamingMouse);
  ASSERT_EQ(caps.collections.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    const auto& collection = caps.collections[i];
    EXPECT_EQ(collection.usagePage, expected[i].usagePage);
    EXPECT_EQ(collection.usage, expected[i].usage);
    EXPECT_THAT(collection.reportIds, ElementsAre(expected[i].reportId));
    EXPECT_EQ(collection.reportByteLength, expected[i].lengths);
    EXPECT_TRUE(collection.HasReportId(expected[i].reportId));
    EXPECT_FALSE(collection.HasReportId(static_cast<std::uint8_t>(expected[i].reportId + 1)));
  }
}

TEST(ReportDescriptorTest, MouseControlsSitAfterPaddingWithSignedRanges) {
  const auto mouse = MustParse(fixtures::kGamingMouse).collections.at(0);
  const auto& buttons = mouse.buttonCaps[kIn];
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].usageMin, 1);
  EXPECT_EQ(buttons[0].usageMax, 3);
  EXPECT_TRUE(buttons[0].isRange);
  EXPECT_EQ(buttons[0].bitOffset, 0u);
  EXPECT_EQ(buttons[0].reportCount, 3u);
  EXPECT_EQ(buttons[1].usageMin, 4);
  EXPECT_EQ(buttons[1].bitOffset, 3u);
  for (const auto& cap : buttons) {
    EXPECT_EQ(cap.usagePage, kButtonPage);
    EXPECT_EQ(cap.reportId, 1);
    EXPECT_FALSE(cap.isArray);
  }

  struct Value {
    std::uint16_t usage;
    std::uint32_t bitOffset;
    std::uint32_t bitSize;
    std::int32_t logicalMin;
    std::int32_t logicalMax;
  };
  const Value expected[] = {
      {0x30, 8, 16, -32767, 32767}, {0x31, 24, 16, -32767, 32767}, {0x38, 40, 8, -127, 127}};
  const auto& values = mouse.valueCaps[kIn];
  ASSERT_EQ(values.size(), std::size(expected));
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(values[i].usagePage, kGenericDesktop);
    EXPECT_FALSE(values[i].isRange);
    EXPECT_EQ(values[i].usageMin, expected[i].usage);
    EXPECT_EQ(values[i].usageMax, expected[i].usage);
    EXPECT_EQ(values[i].reportCount, 1u);
    EXPECT_EQ(values[i].bitOffset, expected[i].bitOffset);
    EXPECT_EQ(values[i].bitSize, expected[i].bitSize);
    EXPECT_EQ(values[i].logicalMin, expected[i].logicalMin);
    EXPECT_EQ(values[i].logicalMax, expected[i].logicalMax);
  }
}

TEST(ReportDescriptorTest, VendorCollectionIsOneValueArrayEachWay) {
  const auto vendor = MustParse(fixtures::kGamingMouse).collections.at(3);
  for (const auto& [type, usage] : {std::pair{kIn, 1}, std::pair{kOut, 2}}) {
    ASSERT_EQ(vendor.valueCaps[type].size(), 1u);
    const auto& cap = vendor.valueCaps[type][0];
    EXPECT_EQ(cap.usagePage, 0xFF1C);
    EXPECT_EQ(cap.usageMin, usage);
    EXPECT_EQ(cap.reportId, 4);
    EXPECT_EQ(cap.reportCount, 63u);
    EXPECT_EQ(cap.bitSize, 8u);
    EXPECT_EQ(cap.logicalMax, 255);
    EXPECT_TRUE(vendor.buttonCaps[type].empty());
  }
}

TEST(ReportDescriptorTest, BootKeyboardHasNoReportIdsButCountsTheIdByte) {
  const auto caps = MustParse(fixtures::kBootKeyboard);
  ASSERT_EQ(caps.collections.size(), 1u);
  const auto& keyboard = caps.collections[0];
  EXPECT_EQ(keyboard.usage, 0x06);
  EXPECT_TRUE(keyboard.reportIds.empty());
  EXPECT_EQ(keyboard.reportByteLength, (std::array<std::uint16_t, 3>{9, 2, 0}));

  ASSERT_EQ(keyboard.buttonCaps[kIn].size(), 2u);
  const auto& modifiers = keyboard.buttonCaps[kIn][0];
  EXPECT_FALSE(modifiers.isArray);
  EXPECT_EQ(modifiers.usageMin, 0xE0);
  EXPECT_EQ(modifiers.usageMax, 0xE7);
  const auto& keys = keyboard.buttonCaps[kIn][1];
  EXPECT_TRUE(keys.isArray);
  EXPECT_EQ(keys.usagePage, kKeyboardPage);
  EXPECT_EQ(keys.bitOffset, 16u);
  EXPECT_EQ(keys.reportCount, 6u);
  EXPECT_EQ(keys.logicalMin, 0);
  EXPECT_EQ(keys.logicalMax, 0x65);
  EXPECT_TRUE(keyboard.valueCaps[kIn].empty());

  ASSERT_EQ(keyboard.buttonCaps[kOut].size(), 1u);
  EXPECT_EQ(keyboard.buttonCaps[kOut][0].usagePage, kLedPage);
  EXPECT_EQ(keyboard.buttonCaps[kOut][0].usageMax, 5);

  EXPECT_EQ(MaxUsageListLength(keyboard, kInput, kKeyboardPage), 14u);
  EXPECT_EQ(MaxUsageListLength(keyboard, kInput, 0), 14u);
  EXPECT_EQ(MaxUsageListLength(keyboard, kOutput, kLedPage), 5u);
  EXPECT_EQ(MaxUsageListLength(keyboard, kOutput, kKeyboardPage), 0u);
  EXPECT_EQ(MaxUsageListLength(keyboard, kFeature, 0), 0u);
}

TEST(ReportDescriptorTest, UsageRangeValueCapCarriesItsRangeAndPhysicalBounds) {
  const auto mouse = MustParse(fixtures::kRangeAxesMouse).collections.at(0);
  ASSERT_EQ(mouse.valueCaps[kIn].size(), 1u);
  const auto& axes = mouse.valueCaps[kIn][0];
  EXPECT_TRUE(axes.isRange);
  EXPECT_EQ(axes.usageMin, 0x30);
  EXPECT_EQ(axes.usageMax, 0x32);
  EXPECT_EQ(axes.reportCount, 3u);
  EXPECT_EQ(axes.bitOffset, 8u);
  EXPECT_EQ(axes.physicalMin, -1274);
  EXPECT_EQ(axes.physicalMax, 1274);
}

// Logical maxima are unsigned unless the minimum is negative; minima are always signed.
TEST(ReportDescriptorTest, LogicalRangeSignFollowsTheMinimum) {
  struct Case {
    std::vector<std::uint8_t> rangeItems;
    std::int32_t min;
    std::int32_t max;
  };
  const Case cases[] = {
      {{0x15, 0x00, 0x25, 0xFF}, 0, 255},
      {{0x15, 0x81, 0x25, 0x7F}, -127, 127},
      {{0x15, 0xFF, 0x25, 0xFF}, -1, -1},
      {{0x15, 0x00, 0x26, 0xFF, 0xFF}, 0, 65535},
      {{0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F}, -32768, 32767},
      {{0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F}, INT32_MIN, INT32_MAX},
      {{0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0xFF}, 0, INT32_MAX},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01};
    bytes.insert(bytes.end(), c.rangeItems.begin(), c.rangeItems.end());
    for (std::uint8_t b : {0x09, 0x30, 0x75, 0x20, 0x95, 0x01, 0x81, 0x02, 0xC0}) bytes.push_back(b);
    const auto caps = MustParse(bytes);
    ASSERT_EQ(caps.collections.size(), 1u);
    ASSERT_EQ(caps.collections[0].valueCaps[kIn].size(), 1u);
    EXPECT_EQ(caps.collections[0].valueCaps[kIn][0].logicalMin, c.min);
    EXPECT_EQ(caps.collections[0].valueCaps[kIn][0].logicalMax, c.max);
  }
}

TEST(ReportDescriptorTest, UsagePagesResolveAtTheMainItemUnlessTheUsageCarriesOne) {
  const auto bytes = InCollection({
      0x05, 0x09, 0x09, 0x30,              // Usage Page (Button), Usage (0x30)
      0x05, 0x01,                          // Usage Page (Generic Desktop): applies to the usage above
      0x0B, 0x38, 0x02, 0x0C, 0x00,        // Usage (Consumer AC Pan), with its page
      0x15, 0x81, 0x25, 0x7F, 0x75, 0x08,  //
      0x95, 0x02, 0x81, 0x06,              // Input: two signed bytes
  });
  const auto collection = MustParse(bytes).collections.at(0);
  const auto& values = collection.valueCaps[kIn];
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].usagePage, kGenericDesktop);
  EXPECT_EQ(values[0].usageMin, kUsageX);
  EXPECT_EQ(values[1].usagePage, kConsumerPage);
  EXPECT_EQ(values[1].usageMin, 0x238);
  EXPECT_EQ(values[1].bitOffset, 8u);
}

TEST(ReportDescriptorTest, LongItemsAreSkippedAndPopRestoresGlobals) {
  const auto bytes = InCollection({
      0x75, 0x08, 0x95, 0x01,        // Report Size (8), Report Count (1)
      0xA4,                          // Push
      0x75, 0x10,                    // Report Size (16)
      0xFE, 0x02, 0xF0, 0x75, 0x20,  // a long item whose data looks like Report Size (32)
      0xB4,                          // Pop
      0x15, 0x00, 0x25, 0x7F, 0x09, 0x30, 0x81, 0x02,
  });
  const auto collection = MustParse(bytes).collections.at(0);
  ASSERT_EQ(collection.valueCaps[kIn].size(), 1u);
  EXPECT_EQ(collection.valueCaps[kIn][0].bitSize, 8u);
  EXPECT_EQ(collection.reportByteLength[kIn], 2);
}

// An array listing single usages maps consecutive indices to them, and its fields count once.
TEST(ReportDescriptorTest, ArrayOfListedUsagesSharesItsFields) {
  const auto bytes = InCollection({
      0x05,
      0x0C,
      0x09,
      0xE9,
      0x09,
      0xEA,
      0x09,
      0xE2,  // Volume Up, Volume Down, Mute
      0x15,
      0x01,
      0x25,
      0x03,
      0x75,
      0x08,
      0x95,
      0x02,
      0x81,
      0x00,
  });
  const auto collection = MustParse(bytes).collections.at(0);
  const auto& caps = collection.buttonCaps[kIn];
  ASSERT_EQ(caps.size(), 3u);
  for (std::size_t i = 0; i < caps.size(); ++i) {
    EXPECT_TRUE(caps[i].isArray);
    EXPECT_EQ(caps[i].bitOffset, 0u);
    EXPECT_EQ(caps[i].logicalMin, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(caps[i].logicalMax, static_cast<std::int32_t>(i + 1));
  }
  EXPECT_EQ(MaxUsageListLength(collection, kInput, kConsumerPage), 2u);

  const std::uint8_t report[] = {0, 2, 3};
  std::array<std::uint16_t, 2> usages{};
  std::uint32_t count = 0;
  ASSERT_EQ(GetUsages(collection, kInput, kConsumerPage, report, usages, count), HidStatus::Success);
  EXPECT_THAT(std::span(usages).first(count), ElementsAre(0xEA, 0xE2));
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRejectedWithAReason) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases = {
      {"truncated one-byte item", {0x05}},
      {"truncated four-byte item", {0x05, 0x01, 0x27, 0xFF, 0xFF}},
      {"truncated long item", {0xFE, 0x05, 0x00, 0x01}},
      {"long item header cut", {0xFE, 0x05}},
      {"end collection without collection", {0xC0}},
      {"collection left open", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xA1, 0x00, 0xC0}},
      {"pop without push", {0xB4}},
      {"report id zero", InCollection({0x85, 0x00})},
      {"report id beyond a byte", InCollection({0x86, 0x00, 0x01})},
      {"one field over the report limit",
       InCollection({0x75, 0xFF, 0x96, 0xFF, 0xFF, 0x09, 0x01, 0x81, 0x02})},
      {"report size times count overflowing 32 bits",
       InCollection({0x77, 0x00, 0x00, 0x01, 0x00, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x01})},
      {"usage maximum below minimum",
       InCollection({0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02})},
      {"nested delimiter", InCollection({0xA9, 0x01, 0xA9, 0x01})},
      {"main item inside a delimiter",
       InCollection({0xA9, 0x01, 0x09, 0x30, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02})},
      {"unnumbered report before numbered ones",
       InCollection({0x75, 0x08, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02})},
  };
  // Padding items each within the limit that together make one report too long.
  std::vector<std::uint8_t> longReport = {0xA1, 0x01, 0x75, 0x08, 0x96, 0x00, 0x04};
  for (int i = 0; i < 9; ++i) longReport.insert(longReport.end(), {0x81, 0x01});
  longReport.push_back(0xC0);
  cases.push_back({"padding adding up past the report limit", longReport});
  std::vector<std::uint8_t> deep;
  for (int i = 0; i < 64; ++i) deep.insert(deep.end(), {0xA1, 0x00});
  for (int i = 0; i < 64; ++i) deep.push_back(0xC0);
  cases.push_back({"collections nested too deep", deep});
  cases.push_back({"global stack overflow", std::vector<std::uint8_t>(64, 0xA4)});
  // Many small data items: each is cheap, together they would make huge data lists.
  std::vector<std::uint8_t> manyControls = {0xA1, 0x01, 0x75, 0x01, 0x96, 0x00, 0x02, 0x09, 0x01};
  for (int i = 0; i < 256; ++i) {
    manyControls.insert(manyControls.end(),
                        {0x85, static_cast<std::uint8_t>(i % 255 + 1), 0x09, 0x01, 0x81, 0x02});
  }
  manyControls.push_back(0xC0);
  cases.push_back({"too many controls", manyControls});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_FALSE(ParseReportDescriptor(c.bytes, &error).has_value());
    EXPECT_FALSE(error.empty());
  }
}

TEST(ReportDescriptorTest, EmptyDescriptorHasNoCollections) {
  const auto caps = MustParse({});
  EXPECT_TRUE(caps.collections.empty());
}

class KeyboardDecodeTest : public ::testing::Test {
 protected:
  HidCollectionCaps keyboard_ = MustParse(fixtures::kBootKeyboard).collections.at(0);
};

TEST_F(KeyboardDecodeTest, PressedModifiersThenKeysInControlOrder) {
  // Left Shift and Right Shift, then 'a' and 'b' in the key array.
  const std::uint8_t report[] = {0x00, 0x22, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x00};
  std::array<std::uint16_t, 14> usages{};
  std::uint32_t count = 0;
  ASSERT_EQ(GetUsages(keyboard_, kInput, kKeyboardPage, report, usages, count), HidStatus::Success);
  EXPECT_THAT(std::span(usages).first(count), ElementsAre(0xE1, 0xE5, 0x04, 0x05));

  std::array<std::uint16_t, 3> small{};
  ASSERT_EQ(GetUsages(keyboard_, kInput, kKeyboardPage, report, small, count), HidStatus::BufferTooSmall);
  EXPECT_EQ(count, 3u);
  EXPECT_THAT(small, ElementsAre(0xE1, 0xE5, 0x04));
}

TEST_F(KeyboardDecodeTest, StatusTable) {
  const std::vector<std::uint8_t> full(9, 0);
  const std::vector<std::uint8_t> shortReport(8, 0);
  const std::vector<std::uint8_t> numbered = {0x01, 0, 0, 0, 0, 0, 0, 0, 0};
  struct Case {
    const char* name;
    HidReportType type;
    std::uint16_t page;
    const std::vector<std::uint8_t>* report;
    HidStatus status;
  };
  const std::vector<std::uint8_t> empty;
  const Case cases[] = {
      {"nothing pressed", kInput, kKeyboardPage, &full, HidStatus::Success},
      {"report one byte short", kInput, kKeyboardPage, &shortReport, HidStatus::InvalidReportLength},
      {"empty report", kInput, kKeyboardPage, &empty, HidStatus::InvalidReportLength},
      {"page without buttons", kInput, kConsumerPage, &full, HidStatus::UsageNotFound},
      {"report id the page is not in", kInput, kKeyboardPage, &numbered, HidStatus::IncompatibleReportId},
      {"type without controls", kFeature, kKeyboardPage, &full, HidStatus::UsageNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<std::uint16_t, 14> usages{};
    std::uint32_t count = 99;
    EXPECT_EQ(GetUsages(keyboard_, c.type, c.page, *c.report, usages, count), c.status);
    if (c.status == HidStatus::Success) {
      EXPECT_EQ(count, 0u);
    }
  }
}

class AxesDecodeTest : public ::testing::Test {
 protected:
  HidCollectionCaps mouse_ = MustParse(fixtures::kRangeAxesMouse).collections.at(0);
};

TEST_F(AxesDecodeTest, ScalesSignedLogicalValuesIntoThePhysicalRange) {
  struct Case {
    std::uint8_t raw;
    std::int32_t scaled;
  };
  const Case cases[] = {{0x81, -1274}, {0x7F, 1274}, {0x00, 0}, {0x0A, 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw);
    const std::uint8_t report[] = {0x00, 0x00, 0x00, c.raw, 0x00};
    std::uint32_t raw = 0;
    ASSERT_EQ(GetUsageValue(mouse_, kInput, kGenericDesktop, 0x31, report, raw), HidStatus::Success);
    EXPECT_EQ(raw, c.raw);
    std::int32_t scaled = 0;
    ASSERT_EQ(GetScaledUsageValue(mouse_, kInput, kGenericDesktop, 0x31, report, scaled), HidStatus::Success);
    EXPECT_EQ(scaled, c.scaled);
  }
}

TEST_F(AxesDecodeTest, ValueStatusTable) {
  const std::vector<std::uint8_t> outsideLogical = {0x00, 0x00, 0x80, 0x00, 0x00};
  const std::vector<std::uint8_t> shortReport = {0x00, 0x00, 0x00, 0x00};
  const std::vector<std::uint8_t> numbered = {0x02, 0x00, 0x00, 0x00, 0x00};
  struct Case {
    const char* name;
    std::uint16_t page;
    std::uint16_t usage;
    const std::vector<std::uint8_t>* report;
    HidStatus raw;
    HidStatus scaled;
  };
  const Case cases[] = {
      {"outside the logical range", kGenericDesktop, kUsageX, &outsideLogical, HidStatus::Success,
       HidStatus::NullValue},
      {"short report", kGenericDesktop, kUsageX, &shortReport, HidStatus::InvalidReportLength,
       HidStatus::InvalidReportLength},
      {"usage beyond the range", kGenericDesktop, 0x33, &outsideLogical, HidStatus::UsageNotFound,
       HidStatus::UsageNotFound},
      {"buttons are not values", kButtonPage, 1, &outsideLogical, HidStatus::UsageNotFound,
       HidStatus::UsageNotFound},
      {"other report id", kGenericDesktop, kUsageX, &numbered, HidStatus::IncompatibleReportId,
       HidStatus::IncompatibleReportId},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t raw = 7;
    std::int32_t scaled = 7;
    EXPECT_EQ(GetUsageValue(mouse_, kInput, c.page, c.usage, *c.report, raw), c.raw);
    EXPECT_EQ(GetScaledUsageValue(mouse_, kInput, c.page, c.usage, *c.report, scaled), c.scaled);
    EXPECT_EQ(scaled, 7) << "written only on success";
  }
}

TEST(ScaledValueTest, EmptyLogicalRangeCannotBeScaled) {
  const auto bytes = InCollection({0x15, 0x05, 0x25, 0x05, 0x75, 0x08, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02});
  const auto collection = MustParse(bytes).collections.at(0);
  const std::uint8_t report[] = {0x00, 0x05};
  std::int32_t scaled = 0;
  EXPECT_EQ(GetScaledUsageValue(collection, kInput, kGenericDesktop, kUsageX, report, scaled),
            HidStatus::BadLogPhyValues);
  std::uint32_t raw = 0;
  EXPECT_EQ(GetUsageValue(collection, kInput, kGenericDesktop, kUsageX, report, raw), HidStatus::Success);
  EXPECT_EQ(raw, 5u);
}

// Full 32-bit ranges on both sides: the scaling must not overflow on the way.
TEST(ScaledValueTest, WidestRangesScaleWithoutOverflow) {
  const auto bytes = InCollection({
      0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F,  // logical INT32_MIN..INT32_MAX
      0x37, 0x00, 0x00, 0x00, 0x80, 0x47, 0xFF, 0xFF, 0xFF, 0x7F,  // physical the same
      0x75, 0x20, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02,
  });
  const auto collection = MustParse(bytes).collections.at(0);
  struct Case {
    std::uint32_t raw;
    std::int32_t scaled;
  };
  const Case cases[] = {
      {0x80000000u, INT32_MIN}, {0x7FFFFFFFu, INT32_MAX}, {0xFFFFFFFFu, -1}, {0x00000001u, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw);
    const std::uint8_t report[] = {
        0x00, static_cast<std::uint8_t>(c.raw), static_cast<std::uint8_t>(c.raw >> 8),
        static_cast<std::uint8_t>(c.raw >> 16), static_cast<std::uint8_t>(c.raw >> 24)};
    std::int32_t scaled = 0;
    ASSERT_EQ(GetScaledUsageValue(collection, kInput, kGenericDesktop, kUsageX, report, scaled),
              HidStatus::Success);
    EXPECT_EQ(scaled, c.scaled);
  }
}

}  // namespace
}  // namespace nimbel
