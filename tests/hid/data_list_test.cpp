#include "hid/data_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/fixtures/descriptors/report_descriptors.h"

namespace nimbel {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

constexpr auto kInput = HidReportType::Input;
constexpr auto kOutput = HidReportType::Output;
constexpr std::uint16_t kGenericDesktop = 0x01;
constexpr std::uint16_t kLedPage = 0x08;
constexpr std::uint16_t kButtonPage = 0x09;

HidCollectionCaps Collection(std::span<const std::uint8_t> descriptor, std::size_t index) {
  const auto caps = ParseReportDescriptor(descriptor);
  EXPECT_TRUE(caps.has_value());
  return caps && index < caps->collections.size() ? caps->collections[index] : HidCollectionCaps{};
}

// What a decode may change in an entry, for comparing before and after.
auto Decoded(const HidDataItem& item) {
  return std::tuple(item.status, item.isSet, item.usages, item.rawValue, item.scaledValue);
}

TEST(DataListTest, UsageRangeValueGivesOneEntryPerUsageAscending) {
  const auto mouse = Collection(fixtures::kRangeAxesMouse, 0);
  const auto list = BuildDataList(mouse, kInput);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_TRUE(list[0].isButton);
  EXPECT_EQ(list[0].usagePage, kButtonPage);
  EXPECT_EQ(list[0].usageMin, 1u);
  EXPECT_EQ(list[0].usageMax, 3u);
  EXPECT_EQ(list[0].maxUsageListLength, 3u);
  EXPECT_THAT(list[0].usages, ElementsAre(0, 0, 0));
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_FALSE(list[i].isButton);
    EXPECT_EQ(list[i].usagePage, kGenericDesktop);
    EXPECT_EQ(list[i].usage, 0x30 + i - 1);
    EXPECT_EQ(list[i].status, HidStatus::Success);
    EXPECT_FALSE(list[i].isSet);
  }
  EXPECT_TRUE(BuildDataList(mouse, kOutput).empty());
}

TEST(DataListTest, EntriesCarryTheirReportIds) {
  const auto vendor = Collection(fixtures::kGamingMouse, 3);
  for (const auto type : {kInput, kOutput}) {
    const auto list = BuildDataList(vendor, type);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].reportId, 4u);
    EXPECT_EQ(list[0].usagePage, 0xFF1C);
  }
}

