#include "devices/light_effects.h"

#include <algorithm>

namespace nimbel {
namespace light_tables {
namespace {

// The breathing curve rises in runs of growing steps, so that the eye sees an even swell: steps of 1 up
// to 10, then 2 up to 24, 3 up to 45, and so on up to steps of 7 ending at 255.
struct CurveRun {
  std::uint8_t step;
  std::uint8_t end;
};
constexpr std::array<CurveRun, 7> kCurveRuns{
    {{1, 10}, {2, 24}, {3, 45}, {4, 89}, {5, 134}, {6, 206}, {7, 255}}};
constexpr std::size_t kRisingSteps = kBreathingSteps / 2;

constexpr std::array<std::uint8_t, kBreathingSteps> BuildBreathingCurve() {
  std::array<std::uint8_t, kBreathingSteps> curve{};
  std::size_t index = 0;
  int value = 0;
  curve[index++] = 0;
  for (const CurveRun& run : kCurveRuns) {
    while (value < run.end) {
      value += run.step;
      curve[index++] = static_cast<std::uint8_t>(value);
    }
  }
  for (std::size_t i = 0; i < kRisingSteps; ++i) curve[kBreathingSteps - 1 - i] = curve[i];
  return curve;
}

constexpr std::array<std::uint8_t, kBreathingSteps> kBreathingCurve = BuildBreathingCurve();
static_assert(kBreathingCurve[kRisingSteps - 1] == 255 && kBreathingCurve[kRisingSteps] == 255);

// The channel levels a wheel section passes through, 0 .. 255 in 33 values. The first steps are the
// small odd values; from there the ramp follows the breathing curve at every second entry, so hues change
// as evenly to the eye as the breathing does.
constexpr std::size_t kRampSize = kWheelSection + 1;
constexpr std::size_t kOddRampSteps = 4;

constexpr std::array<std::uint8_t, kRampSize> BuildWheelRamp() {
  std::array<std::uint8_t, kRampSize> ramp{};
  for (std::size_t j = 1; j < kRampSize; ++j) {
    const std::size_t i = j - 1;
    ramp[j] = i < kOddRampSteps ? static_cast<std::uint8_t>(2 * i + 1)
                                : kBreathingCurve[std::min(2 * i + 2, kRisingSteps - 1)];
  }
  return ramp;
}

constexpr std::array<std::uint8_t, kRampSize> kWheelRamp = BuildWheelRamp();

// Each section moves one channel through the ramp: red -> yellow -> green -> cyan -> blue -> magenta ->
// red. A rising channel takes ramp values 1..32, a falling one 31..0, so every section ends on its pure
// colour.
enum class Channel { kRed, kGreen, kBlue };
struct WheelSection {
  Rgb start;
  Channel moving;
  bool rising;
};
constexpr std::array<WheelSection, kWheelHues / kWheelSection> kWheelSections{{
    {{255, 0, 0}, Channel::kGreen, true},
    {{0, 255, 0}, Channel::kRed, false},
    {{0, 255, 0}, Channel::kBlue, true},
    {{0, 0, 255}, Channel::kGreen, false},
    {{0, 0, 255}, Channel::kRed, true},
    {{255, 0, 0}, Channel::kBlue, false},
}};

constexpr std::array<Rgb, kWheelSize> BuildColourWheel() {
  std::array<Rgb, kWheelSize> wheel{};
  for (std::size_t s = 0; s < kWheelSections.size(); ++s) {
    const WheelSection& section = kWheelSections[s];
    for (std::size_t i = 0; i < kWheelSection; ++i) {
      Rgb colour = section.start;
      const std::uint8_t level = section.rising ? kWheelRamp[i + 1] : kWheelRamp[kWheelSection - 1 - i];
      switch (section.moving) {
        case Channel::kRed:
          colour.red = level;
          break;
        case Channel::kGreen:
          colour.green = level;
          break;
        case Channel::kBlue:
          colour.blue = level;
          break;
      }
      wheel[s * kWheelSection + i] = colour;
    }
  }
  wheel[kWheelHues] = wheel[0];
  return wheel;
}

constexpr std::array<Rgb, kWheelSize> kColourWheel = BuildColourWheel();

}  // namespace

const std::array<Rgb, kWheelSize>& ColourWheel() {
  return kColourWheel;
}
const std::array<std::uint8_t, kBreathingSteps>& BreathingCurve() {
  return kBreathingCurve;
}

std::uint8_t BrightnessValue(std::uint8_t level) {
  return kBrightnessLevels[std::min(level, kTopLevel)];
}

std::uint32_t FlashPeriodMs(std::uint8_t speedLevel) {
  return kFlashPeriods[std::min(speedLevel, kTopLevel)] * kFlashUnitMs;
}

}  // namespace light_tables

namespace {

using namespace light_tables;

// Counters are shared between effects with different ranges, so a lookup may meet an index another
// effect left behind; it wraps into the table instead of reading past it.
Rgb WheelColour(std::size_t index) {
  return ColourWheel()[index % kWheelSize];
}
Rgb FourColour(std::size_t index) {
  return kFourColours[index % kFourColourCount];
}

std::uint8_t Scale(std::uint8_t value, std::uint8_t intensity) {
  return static_cast<std::uint8_t>(value * intensity / 256);
}

constexpr std::uint8_t kBreathingColourAdvance = 16;
constexpr std::uint8_t kFlashStepAdvance = 16;
constexpr std::size_t kLastCycleColour = kFourColourCount - 1;

}  // namespace

std::uint32_t LedEntry::Value() const {
  return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue) << 16 | static_cast<std::uint32_t>(intensity) << 24;
}

