#include "devices/mouse_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace nimbel {
namespace {

const MouseVariant kPrime = *MouseVariantForSensor(0x3395);
const MouseVariant kApex = *MouseVariantForSensor(0x3950);
const MouseVariant kStepped = *MouseVariantForSensor(0x3104);

TEST(MouseSettings, TypedDpiBecomesTheStageValueTheMouseHolds) {
  struct Case {
    const MouseVariant* variant;
    std::string_view typed;
    int value;
    int shown;
  };
  const std::array<Case, 20> cases{{
      {&kStepped, "50", 0, 230},
      {&kStepped, "400", 1, 420},
      {&kStepped, "800", 7, 800},
      {&kStepped, "3200", 60, 3200},
      {&kStepped, "8000", 103, 8000},
      {&kStepped, "30000", 113, 9500},
      {&kStepped, "", 0, 230},
      {&kStepped, "fast", 0, 230},
      {&kStepped, "350", 0, 230},
      {&kStepped, "351", 1, 420},
      {&kStepped, "2431", 49, 2400},
      {&kStepped, "2432", 50, 2400},
      {&kStepped, "4863", 81, 4800},
      {&kStepped, "4864", 82, 4800},
      {&kStepped, "99999999999999999999", 113, 9500},
      {&kPrime, "10", 50, 50},
      {&kPrime, "30000", 26000, 26000},
      {&kPrime, " 1234 ", 1234, 1234},
      {&kApex, "31000", 30000, 30000},
      {&kApex, "-5", 50, 50},
  }};
  for (const Case& c : cases) {
    const int value = StageValueFromText(*c.variant, c.typed);
    EXPECT_EQ(value, c.value) << c.variant->sensorCode << " '" << c.typed << "'";
    EXPECT_EQ(ShownDpi(*c.variant, value), c.shown) << c.variant->sensorCode << " '" << c.typed << "'";
  }
}

TEST(MouseSettings, SteppedSensorShowsEachStepRounded) {
  constexpr std::array<std::array<int, 2>, 8> kSteps{
      {{0, 230}, {1, 420}, {3, 600}, {4, 700}, {7, 800}, {28, 1600}, {60, 3200}, {113, 9500}}};
  for (const auto& [step, shown] : kSteps) EXPECT_EQ(SteppedShownDpi(step), shown) << step;
}

TEST(MouseSettings, VariantsBySensorCode) {
  EXPECT_EQ(kPrime.index, 0);
  EXPECT_EQ(kApex.index, 1);
  EXPECT_EQ(kStepped.index, 2);
  EXPECT_FALSE(MouseVariantForSensor(0x1234));
  EXPECT_EQ(StageSliderRange(kPrime, 0).maximum, 26000);
  EXPECT_EQ(StageSliderRange(kApex, 0).maximum, 30000);
  EXPECT_EQ(StageSliderRange(kStepped, 114).maximum, 113);
  EXPECT_EQ(StageSliderRange(kStepped, 114).minimum, 0);
}

TEST(MouseSettings, SleepCodesHaveNoCodeOutsideTheirTables) {
  EXPECT_EQ(SleepCodes().Encode(1), 6);
  EXPECT_EQ(SleepCodes().Encode(7), 60);
  EXPECT_FALSE(SleepCodes().Encode(0));
  EXPECT_FALSE(SleepCodes().Encode(8));
  EXPECT_EQ(SleepCodes().Decode(40), 6);
  EXPECT_FALSE(SleepCodes().Decode(7));
  EXPECT_EQ(DeepSleepCodes().Encode(4), 10);
  EXPECT_EQ(DeepSleepCodes().Decode(30), 7);
  EXPECT_FALSE(DeepSleepCodes().Decode(60));
}

TEST(MouseSettings, LightModeCodesComeFromTheFactoryLightFile) {
  const LightModeCodes codes = LightModeCodes::Load(NIMBEL_SOURCE_DIR "/DefaultData/default_light.json", 0);
  EXPECT_EQ(codes.Codes().size(), LightModeCodes::kCodedModes);
  EXPECT_TRUE(LightModeCodes::Load(NIMBEL_SOURCE_DIR "/DefaultData/missing.json", 0).Codes().empty());

  const LightModeCodes shifted({20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31});
  EXPECT_EQ(shifted.Encode(3), 23);
  // Modes without a code of their own are written as mode 0.
  EXPECT_EQ(shifted.Encode(12), 20);
  EXPECT_EQ(shifted.Decode(25), 5);
  // A code the table does not know reads back as itself.
  EXPECT_EQ(shifted.Decode(200), 200);
}

TEST(MouseSettings, EncodeFillsEveryFieldAndCarriesTheRest) {
  MouseSettingsBlock block;
  block.fill(0xEE);
  std::vector<DpiStage> stages{{1, 0, 0x1234, 0x5678, 1, 2, 3}, {0, 1, 800, 800, 4, 5, 6}};
  MouseSettingsContent content;
  content.stages = &stages;
  content.activeStage = 1;
  content.system.reportSelectItemUsb = 4;
  content.system.silentAltitudeItem = 1;
  content.system.motionSync = 1;
  content.system.linearCalibration = 0;
  content.system.dormancyTime = 7;
  content.system.dormancyTimeH = 0;  // no code: byte 80 stays as the mouse gave it
  content.light = {3, 2, 1, 1, 1, 10, 20, 30};
  const LightModeCodes codes({20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31});
  EncodeMouseSettings(block, content, codes, 0);

  constexpr std::array<std::uint8_t, 14> kHead{0, 23, 2, 3, 1, 1, 10, 20, 30, 0, 0xEE, 0xFF, 1, 1};
  EXPECT_TRUE(std::equal(kHead.begin(), kHead.end(), block.begin()));
  constexpr std::array<std::uint8_t, 18> kStages{1, 0, 0x34, 0x12, 0x78, 0x56, 1, 2, 3,
                                                 0, 1, 0x20, 0x03, 0x20, 0x03, 4, 5, 6};
  EXPECT_TRUE(std::equal(kStages.begin(), kStages.end(), block.begin() + 14));
  // Stages beyond the list and the bytes nobody interprets keep what the mouse gave.
  EXPECT_TRUE(std::all_of(block.begin() + 32, block.begin() + 79, [](std::uint8_t b) { return b == 0xEE; }));
  EXPECT_EQ(block[79], 60);
  EXPECT_EQ(block[80], 0xEE);
  EXPECT_EQ(block[81], 0xEE);
  EXPECT_EQ(block[82], 1);
  EXPECT_EQ(block[83], 0);
  EXPECT_EQ(block[84], 0xEE);

  // Without a variant no stage byte and no active stage is written.
  MouseSettingsBlock untouched;
  untouched.fill(0xEE);
  content.stages = nullptr;
  EncodeMouseSettings(untouched, content, codes, 0);
  EXPECT_EQ(untouched[12], 0xEE);
  EXPECT_TRUE(
      std::all_of(untouched.begin() + 14, untouched.begin() + 77, [](std::uint8_t b) { return b == 0xEE; }));

  // Decoding gives the values back, over the fields it cannot read.
  MouseSystemSettings current;
  current.dormancyTimeH = 5;
  LightInfo currentLight;
  currentLight.fx = 0;
  const DecodedMouseSettings decoded = DecodeMouseSettings(block, codes, current, currentLight);
  EXPECT_EQ(decoded.stages.size(), kMouseStageCount);
  EXPECT_EQ(decoded.stages[0], stages[0]);
  EXPECT_EQ(decoded.stages[1], stages[1]);
  EXPECT_EQ(decoded.activeStage, 1);
  // Options 4 and 5 have codes below 3: they read back as no option at all.
  EXPECT_EQ(decoded.system.reportSelectItemUsb, static_cast<std::uint16_t>(3 - 0xFF));
  EXPECT_EQ(decoded.system.dormancyTime, 7);
  EXPECT_EQ(decoded.system.dormancyTimeH, 5);
  EXPECT_EQ(decoded.system.motionSync, 1);
  EXPECT_EQ(decoded.light.selectItem, 3);
  EXPECT_EQ(decoded.light.speed, 1);
  EXPECT_EQ(decoded.light.fx, 0);
  EXPECT_EQ(decoded.light.blue, 30);
}

}  // namespace
}  // namespace nimbel
