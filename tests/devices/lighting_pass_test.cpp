#include "devices/lighting_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace nimbel {
namespace {

constexpr std::size_t kMouseLeds = 15;
constexpr std::uint8_t kStaticMode = 3;
constexpr std::uint8_t kReactiveMode = 6;
constexpr std::uint8_t kFirstCustomMode = 12;

LightParameters Parameters(std::uint8_t mode, std::uint8_t speed = 4) {
  LightParameters parameters;
  parameters.mode = mode;
  parameters.brightness = 4;
  parameters.speed = speed;
  parameters.colour = {200, 0, 0};
  return parameters;
}

// A pass with the mouse's frame, started at `now_`.
class LightingPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requests_.SetLedCount(kMouseLeds);
    pass_.Restart(now_);
    Apply();
  }
  void Apply() { pass_.Apply(requests_.Take(), now_); }
  // One tick later: a step of every mode at speed 4.
  void Tick() { pass_.Advance(now_ += LightCadence::kTickMs); }
  LedEntry Led(std::size_t index) const { return pass_.Engine().Frame()[index]; }
  bool AllLeds(LedEntry entry) const {
    const std::span<const LedEntry> frame = pass_.Engine().Frame();
    return std::all_of(frame.begin(), frame.end(), [&](const LedEntry& led) { return led == entry; });
  }

  LightRequests requests_;
  LightingPass pass_{LightClass::kMouse};
  std::uint32_t now_ = 1000;
};

TEST_F(LightingPassTest, RequestsChangeNothingUntilThePassTakesThem) {
  requests_.SetParameters(Parameters(kStaticMode));
  requests_.SetLedValue(2, LedEntry{1, 2, 3, 4}.Value());
  EXPECT_EQ(requests_.Parameters().mode, kStaticMode);  // what was asked
  EXPECT_EQ(pass_.Engine().Parameters().mode, 0);       // what is drawn
  EXPECT_EQ(Led(2), LedEntry{});

  Apply();
  EXPECT_EQ(pass_.Engine().Parameters().mode, kStaticMode);
  EXPECT_EQ(Led(2), (LedEntry{1, 2, 3, 4}));
  // Taken once: a second batch holds nothing.
  const LightRequestBatch empty = requests_.Take();
  EXPECT_FALSE(empty.parameters || empty.ledCount || empty.customSteps || empty.areaList);
  EXPECT_TRUE(empty.ledValues.empty());

  // A resize drops the LED writes asked for the old frame.
  requests_.SetLedValue(1, 0xFFFFFFFF);
  requests_.SetLedCount(3);
  Apply();
  EXPECT_EQ(pass_.Engine().LedCount(), 3u);
  EXPECT_EQ(Led(1), LedEntry{});
}

TEST_F(LightingPassTest, StepsAtTheModesCadenceAndPublishesACopy) {
  // The spectrum at speed 0 steps every 8 ticks: 16 ms.
  LightParameters spectrum = Parameters(1, 0);
  spectrum.direction = 1;
  requests_.SetParameters(spectrum);
  Apply();
  const std::uint8_t first = pass_.Engine().State().step;
  pass_.Advance(now_ += 15);
  EXPECT_EQ(pass_.Engine().State().step, first);
  pass_.Advance(now_ += 1);
  pass_.Advance(now_ += 32);
  EXPECT_EQ(pass_.Engine().State().step, first + 3);

  LightSnapshot snapshot;
  pass_.Publish(snapshot);
  EXPECT_EQ(snapshot.state.step, first + 3);
  EXPECT_EQ(snapshot.parameters.mode, 1);
  ASSERT_EQ(snapshot.frame.size(), kMouseLeds);
  EXPECT_EQ(snapshot.frame[0], Led(0));
  pass_.Advance(now_ += 16);
  EXPECT_NE(snapshot.frame[0], Led(0)) << "the snapshot is a copy";
}