LedEntry LedEntry::FromValue(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::uint8_t CyclicStep(std::uint8_t step, std::size_t limit, bool forwards) {
  if (limit == 0) return 0;
  const std::size_t last = limit - 1;
  if (forwards) return step >= last ? 0 : static_cast<std::uint8_t>(step + 1);
  return (step == 0 || step > last) ? static_cast<std::uint8_t>(last) : static_cast<std::uint8_t>(step - 1);
}

void LightingEngine::SetLedCount(std::size_t count) {
  frame_.assign(count, LedEntry{});
}

void LightingEngine::SetLedValue(int index, std::uint32_t value) {
  if (index < 0 || static_cast<std::size_t>(index) >= frame_.size()) return;
  frame_[static_cast<std::size_t>(index)] = LedEntry::FromValue(value);
}

std::uint32_t LightingEngine::GetLedValue(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= frame_.size()) return 0;
  return frame_[static_cast<std::size_t>(index)].Value();
}

void LightingEngine::Fill(Rgb colour, std::uint8_t intensity) {
  std::fill(frame_.begin(), frame_.end(), LedEntry{colour.red, colour.green, colour.blue, intensity});
}

std::uint8_t LightingEngine::BreathingIntensity() const {
  return static_cast<std::uint8_t>(BreathingCurve()[state_.step % kBreathingSteps] * LevelValue() / 256);
}

void LightingEngine::EffectBreathing() {
  state_.step = CyclicStep(state_.step, kBreathingSteps, Forwards());
  if (state_.step == 0) {
    const int next = state_.colourIndex + kBreathingColourAdvance;
    state_.colourIndex = next > static_cast<int>(kWheelHues) ? 0 : static_cast<std::uint8_t>(next);
  }
  Fill(parameters_.multiColour != 0 ? WheelColour(state_.colourIndex) : parameters_.colour,
       BreathingIntensity());
}

void LightingEngine::EffectColourCycle() {
  state_.step = CyclicStep(state_.step, kBreathingSteps, Forwards());
  if (state_.step == 0) {
    state_.colourIndex =
        state_.colourIndex >= kLastCycleColour ? 0 : static_cast<std::uint8_t>(state_.colourIndex + 1);
  }
  Fill(FourColour(state_.colourIndex), BreathingIntensity());
}

