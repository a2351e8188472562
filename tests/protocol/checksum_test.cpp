#include "protocol/checksum.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>

namespace nimbel {
namespace {

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Crc16ModbusTest, MatchesTheCatalogueCheckValue) {
  EXPECT_EQ(Crc16Modbus(AsBytes("123456789")), 0x4B37);
}

TEST(Crc16ModbusTest, EmptyInputKeepsTheInitialValue) {
  EXPECT_EQ(Crc16Modbus({}), 0xFFFF);
}

TEST(CommandSumTest, AddsBytesThreeToSixtyThree) {
  struct Case {
    std::size_t index;
    std::uint8_t value;
    std::uint16_t sum;
  };
  // Bytes 0-2 hold the report id and the sum itself and are not covered.
  constexpr std::array cases{Case{0, 0x04, 0},    Case{1, 0xAB, 0},     Case{2, 0xCD, 0},
                             Case{3, 0x06, 0x06}, Case{32, 0x02, 0x02}, Case{63, 0xFF, 0xFF}};
  for (const Case& c : cases) {
    std::array<std::uint8_t, 64> report{};
    report[c.index] = c.value;
    EXPECT_EQ(CommandSum(report), c.sum) << "byte " << c.index;
  }
}

TEST(CommandSumTest, AccumulatesBeyondEightBits) {
  std::array<std::uint8_t, 64> report{};
  report.fill(0xFF);
  EXPECT_EQ(CommandSum(report), 61 * 0xFF);
}

TEST(LightFrameCrcTest, CoversBytesThreeToThirtyOneOnly) {
  std::array<std::uint8_t, 64> report{};
  for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<std::uint8_t>(i * 7);
  const std::uint16_t crc = LightFrameCrc(report);
  EXPECT_EQ(crc, Crc16Modbus(std::span(report).subspan(3, 29)));

  for (std::size_t outside : {0u, 1u, 2u, 32u, 63u}) {
    auto changed = report;
    changed[outside] ^= 0x5A;
    EXPECT_EQ(LightFrameCrc(changed), crc) << "byte " << outside;
  }
  for (std::size_t inside : {3u, 17u, 31u}) {
    auto changed = report;
    changed[inside] ^= 0x5A;
    EXPECT_NE(LightFrameCrc(changed), crc) << "byte " << inside;
  }
}

}  // namespace
}  // namespace nimbel