TEST_F(LightingPassTest, OnlyAStillPictureOnceDrawnLetsTheThreadSleepUntilARequest) {
  struct Case {
    std::uint8_t mode;
    bool still;
  };
  // Static and off draw one picture; every other mode, the reactive one too, moves on by itself.
  constexpr std::array<Case, 6> cases{
      {{3, true}, {10, true}, {0, false}, {1, false}, {6, false}, {12, false}}};
  for (const Case& c : cases) {
    requests_.SetParameters(Parameters(c.mode));
    Apply();
    EXPECT_FALSE(pass_.IsStill()) << "not drawn yet, mode " << int{c.mode};
    Tick();
    EXPECT_EQ(pass_.IsStill(), c.still) << int{c.mode};
    requests_.SetLedValue(0, 0);
    Apply();
    EXPECT_FALSE(pass_.IsStill()) << "a request waits for the next step, mode " << int{c.mode};
  }
  // The mouse pad's area pass may animate any LED, whatever the mode.
  LightRequests requests;
  LightingPass pad(LightClass::kMousePad);
  requests.SetLedCount(3);
  requests.SetParameters(Parameters(3));
  pad.Restart(0);
  pad.Apply(requests.Take(), 0);
  pad.Advance(LightCadence::kTickMs);
  EXPECT_FALSE(pad.IsStill());
}

TEST_F(LightingPassTest, AButtonPressLightsOnlyTheReactiveMode) {
  requests_.SetParameters(Parameters(kReactiveMode));
  Apply();
  Tick();
  EXPECT_TRUE(AllLeds(LedEntry{200, 0, 0, 0})) << "dark until a button is pressed";

  requests_.TriggerReactive();
  Apply();
  // Every LED rises to full in the fixed colour and fades by 15 a step, drawn at the level's 255.
  for (int intensity = 255; intensity >= 0; intensity -= ReactiveLeds::kStepAmount) {
    Tick();
    const auto drawn = static_cast<std::uint8_t>(255 * intensity / 256);
    EXPECT_TRUE(AllLeds(LedEntry{200, 0, 0, drawn})) << intensity;
  }
  Tick();
  EXPECT_TRUE(AllLeds(LedEntry{200, 0, 0, 0}));

  // In another mode a press changes nothing.
  requests_.SetParameters(Parameters(kStaticMode));
  Apply();
  Tick();
  const LedEntry lit{200, 0, 0, 255};
  ASSERT_TRUE(AllLeds(lit));
  requests_.TriggerReactive();
  Apply();
  Tick();
  EXPECT_TRUE(AllLeds(lit));
  requests_.SetParameters(Parameters(kReactiveMode));
  Apply();
  Tick();
  EXPECT_EQ(Led(0).intensity, 0) << "a press in another mode is not kept for later";
}

TEST_F(LightingPassTest, CustomModesPlayTheRequestedStepsAndClearWithoutThem) {
  LightEffectStep blue;
  blue.ledRegMode = 1;  // static
  blue.ledBrightness = 4;
  blue.ledSpeed = 4;
  blue.blue = 255;
  blue.time = 1000;
  requests_.SetParameters(Parameters(kFirstCustomMode));
  requests_.SetCustomSteps({blue});
  Apply();
  for (int pass = 0; pass < 3; ++pass) Tick();
  EXPECT_TRUE(AllLeds(LedEntry{0, 0, 255, 255}));

  requests_.SetCustomSteps({});
  Apply();
  Tick();
  EXPECT_TRUE(AllLeds(LedEntry{}));
}

TEST(LightingPass, TheMousePadRunsItsAreaPassAfterTheModesStep) {
  LightRequests requests;
  LightingPass pass(LightClass::kMousePad);
  requests.SetLedCount(3);
  LightParameters staticGreen = Parameters(3);
  staticGreen.colour = {0, 200, 0};
  requests.SetParameters(staticGreen);
  LightListEntry off;
  off.ledRegMode = 4;
  off.present = 1;
  LightListEntry staticBlue;
  staticBlue.ledRegMode = 1;
  staticBlue.ledBrightness = 2;
  staticBlue.blue = 90;
  staticBlue.present = 1;
  requests.SetAreaList({off, staticBlue});
  pass.Restart(0);
  pass.Apply(requests.Take(), 0);
  pass.Advance(LightCadence::kTickMs);
  const std::array<LedEntry, 3> expected{{{0, 0, 0, 0}, {0, 0, 90, 135}, {0, 200, 0, 255}}};
  const std::span<const LedEntry> frame = pass.Engine().Frame();
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), expected.begin(), expected.end()));
}

}  // namespace
}  // namespace nimbel
