#include "devices/light_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <span>
#include <vector>

namespace nimbel {
namespace {

using light_tables::ColourWheel;
using light_tables::ShortBreathingCurve;

constexpr std::size_t kLeds = 15;
// What the frame holds before a step runs, so that a LED the step leaves alone is seen to be untouched.
constexpr LedEntry kUntouched{7, 7, 7, 7};

struct Look {
  std::uint8_t mode = 0;
  std::uint8_t brightness = 4;
  std::uint8_t speed = 0;
  std::uint8_t direction = 0;
  std::uint8_t multiColour = 0;
  Rgb colour{10, 20, 30};
};

LightingEngine EngineWith(const Look& look, std::size_t leds = kLeds) {
  LightingEngine engine;
  engine.SetLedCount(leds);
  for (std::size_t led = 0; led < leds; ++led) engine.SetLedValue(static_cast<int>(led), kUntouched.Value());
  LightParameters& parameters = engine.Parameters();
  parameters.mode = look.mode;
  parameters.brightness = look.brightness;
  parameters.speed = look.speed;
  parameters.direction = look.direction;
  parameters.multiColour = look.multiColour;
  parameters.colour = look.colour;
  return engine;
}

LedEntry At(const LightingEngine& engine, std::size_t led) {
  return engine.Frame()[led];
}

LedEntry WheelAt(std::size_t index, std::uint8_t intensity) {
  const Rgb colour = ColourWheel()[index];
  return {colour.red, colour.green, colour.blue, intensity};
}

void ExpectEveryLed(const LightingEngine& engine, const LedEntry& expected) {
  for (std::size_t led = 0; led < engine.LedCount(); ++led)
    EXPECT_EQ(At(engine, led), expected) << "LED " << led;
}

// ---- Which step each mode runs ----

struct ModeRange {
  std::uint8_t first;
  std::uint8_t last;
  LightStep step;
  std::array<std::uint32_t, 5> intervals;
};

constexpr std::array<std::uint32_t, 5> kEveryPass{0, 0, 0, 0, 0};
constexpr std::array<std::uint32_t, 5> kStandard{8, 6, 4, 2, 1};
constexpr std::array<std::uint32_t, 5> kKeyboard{8, 5, 3, 1, 0};

constexpr std::array<ModeRange, 12> kMouseTable{{
    {0, 0, LightStep::kWave, kStandard},
    {1, 1, LightStep::kSpectrum, kStandard},
    {2, 2, LightStep::kBreathing, kStandard},
    {3, 3, LightStep::kStatic, kStandard},
    {4, 4, LightStep::kFlash, kStandard},
    {5, 5, LightStep::kTravellingSegment, {16, 12, 8, 4, 2}},
    {6, 6, LightStep::kReactive, kStandard},
    {7, 7, LightStep::kColourCycle, kStandard},
    {8, 8, LightStep::kFlashCycle, kStandard},
    {9, 9, LightStep::kCustom, kEveryPass},
    {10, 10, LightStep::kClear, kStandard},
    {11, 255, LightStep::kCustom, kEveryPass},
}};

constexpr std::array<ModeRange, 10> kMousePadTable{{
    {0, 0, LightStep::kWave, kStandard},
    {1, 1, LightStep::kSpectrum, kStandard},
    {2, 2, LightStep::kBreathing, kStandard},
    {3, 3, LightStep::kStatic, kStandard},
    {4, 4, LightStep::kFlash, kStandard},
    {5, 5, LightStep::kCustom, kEveryPass},
    {6, 6, LightStep::kPadLedSegment, kStandard},
    {7, 7, LightStep::kPadPairSegment, kStandard},
    {8, 8, LightStep::kClear, kStandard},
    {9, 255, LightStep::kCustom, kEveryPass},
}};

// One row per line; twenty rows would otherwise be set in columns.
// clang-format off
constexpr std::array<ModeRange, 20> kKeyboardTable{{
    {0, 0, LightStep::kCustom, kEveryPass},
    {1, 1, LightStep::kNone, kKeyboard},
    {2, 2, LightStep::kNone, {12, 8, 5, 0, 0}},
    {3, 3, LightStep::kNone, kKeyboard},
    {4, 4, LightStep::kSpectrum, kKeyboard},
    {5, 5, LightStep::kBreathing, kKeyboard},
    {6, 6, LightStep::kStatic, kKeyboard},
    {7, 16, LightStep::kNone, kKeyboard},
    {17, 17, LightStep::kNone, {3, 3, 3, 3, 0}},
    {18, 18, LightStep::kNone, kKeyboard},
    {19, 19, LightStep::kCustom, kEveryPass},
    {20, 22, LightStep::kNone, kKeyboard},
    {23, 23, LightStep::kFlash, kKeyboard},
    {24, 25, LightStep::kNone, kKeyboard},
    {26, 26, LightStep::kColourCycle, kKeyboard},
    {27, 27, LightStep::kFlashCycle, kKeyboard},
    {28, 28, LightStep::kClear, kKeyboard},
    {29, 29, LightStep::kNone, {2, 2, 2, 2, 2}},
    {30, 30, LightStep::kExternalColour, kKeyboard},
    {31, 255, LightStep::kCustom, kEveryPass},
}};
// clang-format on

TEST(LightSteps, EveryClassChoosesTheStepAndIntervalOfItsTableAtEverySpeed) {
  struct ClassTable {
    LightClass lightClass;
    std::span<const ModeRange> table;
  };
  const std::array<ClassTable, 3> classes{{
      {LightClass::kMouse, kMouseTable},
      {LightClass::kMousePad, kMousePadTable},
      {LightClass::kKeyboard, kKeyboardTable},
  }};
  // Speed 9 is beyond the top level and reads as level 4.
  constexpr std::array<std::uint8_t, 6> speeds{0, 1, 2, 3, 4, 9};
  constexpr std::array<std::size_t, 6> levelOfSpeed{0, 1, 2, 3, 4, 4};
  std::vector<std::uint8_t> modes(41);
  for (std::size_t i = 0; i < modes.size(); ++i) modes[i] = static_cast<std::uint8_t>(i);
  modes.push_back(255);

  for (const ClassTable& c : classes) {
    for (std::uint8_t mode : modes) {
      const auto row = std::ranges::find_if(
          c.table, [mode](const ModeRange& r) { return r.first <= mode && mode <= r.last; });
      ASSERT_NE(row, c.table.end()) << int{mode};
      for (std::size_t s = 0; s < speeds.size(); ++s) {
        const StepChoice expected{row->step, row->intervals[levelOfSpeed[s]]};
        EXPECT_EQ(ChooseLightStep(c.lightClass, mode, speeds[s]), expected)
            << "class " << static_cast<int>(c.lightClass) << " mode " << int{mode} << " speed "
            << int{speeds[s]};
      }
    }
  }
}

// ---- Tables ----

TEST(LightSteps, ShortBreathingCurveRisesFrom22To255AndFallsBackInMirror) {
  constexpr std::array<std::uint8_t, 48> kRising{22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,
                                                 61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109,
                                                 114, 119, 124, 129, 134, 140, 146, 152, 158, 164, 170, 176,
                                                 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
  const auto& curve = ShortBreathingCurve();
  for (std::size_t i = 0; i < kRising.size(); ++i) {
    EXPECT_EQ(curve[i], kRising[i]) << i;
    EXPECT_EQ(curve[95 - i], kRising[i]) << 95 - i;
  }
}

TEST(LightSteps, MouseLedGroupsHoldTheirLedsAndNothingBeyondTheSeventh) {
  const std::array<std::vector<std::uint8_t>, 7> expected{
      {{0, 13}, {1, 12}, {2, 11}, {3, 10}, {4, 9}, {5, 8}, {6, 14, 7}}};
  for (std::size_t group = 0; group < expected.size(); ++group) {
    const auto leds = light_tables::MouseLedGroup(group);
    EXPECT_EQ(std::vector<std::uint8_t>(leds.begin(), leds.end()), expected[group]) << group;
  }
  EXPECT_TRUE(light_tables::MouseLedGroup(7).empty());
}

// ---- Waves ----

TEST(LightSteps, MouseWaveShowsEachGroupSevenPlacesOnFromThePosition) {
  struct Case {
    const char* name;
    Look look;
    std::uint8_t start;
    std::uint8_t position;
    std::array<LedEntry, 7> groups;
  };
  const std::array<Case, 3> cases{{
      // Position 191: group 0 shows wheel entry 0 and group 6 entry 42.
      {"colour forwards",
       {.direction = 1, .multiColour = 1},
       190,
       191,
       {WheelAt(0, 255), WheelAt(7, 255), WheelAt(14, 255), WheelAt(21, 255), WheelAt(28, 255),
        WheelAt(35, 255), WheelAt(42, 255)}},
      {"colour backwards from 0",
       {.direction = 0, .multiColour = 1},
       0,
       191,
       {WheelAt(0, 255), WheelAt(7, 255), WheelAt(14, 255), WheelAt(21, 255), WheelAt(28, 255),
        WheelAt(35, 255), WheelAt(42, 255)}},
      // One colour walks the short curve: position 95, group g at curve entry 7g, x 255 / 256.
      {"one colour backwards from 0",
       {.brightness = 4, .direction = 0},
       0,
       95,
       {LedEntry{10, 20, 30, 21},
        {10, 20, 30, 41},
        {10, 20, 30, 68},
        {10, 20, 30, 98},
        {10, 20, 30, 133},
        {10, 20, 30, 175},
        {10, 20, 30, 219}}},
  }};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith(c.look);
    engine.State().step = c.start;
    MouseWave(engine);
    EXPECT_EQ(engine.State().step, c.position) << c.name;
    for (std::size_t group = 0; group < 7; ++group) {
      for (std::uint8_t led : light_tables::MouseLedGroup(group)) {
        EXPECT_EQ(At(engine, led), c.groups[group]) << c.name << " group " << group << " LED " << int{led};
      }
    }
  }
}

TEST(LightSteps, PadWaveShowsEachLedSevenPlacesOnFromThePosition) {
  LightingEngine engine = EngineWith({.brightness = 3, .direction = 1, .multiColour = 1});
  engine.State().step = 10;
  PadWave(engine);
  EXPECT_EQ(engine.State().step, 11);
  EXPECT_EQ(At(engine, 0), WheelAt(12, 195));
  EXPECT_EQ(At(engine, 1), WheelAt(19, 195));
  EXPECT_EQ(At(engine, 14), WheelAt(110, 195));
}

TEST(LightSteps, ExternalColourFillsEveryLedWithTheExtraBytesAtTheLevelValue) {
  LightingEngine engine = EngineWith({.brightness = 1});
  engine.Parameters().extra = {200, 100, 50};
  ExternalColour(engine);
  ExpectEveryLed(engine, {200, 100, 50, 80});
}

// ---- Travelling segments ----

TEST(LightSteps, MouseSegmentTravelsFromTheHeadGroupOneGroupPerStep) {
  struct Case {
    std::uint8_t direction;
    int steps;
    std::size_t litGroup;
  };
  // Forwards the lit ring entry enters at group 0; backwards it runs round the ring's far end first and
  // reaches the groups at group 6.
  constexpr std::array<Case, 6> cases{{{1, 1, 0}, {1, 4, 3}, {1, 7, 6}, {0, 17, 7}, {0, 18, 6}, {0, 24, 0}}};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith({.mode = 5, .direction = c.direction});
    KeyEffects effects;
    ResetForSegment(effects);
    for (int step = 0; step < c.steps; ++step) MouseTravellingSegment(engine, effects);
    for (std::size_t group = 0; group < 7; ++group) {
      // A freshly seeded key has had one decay step: 255 - 40.
      const std::uint8_t intensity = effects.Intensities()[group];
      if (group == c.litGroup) {
        EXPECT_EQ(intensity, 215) << c.steps << " steps, group " << group;
      } else {
        EXPECT_LT(intensity, 215) << c.steps << " steps, group " << group;
      }
      for (std::uint8_t led : light_tables::MouseLedGroup(group)) {
        EXPECT_EQ(At(engine, led), (LedEntry{10, 20, 30, static_cast<std::uint8_t>(255 * intensity / 256)}))
            << c.steps << " steps, LED " << int{led};
      }
    }
  }
}

TEST(LightSteps, MouseSegmentInColourKeepsTheGroupsColoursWhileTheHeadIsLit) {
  LightingEngine engine = EngineWith({.mode = 5, .direction = 1, .multiColour = 1});
  KeyEffects effects;
  ResetForSegment(effects);
  MouseTravellingSegment(engine, effects);
  for (std::size_t led = 0; led < kLeds; ++led) {
    const LedEntry entry = At(engine, led);
    EXPECT_EQ((Rgb{entry.red, entry.green, entry.blue}), (Rgb{7, 7, 7})) << led;
  }

  // Head dark: each group takes the position 12 further on, the wheel read 192 lower past its end.
  KeyEffects dark;
  engine.State().step = 180;
  MouseTravellingSegment(engine, dark);
  EXPECT_EQ(At(engine, 0), WheelAt(1, 0));    // group 0: 181 + 12 = 193
  EXPECT_EQ(At(engine, 12), WheelAt(13, 0));  // group 1: 205
  EXPECT_EQ(At(engine, 7), WheelAt(9, 0));    // group 6: 181 + 84 wraps as an 8-bit value to 9
  EXPECT_EQ(engine.State().step, 9);
}

TEST(LightSteps, PadSegmentsMoveTheirPartOfTheRingOnEverySecondStep) {
  using SegmentStep = void (*)(LightingEngine&, KeyEffects&, bool&);
  struct Case {
    const char* name;
    SegmentStep step;
    std::uint8_t direction;
    std::set<std::size_t> ringAfterMove;
  };
  // The ring starts with entries 0, 7, 8 and 22 set.
  const std::array<Case, 4> cases{{
      {"pairs, Fx clear: first 8 towards the end", PadPairSegment, 0, {0, 1, 8, 22}},
      {"pairs, Fx set: first 8 towards the start", PadPairSegment, 1, {6, 7, 8, 22}},
      {"LEDs, Fx set: all towards the end", PadLedSegment, 1, {0, 1, 8, 9}},
      {"LEDs, Fx clear: all towards the start", PadLedSegment, 0, {6, 7, 21, 22}},
  }};
  const auto setEntries = [](const KeyEffects& effects) {
    std::set<std::size_t> set;
    for (std::size_t i = 0; i < KeyEffects::kRingSize; ++i) {
      if (effects.Ring()[i] != 0) set.insert(i);
    }
    return set;
  };
  const std::set<std::size_t> start{0, 7, 8, 22};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith({.mode = 7, .direction = c.direction});
    KeyEffects effects;
    for (std::size_t i : start) effects.Ring()[i] = 1;
    bool everySecond = false;
    c.step(engine, effects, everySecond);
    EXPECT_EQ(setEntries(effects), start) << c.name;
    EXPECT_EQ(effects.Intensities()[0], 0) << c.name;
    c.step(engine, effects, everySecond);
    EXPECT_EQ(setEntries(effects), c.ringAfterMove) << c.name;
    EXPECT_EQ(effects.Intensities()[0], 215) << c.name;
    c.step(engine, effects, everySecond);
    EXPECT_EQ(setEntries(effects), c.ringAfterMove) << c.name;
  }
}

