#include "protocol/command_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "protocol/checksum.h"

namespace nimbel {
namespace {

TEST(CommandReportTest, RequestStartsAsZerosWithIdAndCommand) {
  const CommandReport request = CommandReport::Request(0x1A);
  std::array<std::uint8_t, 64> expected{};
  expected[0] = 4;
  expected[3] = 0x1A;
  EXPECT_TRUE(std::ranges::equal(request.Bytes(), expected));
}

TEST(CommandReportTest, FieldsSitAtTheirBytesLittleEndian) {
  CommandReport report = CommandReport::Request(0x06);
  report.SetLength(56);
  report.SetOffset(0x0518);
  report.Data()[0] = 0x11;
  report.Data()[55] = 0x22;
  report.FinishSum();

  const auto bytes = report.Bytes();
  EXPECT_EQ(bytes[4], 56);
  EXPECT_EQ(bytes[5], 0x18);
  EXPECT_EQ(bytes[6], 0x05);
  EXPECT_EQ(bytes[8], 0x11);
  EXPECT_EQ(bytes[63], 0x22);
  const std::uint16_t sum = 0x06 + 56 + 0x18 + 0x05 + 0x11 + 0x22;
  EXPECT_EQ(bytes[1], sum & 0xFF);
  EXPECT_EQ(bytes[2], sum >> 8);
  EXPECT_EQ(report.Checksum(), CommandSum(report.Bytes()));
  EXPECT_EQ(report.Offset(), 0x0518);
}

TEST(CommandReportTest, FromBytesZeroFillsShortInputAndCutsLongInput) {
  const std::vector<std::uint8_t> shortInput{4, 1, 2, 3};
  const CommandReport fromShort = CommandReport::FromBytes(shortInput);
  EXPECT_EQ(fromShort.Command(), 3);
  EXPECT_TRUE(std::ranges::all_of(fromShort.Bytes().subspan(4), [](std::uint8_t b) { return b == 0; }));

  std::vector<std::uint8_t> longInput(80, 0x33);
  const CommandReport fromLong = CommandReport::FromBytes(longInput);
  EXPECT_TRUE(std::ranges::all_of(fromLong.Bytes(), [](std::uint8_t b) { return b == 0x33; }));
}

}  // namespace
}  // namespace nimbel
