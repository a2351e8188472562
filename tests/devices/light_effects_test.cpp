#include "devices/light_effects.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace nimbel {
namespace {

using light_tables::BreathingCurve;
using light_tables::ColourWheel;

constexpr std::size_t kMouseLeds = 15;

struct Look {
  std::uint8_t brightness = 0;
  std::uint8_t speed = 0;
  std::uint8_t direction = 0;
  std::uint8_t multiColour = 0;
  Rgb colour{};
};

LightingEngine EngineWith(const Look& look) {
  LightingEngine engine;
  engine.SetLedCount(kMouseLeds);
  LightParameters& parameters = engine.Parameters();
  parameters.brightness = look.brightness;
  parameters.speed = look.speed;
  parameters.direction = look.direction;
  parameters.multiColour = look.multiColour;
  parameters.colour = look.colour;
  return engine;
}

void ExpectEveryLed(const LightingEngine& engine, const LedEntry& expected) {
  ASSERT_EQ(engine.Frame().size(), kMouseLeds);
  for (const LedEntry& entry : engine.Frame()) EXPECT_EQ(entry, expected);
}

TEST(ColourWheel, HoldsTheGivenEntriesAndEndsEverySectionOnItsPureColour) {
  struct Sample {
    std::size_t index;
    Rgb colour;
  };
  const std::array<Sample, 16> samples{{
      {0, {255, 1, 0}},
      {1, {255, 3, 0}},
      {2, {255, 5, 0}},
      {3, {255, 7, 0}},
      {4, {255, 10, 0}},
      {5, {255, 14, 0}},
      {6, {255, 18, 0}},
      {7, {255, 22, 0}},
      {31, {255, 255, 0}},
      {63, {0, 255, 0}},
      {95, {0, 255, 255}},
      {127, {0, 0, 255}},
      {159, {255, 0, 255}},
      {191, {255, 0, 0}},
      {192, {255, 1, 0}},
      {32, {248, 255, 0}},
  }};
  for (const Sample& sample : samples) EXPECT_EQ(ColourWheel()[sample.index], sample.colour) << sample.index;
}

TEST(ColourWheel, MovesOneChannelAtATimeWithoutJumpingBack) {
  for (std::size_t i = 1; i < light_tables::kWheelHues; ++i) {
    const Rgb a = ColourWheel()[i - 1];
    const Rgb b = ColourWheel()[i];
    const int changed = (a.red != b.red) + (a.green != b.green) + (a.blue != b.blue);
    EXPECT_LE(changed, 1) << i;
  }
}

TEST(BreathingCurve, RisesThroughTheGivenValuesAndFallsSymmetrically) {
  constexpr std::array<std::uint8_t, 64> kRising{
      0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
      22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
      77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
      158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
  const auto& curve = BreathingCurve();
  for (std::size_t i = 0; i < kRising.size(); ++i) {
    EXPECT_EQ(curve[i], kRising[i]) << i;
    EXPECT_EQ(curve[127 - i], kRising[i]) << 127 - i;
  }
}

TEST(CyclicStep, WrapsAtTheLimitInBothDirectionsAndRecoversFromForeignValues) {
  struct Case {
    std::uint8_t step;
    std::size_t limit;
    bool forwards;
    std::uint8_t expected;
  };
  constexpr std::array<Case, 7> cases{{
      {5, 128, true, 6},
      {127, 128, true, 0},
      {5, 128, false, 4},
      {0, 128, false, 127},
      {0, 192, false, 191},
      // Left at 150 by a 192-step effect: restarts inside the 128 steps instead of reading past them.
      {150, 128, false, 127},
      {150, 128, true, 0},
  }};
  for (const Case& c : cases) {
    EXPECT_EQ(CyclicStep(c.step, c.limit, c.forwards), c.expected) << int{c.step} << " " << c.forwards;
  }
}

TEST(LightingEngine, LedAccessStaysInsideTheFrame) {
  LightingEngine engine;
  engine.SetLedCount(kMouseLeds);
  ASSERT_EQ(engine.LedCount(), kMouseLeds);
  for (std::uint32_t value : {engine.GetLedValue(0), engine.GetLedValue(14)}) EXPECT_EQ(value, 0u);

  engine.SetLedValue(3, 0x04030201);
  EXPECT_EQ(engine.Frame()[3], (LedEntry{1, 2, 3, 4}));
  for (int outside : {-1, 15, 1000}) {
    engine.SetLedValue(outside, 0xFFFFFFFF);
    EXPECT_EQ(engine.GetLedValue(outside), 0u) << outside;
  }
  for (std::size_t led = 0; led < kMouseLeds; ++led) {
    EXPECT_EQ(engine.GetLedValue(static_cast<int>(led)), led == 3 ? 0x04030201u : 0u) << led;
  }

  engine.SetLedCount(kMouseLeds);
  for (const LedEntry& entry : engine.Frame()) EXPECT_EQ(entry, LedEntry{});
}

TEST(LightingEngine, StaticFillsTheFixedColourAtTheLevelValue) {
  LightingEngine engine = EngineWith({.brightness = 2, .colour = {10, 20, 30}});
  engine.EffectStatic();
  ExpectEveryLed(engine, {10, 20, 30, 135});
}

TEST(LightingEngine, OutOfRangeLevelsReadAsTheTopLevel) {
  LightingEngine engine = EngineWith({.brightness = 9, .colour = {1, 2, 3}});
  engine.EffectStatic();
  ExpectEveryLed(engine, {1, 2, 3, 255});
  EXPECT_EQ(light_tables::FlashPeriodMs(200), light_tables::FlashPeriodMs(4));
}

TEST(LightingEngine, BreathingWrapsTheStepAndAdvancesTheWheelColourBySixteen) {
  LightingEngine engine = EngineWith({.brightness = 4, .direction = 1, .multiColour = 1});
  engine.State().step = 127;
  engine.State().colourIndex = 176;
  engine.EffectBreathing();
  EXPECT_EQ(engine.State().step, 0);
  EXPECT_EQ(engine.State().colourIndex, 192);
  // Index 192 reads the entry after the last, which is entry 0's colour, at the curve's bottom.
  ExpectEveryLed(engine, {255, 1, 0, 0});

  engine.State().step = 127;
  engine.EffectBreathing();
  EXPECT_EQ(engine.State().colourIndex, 0);

  engine.State().step = 63;
  engine.EffectBreathing();
  ExpectEveryLed(engine, {255, 1, 0, 255 * 255 / 256});
}

TEST(LightingEngine, BreathingBackwardsAndSingleColourUsesTheFixedColour) {
  LightingEngine engine = EngineWith({.brightness = 1, .direction = 0, .colour = {9, 8, 7}});
  engine.State().step = 1;
  engine.EffectBreathing();
  EXPECT_EQ(engine.State().step, 0);
  EXPECT_EQ(engine.State().colourIndex, 16);
  engine.EffectBreathing();
  EXPECT_EQ(engine.State().step, 127);
  ExpectEveryLed(engine, {9, 8, 7, 0});
  engine.State().step = 64;
  engine.EffectBreathing();
  ExpectEveryLed(engine, {9, 8, 7, static_cast<std::uint8_t>(255 * 80 / 256)});
}

TEST(LightingEngine, ColourCycleWalksTheFourColours) {
  LightingEngine engine = EngineWith({.brightness = 4, .direction = 1});
  const std::array<Rgb, 5> expected{{{0, 255, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 180}, {0, 255, 0}}};
  for (const Rgb& colour : expected) {
    engine.State().step = 127;
    engine.EffectColourCycle();
    ExpectEveryLed(engine, {colour.red, colour.green, colour.blue, 0});
  }
}

TEST(LightingEngine, SpectrumShowsTheWheelEntryOfItsStep) {
  LightingEngine engine = EngineWith({.brightness = 3, .direction = 1});
  engine.State().step = 62;
  engine.EffectSpectrum();
  ExpectEveryLed(engine, {0, 255, 0, 195});
  engine.State().step = 191;
  engine.EffectSpectrum();
  EXPECT_EQ(engine.State().step, 0);
}

TEST(LightingEngine, FlashAtSpeedZeroTogglesAtMostEvery1600Ms) {
  LightingEngine engine = EngineWith({.brightness = 4, .speed = 0, .colour = {50, 60, 70}});
  engine.State().lastBlinkMs = 1000;
  struct Pass {
    std::uint32_t nowMs;
    std::uint8_t blink;
    std::uint8_t step;
  };
  constexpr std::array<Pass, 7> passes{{
      {1001, 0, 0},
      {2599, 0, 0},
      {2600, 1, 16},
      {2601, 1, 16},
      {4199, 1, 16},
      {4200, 0, 32},
      {5800, 1, 48},
  }};
  for (const Pass& pass : passes) {
    engine.EffectFlash(pass.nowMs);
    EXPECT_EQ(engine.State().blink, pass.blink) << pass.nowMs;
    EXPECT_EQ(engine.State().step, pass.step) << pass.nowMs;
    ExpectEveryLed(engine, pass.blink != 0 ? LedEntry{50, 60, 70, 255} : LedEntry{});
  }
}

TEST(LightingEngine, FlashStepReturnsToZeroAtTheWheelEndAndSurvivesATickWrap) {
  LightingEngine engine = EngineWith({.brightness = 4, .speed = 4, .multiColour = 1});
  engine.State().step = 176;
  engine.State().lastBlinkMs = 0xFFFFFF00;
  engine.EffectFlash(0x00000010);  // 272 ms later, across the wrap of the tick
  EXPECT_EQ(engine.State().blink, 1);
  EXPECT_EQ(engine.State().step, 0);
  ExpectEveryLed(engine, {255, 1, 0, 255});
}

TEST(LightingEngine, FlashCycleWalksTheFourColoursOnEveryToggle) {
  LightingEngine engine = EngineWith({.brightness = 4, .speed = 4});
  engine.State().step = 3;
  engine.EffectFlashCycle(200);
  EXPECT_EQ(engine.State().step, 0);
  ExpectEveryLed(engine, {0, 255, 180, 255});
}

TEST(LightingEngine, ScaledFrameWeighsEachColourByTheIntensity) {
  const std::array<LedEntry, 2> frame{{{255, 128, 2, 128}, {200, 100, 50, 255}}};
  const std::vector<std::uint8_t> expected{127, 64, 1, 199, 99, 49};
  EXPECT_EQ(ScaleLightFrame(frame), expected);
}

TEST(KeyEffects, DecayFollowsTheBandsDownToZeroAndNeverRises) {
  KeyEffects effects;
  effects.Intensities()[0] = 200;
  const std::vector<int> expectedMode0{160, 120, 90, 60, 45, 30, 22, 14, 13, 12};
  for (int expected : expectedMode0) {
    effects.DecayKeyEffect(0, 0);
    EXPECT_EQ(effects.Intensities()[0], expected);
  }
  for (int step = 0; step < 20; ++step) effects.DecayKeyEffect(0, 0);
  EXPECT_EQ(effects.Intensities()[0], 0);
  effects.DecayKeyEffect(0, 0);
  EXPECT_EQ(effects.Intensities()[0], 0);

  effects.Intensities()[1] = 255;
  const std::vector<int> expectedMode29{210, 165, 120, 85, 60, 50, 40, 30, 25, 20, 15, 14};
  for (int expected : expectedMode29) {
    effects.DecayKeyEffect(1, 29);
    EXPECT_EQ(effects.Intensities()[1], expected);
  }

  for (int mode : {0, 29, 5}) {
    for (int start = 0; start <= 255; ++start) {
      effects.Intensities()[2] = static_cast<std::uint8_t>(start);
      effects.DecayKeyEffect(2, mode);
      EXPECT_LE(effects.Intensities()[2], start) << mode << " " << start;
      if (start > 0) {
        EXPECT_LT(effects.Intensities()[2], start) << mode << " " << start;
      }
    }
  }
  effects.DecayKeyEffect(KeyEffects::kKeyCount, 0);  // beyond the table: ignored
}

TEST(KeyEffects, RotateMovesTheRingOnePlaceEitherWay) {
  std::array<std::uint8_t, KeyEffects::kRingSize> ring{};
  for (std::size_t i = 0; i < ring.size(); ++i) ring[i] = static_cast<std::uint8_t>(i + 1);
  struct Case {
    bool towardsEnd;
    std::uint8_t first;
    std::uint8_t second;
    std::uint8_t last;
  };
  for (const Case& c : {Case{true, 23, 1, 22}, Case{false, 2, 3, 1}}) {
    KeyEffects effects;
    std::copy(ring.begin(), ring.end(), effects.Ring().begin());
    effects.RotateKeyEffects(c.towardsEnd);
    EXPECT_EQ(effects.Ring()[0], c.first);
    EXPECT_EQ(effects.Ring()[1], c.second);
    EXPECT_EQ(effects.Ring()[KeyEffects::kRingSize - 1], c.last);
  }
}

TEST(KeyEffects, SeedLightsTheFirstNineKeysWhoseRingEntryIsSetAndResetClearsAll) {
  KeyEffects effects;
  effects.Ring()[0] = 1;
  effects.Ring()[8] = 7;
  effects.Ring()[9] = 1;
  effects.SeedKeyEffects();
  for (std::size_t key = 0; key < 12; ++key) {
    EXPECT_EQ(effects.Intensities()[key], key == 0 || key == 8 ? 255 : 0) << key;
  }
  effects.ResetKeyEffects();
  for (std::uint8_t value : effects.Intensities()) EXPECT_EQ(value, 0);
  for (std::uint8_t value : effects.Ring()) EXPECT_EQ(value, 0);
}

}  // namespace
}  // namespace nimbel