TEST(LightSteps, PadPairSegmentLightsBothLedsOfAPairAndLeavesLedZero) {
  LightingEngine engine = EngineWith({.mode = 7, .brightness = 2, .direction = 1});
  KeyEffects effects;
  ResetForSegment(effects);
  bool everySecond = true;
  PadPairSegment(engine, effects, everySecond);
  const LedEntry lit{10, 20, 30, static_cast<std::uint8_t>(135 * 215 / 256)};
  EXPECT_EQ(At(engine, 1), lit);
  EXPECT_EQ(At(engine, 14), lit);
  EXPECT_EQ(At(engine, 7), (LedEntry{10, 20, 30, 0}));
  EXPECT_EQ(At(engine, 8), (LedEntry{10, 20, 30, 0}));
  EXPECT_EQ(At(engine, 0), kUntouched);
}

// ---- Reactive ----

TEST(ReactiveLeds, ATriggerLightsEveryLedFullyAndFadesItBy15PerStep) {
  LightingEngine engine = EngineWith({.brightness = 4, .multiColour = 1});
  ReactiveLeds reactive;
  reactive.Step(engine);
  ExpectEveryLed(engine, WheelAt(0, 0));

  std::minstd_rand random(7);
  reactive.Trigger(random);
  for (int expected = 255; expected >= 0; expected -= 15) {
    reactive.Step(engine);
    for (std::size_t led = 0; led < kLeds; ++led) {
      ASSERT_EQ(reactive.Intensity(led), expected) << "LED " << led;
      EXPECT_EQ(At(engine, led).intensity, 255 * expected / 256) << "LED " << led;
    }
  }
  reactive.Step(engine);
  EXPECT_EQ(reactive.Intensity(0), 0);

  // Every LED took a colour of the wheel's 192 hues, not all the same one.
  std::set<std::uint32_t> colours;
  for (std::size_t led = 0; led < kLeds; ++led) {
    const LedEntry entry = At(engine, led);
    const Rgb colour{entry.red, entry.green, entry.blue};
    EXPECT_NE(std::find(ColourWheel().begin(), ColourWheel().end() - 1, colour), ColourWheel().end() - 1)
        << led;
    colours.insert(LedEntry{entry.red, entry.green, entry.blue, 0}.Value());
  }
  EXPECT_GT(colours.size(), 1u);
}

