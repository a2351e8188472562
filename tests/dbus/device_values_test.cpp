// The checks that keep a scripted value the mouse cannot take from reaching it.

#include "dbus/device_values.h"

#include <gtest/gtest.h>

namespace nimbel {
namespace {

struct DpiCase {
  const char* what;
  std::uint16_t sensorCode;
  DpiRange sliderRange;
  unsigned dpi;
  // The stage value, or -1 for a refusal.
  int expected;
};

class StageValueForDpiTest : public testing::TestWithParam<DpiCase> {};

TEST_P(StageValueForDpiTest, TakesWhatTheSensorHasAndRefusesTheRest) {
  const DpiCase& c = GetParam();
  const std::optional<MouseVariant> variant = MouseVariantForSensor(c.sensorCode);
  ASSERT_TRUE(variant.has_value());
  const Checked<int> value = StageValueForDpi(*variant, c.sliderRange, c.dpi);
  if (c.expected < 0) {
    ASSERT_TRUE(std::holds_alternative<std::string>(value)) << c.what;
    EXPECT_NE(std::get<std::string>(value).find(std::to_string(c.dpi)), std::string::npos);
  } else {
    ASSERT_TRUE(std::holds_alternative<int>(value)) << c.what << ": " << std::get<std::string>(value);
    EXPECT_EQ(std::get<int>(value), c.expected) << c.what;
  }
}

// The stepped sensor's table: step 0 is 230 DPI, step 1 420 DPI (SteppedShownDpi).
INSTANTIATE_TEST_SUITE_P(
    Variants, StageValueForDpiTest,
    testing::Values(
        DpiCase{"lowest", 0x3395, {50, 26000}, 50, 50}, DpiCase{"inside", 0x3395, {50, 26000}, 1800, 1800},
        DpiCase{"highest", 0x3395, {50, 26000}, 26000, 26000}, DpiCase{"below", 0x3395, {50, 26000}, 49, -1},
        DpiCase{"above", 0x3395, {50, 26000}, 26001, -1},
        DpiCase{"above the other sensor's", 0x3950, {50, 30000}, 30001, -1},
        DpiCase{"zero", 0x3950, {50, 30000}, 0, -1}, DpiCase{"first step", 0x3104, {0, 60}, 230, 0},
        DpiCase{"second step", 0x3104, {0, 60}, 420, 1}, DpiCase{"between steps", 0x3104, {0, 60}, 300, -1},
        DpiCase{"a step beyond the mouse's count", 0x3104, {0, 0}, 420, -1}));

TEST(StageValueForDpi, AStepShownForEveryStepIsTakenBackAsThatStep) {
  const MouseVariant stepped = *MouseVariantForSensor(0x3104);
  constexpr DpiRange kSteps{0, 80};
  for (int step = kSteps.minimum; step <= kSteps.maximum; ++step) {
    const Checked<int> value =
        StageValueForDpi(stepped, kSteps, static_cast<unsigned>(SteppedShownDpi(step)));
    ASSERT_TRUE(std::holds_alternative<int>(value)) << "step " << step;
    // Two steps may round to the same hundred; the first of them stands for it.
    EXPECT_EQ(SteppedShownDpi(std::get<int>(value)), SteppedShownDpi(step));
  }
}

TEST(StageValueForDpi, ARefusedStepNamesTheNearestOnes) {
  const Checked<int> value = StageValueForDpi(*MouseVariantForSensor(0x3104), {0, 60}, 300);
  ASSERT_TRUE(std::holds_alternative<std::string>(value));
  EXPECT_NE(std::get<std::string>(value).find("230 or 420"), std::string::npos)
      << std::get<std::string>(value);
}

TEST(PollingRates, EveryRateIsItsOptionAndOthersAreRefused) {
  for (std::size_t option = 0; option < kPollingRates.size(); ++option) {
    const Checked<int> checked = PollingOptionForRate(kPollingRates[option]);
    ASSERT_TRUE(std::holds_alternative<int>(checked));
    EXPECT_EQ(std::get<int>(checked), static_cast<int>(option));
    EXPECT_EQ(PollingRateOfOption(static_cast<int>(option)), kPollingRates[option]);
  }
  for (const unsigned hz : {0U, 100U, 333U, 8000U}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(PollingOptionForRate(hz))) << hz;
  }
  EXPECT_EQ(PollingRateOfOption(-1), 0U);
  EXPECT_EQ(PollingRateOfOption(6), 0U);
}

struct ColourCase {
  const char* text;
  std::optional<Rgb> expected;
};

class ParseColourTest : public testing::TestWithParam<ColourCase> {};

TEST_P(ParseColourTest, ReadsHashAndSixHexDigitsOnly) {
  const Checked<Rgb> colour = ParseColour(GetParam().text);
  if (!GetParam().expected) {
    EXPECT_TRUE(std::holds_alternative<std::string>(colour)) << GetParam().text;
    return;
  }
  ASSERT_TRUE(std::holds_alternative<Rgb>(colour)) << GetParam().text;
  EXPECT_EQ(std::get<Rgb>(colour), *GetParam().expected);
  EXPECT_EQ(ParseColour(ColourText(std::get<Rgb>(colour))), colour);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseColourTest,
                         testing::Values(ColourCase{"#ff8000", Rgb{0xFF, 0x80, 0x00}},
                                         ColourCase{"#A0b1C2", Rgb{0xA0, 0xB1, 0xC2}},
                                         ColourCase{"ff8000", std::nullopt},
                                         ColourCase{"#ff800", std::nullopt},
                                         ColourCase{"#ff80000", std::nullopt},
                                         ColourCase{"#gg8000", std::nullopt}, ColourCase{"", std::nullopt}));

TEST(FirmwareVersionText, ShowsBothBytesAsTheFirmwareNumbersThem) {
  EXPECT_EQ(FirmwareVersionText(0x0109), "1.09");
  EXPECT_EQ(FirmwareVersionText(0x0210), "2.10");
  EXPECT_EQ(FirmwareVersionText(0x0000), "0.00");
}

}  // namespace
}  // namespace nimbel