void LightingEngine::EffectStatic() {
  Fill(parameters_.colour, LevelValue());
}

void LightingEngine::EffectSpectrum() {
  state_.step = CyclicStep(state_.step, kWheelHues, Forwards());
  Fill(WheelColour(state_.step), LevelValue());
}

bool LightingEngine::FlashToggled(std::uint32_t nowMs) {
  // Unsigned difference: the tick wraps after 49.7 days.
  if (nowMs - state_.lastBlinkMs < FlashPeriodMs(parameters_.speed)) return false;
  state_.blink = state_.blink != 0 ? 0 : 1;
  state_.lastBlinkMs = nowMs;
  return true;
}

void LightingEngine::EffectFlash(std::uint32_t nowMs) {
  if (FlashToggled(nowMs)) {
    const int next = state_.step + kFlashStepAdvance;
    state_.step = next >= static_cast<int>(kWheelHues) ? 0 : static_cast<std::uint8_t>(next);
  }
  if (state_.blink == 0) return ClearLightFrame();
  Fill(parameters_.multiColour != 0 ? WheelColour(state_.step) : parameters_.colour, LevelValue());
}

void LightingEngine::EffectFlashCycle(std::uint32_t nowMs) {
  if (FlashToggled(nowMs)) {
    state_.step = state_.step >= kLastCycleColour ? 0 : static_cast<std::uint8_t>(state_.step + 1);
  }
  if (state_.blink == 0) return ClearLightFrame();
  Fill(FourColour(state_.step), LevelValue());
}

void LightingEngine::ClearLightFrame() {
  Fill(Rgb{}, 0);
}

std::vector<std::uint8_t> ScaleLightFrame(std::span<const LedEntry> frame) {
  std::vector<std::uint8_t> scaled(frame.size() * 3);
  for (std::size_t led = 0; led < frame.size(); ++led) {
    const LedEntry& entry = frame[led];
    scaled[led * 3] = Scale(entry.red, entry.intensity);
    scaled[led * 3 + 1] = Scale(entry.green, entry.intensity);
    scaled[led * 3 + 2] = Scale(entry.blue, entry.intensity);
  }
  return scaled;
}

namespace {

// How much one decay step takes from a key's intensity, by the band the intensity lies in. Mode 29 (the
// keyboard's ripple) fades faster at the top and slower at the bottom.
struct DecayBand {
  std::uint8_t lowest;
  std::uint8_t mode0;
  std::uint8_t mode29;
  std::uint8_t other;
};
constexpr std::array<DecayBand, 9> kDecayBands{{
    {144, 40, 45, 40},
    {128, 40, 40, 40},
    {112, 30, 35, 30},
    {96, 30, 30, 30},
    {80, 30, 25, 30},
    {64, 30, 20, 30},
    {32, 15, 10, 10},
    {17, 8, 5, 8},
    {1, 1, 1, 1},
}};
constexpr int kRippleMode = 29;

}  // namespace

void KeyEffects::DecayKeyEffect(std::size_t key, int mode) {
  if (key >= kKeyCount) return;
  std::uint8_t& value = intensities_[key];
  for (const DecayBand& band : kDecayBands) {
    if (value < band.lowest) continue;
    const std::uint8_t amount = mode == 0 ? band.mode0 : mode == kRippleMode ? band.mode29 : band.other;
    value = value > amount ? static_cast<std::uint8_t>(value - amount) : 0;
    return;
  }
}

void KeyEffects::SeedKeyEffects() {
  for (std::size_t n = 0; n < kSeededKeys; ++n) {
    if (ring_[n] != 0) intensities_[n] = kFullIntensity;
  }
}

void KeyEffects::RotateKeyEffects(bool towardsEnd) {
  if (towardsEnd) {
    std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
  } else {
    std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
  }
}

void KeyEffects::ResetKeyEffects() {
  intensities_.fill(0);
  ring_.fill(0);
}

}  // namespace nimbel