TEST(ReactiveLeds, OneColourUsesTheFixedColourAndResetDarkens) {
  LightingEngine engine = EngineWith({.brightness = 1, .colour = {1, 2, 3}});
  ReactiveLeds reactive;
  std::minstd_rand random(1);
  reactive.Trigger(random);
  reactive.Step(engine);
  ExpectEveryLed(engine, {1, 2, 3, 80 * 255 / 256});
  reactive.Reset();
  EXPECT_EQ(reactive.Intensity(0), 0);
  EXPECT_EQ(reactive.Intensity(light_tables::kMaxAreaLeds), 0);
  reactive.Step(engine);
  ExpectEveryLed(engine, {1, 2, 3, 0});
}

// ---- Custom effects ----

LightEffectStep CustomStep(std::uint8_t mode, std::uint8_t speed = 4, std::uint8_t brightness = 4,
                           std::uint8_t multiColour = 0, std::uint8_t direction = 0) {
  return {.ledRegMode = mode,
          .ledBrightness = brightness,
          .ledSpeed = speed,
          .ledDirection = direction,
          .ledMultiColour = multiColour,
          .red = 10,
          .green = 20,
          .blue = 30,
          .time = 1000};
}

TEST(CustomEffectPlayer, AnEmptyListClearsTheFrame) {
  LightingEngine engine = EngineWith({});
  CustomEffectPlayer player;
  player.Pass(engine, 0);
  ExpectEveryLed(engine, {});
  EXPECT_EQ(player.StepCount(), 0u);
}

