#pragma once

// The software lighting of a device page: the frame of LED colours, the light parameters that choose an
// effect, and the effect steps that animate the frame. Pure computation: the device's lighting thread
// calls the steps at their cadence (light_cadence.h) and the page reads the frame, both under the
// device's frame lock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace nimbel {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// One LED of the frame. Its 32-bit form (SetLedValue / GetLedValue) holds the four bytes in this order,
// red in the lowest byte.
struct LedEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t intensity = 0;

  std::uint32_t Value() const;
  static LedEntry FromValue(std::uint32_t value);
  bool operator==(const LedEntry&) const = default;
};

// What the effect steps draw: zero until a profile or the lighting panel sets them.
struct LightParameters {
  std::uint8_t mode = 0;
  std::uint8_t brightness = 0;  // level 0..4
  std::uint8_t speed = 0;       // level 0..4
  std::uint8_t direction = 0;   // nonzero: forwards
  std::uint8_t multiColour = 0;
  Rgb colour;
  // Carried for the device classes.
  std::array<std::uint8_t, 3> extra{};
};

struct EffectState {
  std::uint8_t step = 0;
  std::uint8_t colourIndex = 0;
  std::uint8_t blink = 0;
  std::uint32_t lastBlinkMs = 0;
};

namespace light_tables {
// 192 hues from red round the wheel back to red, plus entry 192 = entry 0 so that an index one past the
// last still reads a colour.
inline constexpr std::size_t kWheelHues = 192;
inline constexpr std::size_t kWheelSize = kWheelHues + 1;
inline constexpr std::size_t kWheelSection = 32;
inline constexpr std::size_t kBreathingSteps = 128;
inline constexpr std::size_t kFourColourCount = 4;
inline constexpr std::uint8_t kTopLevel = 4;
inline constexpr std::array<Rgb, kFourColourCount> kFourColours{
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};
inline constexpr std::array<std::uint8_t, kTopLevel + 1> kBrightnessLevels{0, 80, 135, 195, 255};
// Flash periods per speed level, in units of kFlashUnitMs.
inline constexpr std::array<std::uint32_t, kTopLevel + 1> kFlashPeriods{8, 6, 4, 2, 1};
inline constexpr std::uint32_t kFlashUnitMs = 200;

const std::array<Rgb, kWheelSize>& ColourWheel();
const std::array<std::uint8_t, kBreathingSteps>& BreathingCurve();
// The value of a brightness level; levels above the top read as the top, since a profile may hold any
// byte there.
std::uint8_t BrightnessValue(std::uint8_t level);
std::uint32_t FlashPeriodMs(std::uint8_t speedLevel);
}  // namespace light_tables

// One move of an effect's step counter in the light direction: forwards L-1 wraps to 0, backwards 0
// wraps to L-1. A counter left beyond the limit by another effect restarts inside it.
std::uint8_t CyclicStep(std::uint8_t step, std::size_t limit, bool forwards);

// What the device classes send of a frame: three bytes per LED at LED x 3, each colour byte x
// intensity / 256.
std::vector<std::uint8_t> ScaleLightFrame(std::span<const LedEntry> frame);

class LightingEngine {
 public:
  // Resizes the frame to `count` LEDs, every entry cleared.
  void SetLedCount(std::size_t count);
  std::size_t LedCount() const { return frame_.size(); }

  // Out-of-range indexes are ignored on write and read as 0.
  void SetLedValue(int index, std::uint32_t value);
  std::uint32_t GetLedValue(int index) const;
  std::span<const LedEntry> Frame() const { return frame_; }

  LightParameters& Parameters() { return parameters_; }
  const LightParameters& Parameters() const { return parameters_; }
  EffectState& State() { return state_; }
  const EffectState& State() const { return state_; }

  void EffectBreathing();
  void EffectColourCycle();
  void EffectStatic();
  void EffectSpectrum();
  // The flash steps toggle by elapsed time; `nowMs` is the tick of this pass.
  void EffectFlash(std::uint32_t nowMs);
  void EffectFlashCycle(std::uint32_t nowMs);
  void ClearLightFrame();

 private:
  void Fill(Rgb colour, std::uint8_t intensity);
  bool Forwards() const { return parameters_.direction != 0; }
  std::uint8_t LevelValue() const { return light_tables::BrightnessValue(parameters_.brightness); }
  std::uint8_t BreathingIntensity() const;
  // Whether the flash period has passed; toggles the blink flag and notes the time when it has.
  bool FlashToggled(std::uint32_t nowMs);

  std::vector<LedEntry> frame_;
  LightParameters parameters_;
  EffectState state_;
};

// The per-key effect state of the reactive and travelling effects: one intensity per key and a ring of
// effect bytes that the steps rotate.
class KeyEffects {
 public:
  static constexpr std::size_t kKeyCount = 170;
  static constexpr std::size_t kRingSize = 23;
  // Ring entries that seed a key: the first nine.
  static constexpr std::size_t kSeededKeys = 9;
  static constexpr std::uint8_t kFullIntensity = 255;

  // Lowers the key's intensity by the amount its band and the mode give; never below 0. Keys beyond the
  // table are ignored.
  void DecayKeyEffect(std::size_t key, int mode);
  void SeedKeyEffects();
  // true: towards the end (the last entry becomes the first); false: towards the start.
  void RotateKeyEffects(bool towardsEnd);
  void ResetKeyEffects();

  std::span<std::uint8_t, kKeyCount> Intensities() { return intensities_; }
  std::span<const std::uint8_t, kKeyCount> Intensities() const { return intensities_; }
  std::span<std::uint8_t, kRingSize> Ring() { return ring_; }
  std::span<const std::uint8_t, kRingSize> Ring() const { return ring_; }

 private:
  std::array<std::uint8_t, kKeyCount> intensities_{};
  std::array<std::uint8_t, kRingSize> ring_{};
};

}  // namespace nimbel