// Both keyboard groups are on the keyboard page, so each decode finds the other's usages too; each
// entry keeps only its own, followed by a 0.
TEST(UnpackReportTest, ButtonGroupsKeepOnlyTheirOwnUsages) {
  const auto keyboard = Collection(fixtures::kBootKeyboard, 0);
  auto list = BuildDataList(keyboard, kInput);
  ASSERT_EQ(list.size(), 2u);
  ASSERT_EQ(list[0].maxUsageListLength, 14u);

  const std::uint8_t report[] = {0x00, 0x02, 0x00, 0x04, 0xE0, 0x00, 0x00, 0x00, 0x00};
  ASSERT_TRUE(UnpackReport(keyboard, report, kInput, list));
  EXPECT_THAT(list[0].usages, ElementsAre(0xE1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_THAT(list[1].usages, ElementsAre(0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  for (const auto& item : list) {
    EXPECT_TRUE(item.isSet);
    EXPECT_EQ(item.status, HidStatus::Success);
  }

  // Released: the lists empty out rather than keep the earlier presses.
  const std::uint8_t released[9] = {};
  ASSERT_TRUE(UnpackReport(keyboard, released, kInput, list));
  for (const auto& item : list) EXPECT_THAT(item.usages, Each(0));
}

TEST(UnpackReportTest, MouseButtonsAndSignedValues) {
  const auto mouse = Collection(fixtures::kGamingMouse, 0);
  auto list = BuildDataList(mouse, kInput);
  ASSERT_EQ(list.size(), 5u);
  // Buttons 2 and 5; X = -5, Y = 300, wheel = -1.
  const std::uint8_t report[] = {0x01, 0x12, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
  ASSERT_TRUE(UnpackReport(mouse, report, kInput, list));
  EXPECT_THAT(list[0].usages, ElementsAre(2, 0, 0, 0, 0));
  EXPECT_THAT(list[1].usages, ElementsAre(5, 0, 0, 0, 0));

  struct Value {
    std::uint16_t usage;
    std::uint32_t raw;
    std::int32_t scaled;
  };
  const Value expected[] = {{0x30, 0xFFFB, -5}, {0x31, 300, 300}, {0x38, 0xFF, -1}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto& item = list[2 + i];
    SCOPED_TRACE(item.usage);
    EXPECT_EQ(item.usage, expected[i].usage);
    EXPECT_EQ(item.rawValue, expected[i].raw);
    EXPECT_EQ(item.scaledValue, expected[i].scaled);
    EXPECT_EQ(item.status, HidStatus::Success);
    EXPECT_TRUE(item.isSet);
  }
}

TEST(UnpackReportTest, ReportOfAnotherIdLeavesEveryEntryAsItWas) {
  const auto mouse = Collection(fixtures::kGamingMouse, 0);
  auto list = BuildDataList(mouse, kInput);
  const std::uint8_t pressed[] = {0x01, 0x01, 0x01, 0x00, 0x02, 0x00, 0x03};
  ASSERT_TRUE(UnpackReport(mouse, pressed, kInput, list));
  std::vector<decltype(Decoded(list[0]))> before;
  for (const auto& item : list) before.push_back(Decoded(item));

  const std::uint8_t otherReport[] = {0x02, 0xE9, 0x00, 0x00, 0x00, 0x00, 0x00};
  ASSERT_TRUE(UnpackReport(mouse, otherReport, kInput, list));
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(Decoded(list[i]), before[i]) << i;
}

TEST(UnpackReportTest, ShortReportStopsAtTheFirstValueAndClearsButtons) {
  const auto mouse = Collection(fixtures::kGamingMouse, 0);
  auto list = BuildDataList(mouse, kInput);
  const std::uint8_t pressed[] = {0x01, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00};
  ASSERT_TRUE(UnpackReport(mouse, pressed, kInput, list));

  const std::uint8_t cut[] = {0x01, 0x1F, 0x00};
  EXPECT_FALSE(UnpackReport(mouse, cut, kInput, list));
  for (const std::size_t button : {0, 1}) {
    EXPECT_EQ(list[button].status, HidStatus::InvalidReportLength);
    EXPECT_THAT(list[button].usages, Each(0));
  }
  EXPECT_EQ(list[2].status, HidStatus::InvalidReportLength);
  // The decode ended at X: Y was decoded by the earlier report and keeps its result.
  EXPECT_EQ(list[3].status, HidStatus::Success);

  EXPECT_FALSE(UnpackReport(mouse, {}, kInput, list));
}

TEST(UnpackReportTest, FreshListStopsAtAValueItCannotRead) {
  const auto mouse = Collection(fixtures::kGamingMouse, 0);
  auto list = BuildDataList(mouse, kInput);
  const std::uint8_t cut[] = {0x01, 0x02};
  EXPECT_FALSE(UnpackReport(mouse, cut, kInput, list));
  EXPECT_TRUE(list[0].isSet);
  EXPECT_FALSE(list[2].isSet);
  EXPECT_FALSE(list[3].isSet);
  EXPECT_FALSE(list[4].isSet);
}

// The notification collection: one 16-bit consumer array, the list exactly one usage long.
TEST(UnpackReportTest, ConsumerArrayFillsAListWithoutRoomForTheEnd) {
  const auto consumer = Collection(fixtures::kGamingMouse, 1);
  auto list = BuildDataList(consumer, kInput);
  ASSERT_EQ(list.size(), 1u);
  ASSERT_EQ(list[0].maxUsageListLength, 1u);

  struct Case {
    std::array<std::uint8_t, 3> report;
    std::uint16_t usage;
  };
  const Case cases[] = {{{0x02, 0xE9, 0x00}, 0xE9},
                        {{0x02, 0x3C, 0x02}, 0x23C},
                        {{0x02, 0x00, 0x00}, 0},
                        {{0x02, 0x3D, 0x02}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.usage);
    ASSERT_TRUE(UnpackReport(consumer, c.report, kInput, list));
    EXPECT_EQ(list[0].status, HidStatus::Success);
    EXPECT_THAT(list[0].usages, ElementsAre(c.usage));
  }
}

TEST(UnpackReportTest, KeyboardWithoutReportIdsMatchesIdZero) {
  const auto keyboard = Collection(fixtures::kBootKeyboard, 0);
  auto leds = BuildDataList(keyboard, kOutput);
  ASSERT_EQ(leds.size(), 1u);
  const std::uint8_t report[] = {0x00, 0x05};  // Num Lock and Scroll Lock
  ASSERT_TRUE(UnpackReport(keyboard, report, kOutput, leds));
  EXPECT_THAT(leds[0].usages, ElementsAre(1, 3, 0, 0, 0));
  EXPECT_EQ(leds[0].usagePage, kLedPage);
}

}  // namespace
}  // namespace nimbel
