#include "platform/trace.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <string>
#include <vector>

namespace nimbel {
namespace {

TEST(TraceDump, GroupsOfFourWithThreeThenTwoSpaces) {
  std::array<std::uint8_t, 32> bytes{};
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
  EXPECT_EQ(FormatTraceDumpLine(bytes),
            "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
            "18 19 1a 1b  1c 1d 1e 1f");
}

TEST(TraceDump, ShortInputIsZeroFilled) {
  const std::array<std::uint8_t, 2> bytes{0xab, 0xcd};
  EXPECT_EQ(FormatTraceDumpLine(bytes).substr(0, 14), "ab cd 00 00   ");
  EXPECT_EQ(FormatTraceDumpLine(bytes).size(), FormatTraceDumpLine(std::array<std::uint8_t, 32>{}).size());
}

TEST(Trace, CaptureReceivesLinesWithNewlinesAndTwoDumpLines) {
  std::vector<std::string> lines;
  {
    ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
    Trace("命令");
    std::array<std::uint8_t, 64> report{};
    report[32] = 0x02;
    TraceDump(report);
  }
  Trace("after the capture ended");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "命令\n");
  EXPECT_EQ(lines[1].substr(0, 5), "00 00");
  EXPECT_EQ(lines[2].substr(0, 5), "02 00");
}

}  // namespace
}  // namespace nimbel