TEST(CustomEffectPlayer, EachModeDrawsItsStep) {
  struct Case {
    const char* name;
    LightEffectStep step;
    int passes;
    LedEntry led0;
    LedEntry led1;
  };
  const std::array<Case, 9> cases{{
      // 64 passes bring the breathing phase to the curve's top.
      {"breathing", CustomStep(0), 64, {10, 20, 30, 254}, {10, 20, 30, 254}},
      {"breathing in colour reads wheel entry 0", CustomStep(0, 4, 4, 1), 64, WheelAt(0, 254),
       WheelAt(0, 254)},
      {"static", CustomStep(1, 4, 2), 1, {10, 20, 30, 135}, {10, 20, 30, 135}},
      {"wave in colour, direction 0: start 2, 12 apart", CustomStep(4, 4, 4, 1, 0), 1, WheelAt(2, 255),
       WheelAt(14, 255)},
      {"wave in colour, direction 1: start 191", CustomStep(4, 4, 4, 1, 1), 1, WheelAt(191, 255),
       WheelAt(11, 255)},
      // One colour: d = 2, then curve entries 14 (69) and 26 (124).
      {"wave in one colour", CustomStep(4), 1, {10, 20, 30, 68}, {10, 20, 30, 123}},
      {"colour cycle", CustomStep(5, 4, 3), 2, WheelAt(2, 195), WheelAt(2, 195)},
      {"mode 3 draws nothing", CustomStep(3), 10, kUntouched, kUntouched},
      {"mode 9 draws nothing", CustomStep(9), 10, kUntouched, kUntouched},
  }};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith({});
    CustomEffectPlayer player;
    player.SetSteps({c.step}, 0);
    for (int pass = 0; pass < c.passes; ++pass) player.Pass(engine, 0);
    EXPECT_EQ(At(engine, 0), c.led0) << c.name;
    EXPECT_EQ(At(engine, 1), c.led1) << c.name;
  }
}

