#pragma once

// The lighting steps of the device classes beyond the common ones of light_effects.h: which step each
// light mode runs and how often, the mouse's and the mouse pad's own steps (wave, travelling segment,
// reactive), the player of custom effects and the per-LED area pass. Pure computation on state that
// the lighting thread owns; nothing here locks or knows about threads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "devices/light_effects.h"
#include "profiles/profile_records.h"

namespace nimbel {

namespace light_tables {
inline constexpr std::size_t kShortBreathingSteps = 96;
const std::array<std::uint8_t, kShortBreathingSteps>& ShortBreathingCurve();

// The mouse's 15 LEDs in seven groups that light together (the last group has three LEDs).
inline constexpr std::size_t kMouseLedCount = 15;
inline constexpr std::size_t kMouseGroupCount = 7;
std::span<const std::uint8_t> MouseLedGroup(std::size_t group);

// The mouse pad's LEDs that light in pairs.
inline constexpr std::size_t kPadPairCount = 7;
inline constexpr std::array<std::array<std::uint8_t, 2>, kPadPairCount> kPadLedPairs{
    {{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};

// The LEDs the area pass keeps state for.
inline constexpr std::size_t kMaxAreaLeds = 170;
}  // namespace light_tables

// The lighting of each device class; it decides which step a mode runs.
enum class LightClass { kMouse, kMousePad, kKeyboard };

enum class LightStep {
  kNone,  // the class's own per-key effects, not drawn on the computer: the frame stays as it is
  kWave,
  kSpectrum,
  kBreathing,
  kStatic,
  kFlash,
  kTravellingSegment,  // mouse EffectKind2
  kPadPairSegment,     // mouse pad EffectKind2: the seven LED pairs
  kPadLedSegment,      // mouse pad EffectKind3: every LED on its own
  kReactive,
  kColourCycle,
  kFlashCycle,
  kClear,
  kExternalColour,
  kCustom,
};

struct StepChoice {
  LightStep step = LightStep::kNone;
  // Ticks between two steps; 0 runs the step on every pass.
  std::uint32_t intervalTicks = 0;
  bool operator==(const StepChoice&) const = default;
};

// The step of `mode` for the class and its interval at `speedLevel` (levels above the top read as the
// top).
StepChoice ChooseLightStep(LightClass lightClass, std::uint8_t mode, std::uint8_t speedLevel);

// Mouse EffectKind1 and mouse pad EffectKind1: the wave over the groups (mouse) or the LEDs (pad).
void MouseWave(LightingEngine& engine);
void PadWave(LightingEngine& engine);

// Mouse EffectKind2. `ResetForSegment` is what a mode change does before the first step, so that one
// segment travels.
void MouseTravellingSegment(LightingEngine& engine, KeyEffects& effects);
void ResetForSegment(KeyEffects& effects);

// Mouse pad EffectKind2 (the pairs) and EffectKind3 (every LED). The ring is seeded and rotated on every
// second step only; `everySecond` carries that count between steps.
void PadPairSegment(LightingEngine& engine, KeyEffects& effects, bool& everySecond);
void PadLedSegment(LightingEngine& engine, KeyEffects& effects, bool& everySecond);

// Keyboard EffectExternalColour: every LED in the colour held in the parameters' extra bytes (the low
// bytes of the keyboard's colour input), at the level value.
void ExternalColour(LightingEngine& engine);

// Mouse EffectKind3 and its trigger: every LED rises to full and fades out.
class ReactiveLeds {
 public:
  static constexpr std::uint8_t kStepAmount = 15;

  // Every LED rises from full at a random colour of the wheel. Callers check the mode.
  void Trigger(std::minstd_rand& random);
  void Step(LightingEngine& engine);
  void Reset();

  std::uint8_t Intensity(std::size_t led) const;

 private:
  enum class Phase : std::uint8_t { kNone, kRising, kFalling };
  struct Led {
    Phase phase = Phase::kNone;
    std::uint8_t intensity = 0;
    std::uint8_t colourIndex = 0;
  };
  static void Advance(Led& led);

  std::array<Led, light_tables::kMaxAreaLeds> leds_{};
};

// The player of a custom effect: its steps one after another, each for its time, drawn by its own mode.
class CustomEffectPlayer {
 public:
  // Starts the list from its first step at `nowMs`.
  void SetSteps(std::vector<LightEffectStep> steps, std::uint32_t nowMs);
  // One pass. An empty list clears the frame.
  void Pass(LightingEngine& engine, std::uint32_t nowMs);

  std::size_t StepIndex() const { return index_; }
  std::size_t StepCount() const { return steps_.size(); }

 private:
  // Counts the pass; true when it reaches the step's interval, which restarts the count.
  bool CountPass(const LightEffectStep& step);
  void Draw(LightingEngine& engine, const LightEffectStep& step);
  void Flash(LightingEngine& engine, const LightEffectStep& step, std::uint32_t nowMs);
  void NextStepAfterItsTime(std::uint32_t nowMs);

  std::vector<LightEffectStep> steps_;
  std::size_t index_ = 0;
  std::uint32_t stepBeganMs_ = 0;
  std::uint32_t passes_ = 0;
  std::uint8_t phase_ = 0;
  std::uint8_t colourIndex_ = 0;
  bool blink_ = false;
  std::uint32_t lastToggleMs_ = 0;
};

// The per-LED area pass of the keyboard, mouse pad and headset classes: LED n drawn by area-list entry n
// over what the mode's step made of it.
class AreaPass {
 public:
  // Replaces the list (entries beyond kMaxAreaLeds are dropped) and resets each LED's state.
  void SetList(std::vector<LightListEntry> list, std::uint32_t nowMs);
  void Pass(LightingEngine& engine, std::uint32_t nowMs);

  std::size_t EntryCount() const { return list_.size(); }

 private:
  struct LedState {
    std::uint8_t breathingStep = 0;
    std::uint8_t colourIndex = 0;
    std::uint32_t flashPeriodMs = 0;
    std::uint32_t lastToggleMs = 0;
    bool blink = false;
    std::uint32_t spectrumCounter = 0;
    std::uint32_t spectrumInterval = 0;
  };
  static LedState FreshState(const LightListEntry& entry, std::uint32_t nowMs);
  static void RunFlashTimer(LedState& state, std::uint32_t nowMs);
  static void DrawLed(LightingEngine& engine, std::size_t led, const LightListEntry& entry, LedState& state);

  std::vector<LightListEntry> list_;
  std::array<LedState, light_tables::kMaxAreaLeds> state_{};
};

}  // namespace nimbel