TEST(CustomEffectPlayer, FlashBlinksAtThePagesSpeedWithTheColourOfItsPhase) {
  LightingEngine engine = EngineWith({.speed = 4});
  CustomEffectPlayer player;
  player.SetSteps({CustomStep(2, 0, 4, 1)}, 0);
  struct Pass {
    std::uint32_t nowMs;
    LedEntry expected;
  };
  // Page speed 4: 200 ms. The first toggle comes at pass 2 (phase 2): colour index 16.
  const std::array<Pass, 4> passes{{
      {100, {}},
      {200, WheelAt(16, 255)},
      {399, WheelAt(16, 255)},
      {400, {}},
  }};
  for (const Pass& pass : passes) {
    player.Pass(engine, pass.nowMs);
    ExpectEveryLed(engine, pass.expected);
  }
}

TEST(CustomEffectPlayer, StepsDrawOnlyWhenTheirIntervalIsReachedWithBadLevelsBounded) {
  struct Case {
    LightEffectStep step;
    int passesToDraw;
    std::uint8_t intensity;
  };
  const std::array<Case, 6> cases{{
      {CustomStep(1, 0), 8, 255},
      {CustomStep(1, 2), 4, 255},
      {CustomStep(1, 9, 9), 1, 255},
      {CustomStep(5, 1), 5, 255},
      {CustomStep(5, 4), 1, 255},
      {CustomStep(5, 200, 200), 1, 255},
  }};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith({});
    CustomEffectPlayer player;
    player.SetSteps({c.step}, 0);
    for (int pass = 1; pass < c.passesToDraw; ++pass) player.Pass(engine, 0);
    EXPECT_EQ(At(engine, 0), kUntouched) << int{c.step.ledRegMode} << " speed " << int{c.step.ledSpeed};
    player.Pass(engine, 0);
    EXPECT_NE(At(engine, 0), kUntouched) << int{c.step.ledRegMode} << " speed " << int{c.step.ledSpeed};
    EXPECT_EQ(At(engine, 0).intensity, c.intensity)
        << int{c.step.ledRegMode} << " speed " << int{c.step.ledSpeed};
  }
}

TEST(CustomEffectPlayer, MovesToTheNextStepOnceItsTimeHasPassedAndWraps) {
  std::vector<LightEffectStep> steps{CustomStep(1), CustomStep(1), CustomStep(1)};
  steps[0].time = 100;
  steps[1].time = -5;  // reads as 0
  steps[2].time = 50;
  LightingEngine engine = EngineWith({});
  CustomEffectPlayer player;
  player.SetSteps(steps, 0xFFFFFFF0);  // the tick wraps during the first step
  struct Pass {
    std::uint32_t nowMs;
    std::size_t index;
  };
  constexpr std::array<Pass, 6> passes{{{84, 0}, {85, 1}, {85, 1}, {86, 2}, {136, 2}, {137, 0}}};
  for (const Pass& pass : passes) {
    player.Pass(engine, pass.nowMs);
    EXPECT_EQ(player.StepIndex(), pass.index) << pass.nowMs;
  }

  player.Pass(engine, 300);
  ASSERT_EQ(player.StepIndex(), 1u);
  player.SetSteps({CustomStep(1)}, 300);
  EXPECT_EQ(player.StepIndex(), 0u);
  player.Pass(engine, 2000);
  EXPECT_EQ(player.StepIndex(), 0u);
  EXPECT_EQ(At(engine, 0), (LedEntry{10, 20, 30, 255}));
}

// ---- Area pass ----

LightListEntry AreaEntry(std::uint8_t mode, std::uint8_t speed = 4, std::uint8_t brightness = 4,
                         std::uint8_t multiColour = 0, std::uint8_t present = 1) {
  return {.ledRegMode = mode,
          .ledBrightness = brightness,
          .ledSpeed = speed,
          .ledMultiColour = multiColour,
          .red = 10,
          .green = 20,
          .blue = 30,
          .present = present};
}

TEST(AreaPass, EachEntryDrawsItsLedByItsMode) {
  struct Case {
    const char* name;
    LightListEntry entry;
    int passes;
    LedEntry expected;
  };
  const std::array<Case, 12> cases{{
      // Speed 4 steps the breathing by 8: 8 passes reach the curve's top.
      {"breathing", AreaEntry(0), 8, {10, 20, 30, 254}},
      {"breathing, speed 0 steps by 4", AreaEntry(0, 0), 16, {10, 20, 30, 254}},
      {"breathing, speed 9 reads as 4", AreaEntry(0, 9), 8, {10, 20, 30, 254}},
      // At the wrap the step restarts and the colour index moves on to 1.
      {"breathing in colour wraps", AreaEntry(0, 4, 4, 1), 16, WheelAt(1, 0)},
      {"breathing not present", AreaEntry(0, 4, 4, 0, 0), 8, kUntouched},
      {"static", AreaEntry(1, 4, 2), 1, {10, 20, 30, 135}},
      {"static, brightness 9 reads as 4", AreaEntry(1, 4, 9), 1, {10, 20, 30, 255}},
      {"spectrum, speed 2: index 1 after 4 passes", AreaEntry(3, 2, 3), 4, WheelAt(1, 195)},
      {"spectrum, speed 2: index 0 after 3 passes", AreaEntry(3, 2, 3), 3, WheelAt(0, 195)},
      {"spectrum not present", AreaEntry(3, 4, 4, 0, 0), 4, kUntouched},
      {"off", AreaEntry(4), 1, {}},
      {"mode 5 is not drawn", AreaEntry(5), 3, kUntouched},
  }};
  for (const Case& c : cases) {
    LightingEngine engine = EngineWith({});
    AreaPass area;
    area.SetList({c.entry}, 1000);
    for (int pass = 0; pass < c.passes; ++pass) area.Pass(engine, 1000);
    EXPECT_EQ(At(engine, 0), c.expected) << c.name;
    EXPECT_EQ(At(engine, 1), kUntouched) << c.name << ": a LED without an entry";
  }
}

TEST(AreaPass, FlashTimersRunForEveryEntryWhateverItsMode) {
  LightingEngine engine = EngineWith({});
  AreaPass area;
  // Flash at speed 0 (1600 ms), breathing and spectrum in colour at speed 4 (200 ms).
  area.SetList({AreaEntry(2, 0, 4, 1), AreaEntry(0, 4, 4, 1), AreaEntry(3, 4, 4, 1)}, 1000);
  // Each toggle of a timer moves its entry's colour index on by 14; the spectrum adds 1 on every pass.
  struct Pass {
    std::uint32_t nowMs;
    LedEntry flash;
    std::size_t breathingColour;
    std::size_t spectrumColour;
  };
  const std::array<Pass, 4> passes{{
      {1000, {}, 0, 1},
      {1200, {}, 14, 16},
      {1399, {}, 14, 17},
      {2600, WheelAt(14, 255), 28, 32},
  }};
  const auto colourAt = [&engine](std::size_t led) {
    const LedEntry entry = At(engine, led);
    return Rgb{entry.red, entry.green, entry.blue};
  };
  for (const Pass& pass : passes) {
    area.Pass(engine, pass.nowMs);
    EXPECT_EQ(At(engine, 0), pass.flash) << pass.nowMs;
    EXPECT_EQ(colourAt(1), ColourWheel()[pass.breathingColour]) << pass.nowMs;
    EXPECT_EQ(colourAt(2), ColourWheel()[pass.spectrumColour]) << pass.nowMs;
  }
}

TEST(AreaPass, KeepsAtMost170EntriesAndResetsTheStateWithANewList) {
  AreaPass area;
  area.SetList(std::vector<LightListEntry>(200, AreaEntry(1)), 0);
  EXPECT_EQ(area.EntryCount(), light_tables::kMaxAreaLeds);
  LightingEngine engine = EngineWith({});
  area.Pass(engine, 0);  // entries beyond the frame draw nothing
  ExpectEveryLed(engine, {10, 20, 30, 255});

  area.SetList({AreaEntry(3, 4)}, 0);
  area.Pass(engine, 0);
  EXPECT_EQ(At(engine, 0), WheelAt(1, 255));
  area.SetList({AreaEntry(3, 4)}, 0);
  area.Pass(engine, 0);
  EXPECT_EQ(At(engine, 0), WheelAt(1, 255));
}

}  // namespace
}  // namespace nimbel
