#include "devices/light_steps.h"

#include <algorithm>
#include <utility>

namespace nimbel {
namespace light_tables {
namespace {

// The short curve is the upper part of the breathing curve (from 22 up to 255 and back), so a wave
// built on it swells like breathing but never goes dark.
constexpr std::size_t kShortCurveStart = 16;
constexpr std::size_t kShortCurveRising = kShortBreathingSteps / 2;
static_assert(kShortCurveStart + kShortCurveRising == kBreathingSteps / 2);

std::array<std::uint8_t, kShortBreathingSteps> BuildShortBreathingCurve() {
  std::array<std::uint8_t, kShortBreathingSteps> curve{};
  const auto rising = std::span(BreathingCurve()).subspan(kShortCurveStart, kShortCurveRising);
  std::copy(rising.begin(), rising.end(), curve.begin());
  std::copy(rising.rbegin(), rising.rend(), curve.begin() + kShortCurveRising);
  return curve;
}

struct LedGroup {
  std::array<std::uint8_t, 3> leds;
  std::size_t count;
};
constexpr std::array<LedGroup, kMouseGroupCount> kLedGroups{{
    {{0, 13}, 2},
    {{1, 12}, 2},
    {{2, 11}, 2},
    {{3, 10}, 2},
    {{4, 9}, 2},
    {{5, 8}, 2},
    {{6, 14, 7}, 3},
}};

}  // namespace

const std::array<std::uint8_t, kShortBreathingSteps>& ShortBreathingCurve() {
  static const std::array<std::uint8_t, kShortBreathingSteps> curve = BuildShortBreathingCurve();
  return curve;
}

std::span<const std::uint8_t> MouseLedGroup(std::size_t group) {
  if (group >= kMouseGroupCount) return {};
  return std::span(kLedGroups[group].leds).first(kLedGroups[group].count);
}

}  // namespace light_tables

namespace {

using namespace light_tables;

// Ticks between steps per speed level 0..4.
using Intervals = std::array<std::uint32_t, kTopLevel + 1>;
constexpr Intervals kStandardIntervals{8, 6, 4, 2, 1};
// Reaches every pass at the top level.
constexpr Intervals kFastIntervals{8, 5, 3, 1, 0};
// The mouse's travelling segment moves at half the pace of its other steps.
constexpr Intervals kMouseSegmentIntervals{16, 12, 8, 4, 2};
constexpr Intervals kKeyboardMode2Intervals{12, 8, 5, 0, 0};
constexpr Intervals kKeyboardMode17Intervals{3, 3, 3, 3, 0};
constexpr Intervals kKeyboardRippleIntervals{2, 2, 2, 2, 2};

// The modes from `first` to `last` run `step` at `intervals`; a mode in no row plays the custom effect.
struct ModeRow {
  std::uint8_t first;
  std::uint8_t last;
  LightStep step;
  const Intervals* intervals;
};

constexpr std::array<ModeRow, 10> kMouseModes{{
    {.first = 0, .last = 0, .step = LightStep::kWave, .intervals = &kStandardIntervals},
    {.first = 1, .last = 1, .step = LightStep::kSpectrum, .intervals = &kStandardIntervals},
    {.first = 2, .last = 2, .step = LightStep::kBreathing, .intervals = &kStandardIntervals},
    {.first = 3, .last = 3, .step = LightStep::kStatic, .intervals = &kStandardIntervals},
    {.first = 4, .last = 4, .step = LightStep::kFlash, .intervals = &kStandardIntervals},
    {.first = 5, .last = 5, .step = LightStep::kTravellingSegment, .intervals = &kMouseSegmentIntervals},
    {.first = 6, .last = 6, .step = LightStep::kReactive, .intervals = &kStandardIntervals},
    {.first = 7, .last = 7, .step = LightStep::kColourCycle, .intervals = &kStandardIntervals},
    {.first = 8, .last = 8, .step = LightStep::kFlashCycle, .intervals = &kStandardIntervals},
    {.first = 10, .last = 10, .step = LightStep::kClear, .intervals = &kStandardIntervals},
}};

constexpr std::array<ModeRow, 8> kMousePadModes{{
    {.first = 0, .last = 0, .step = LightStep::kWave, .intervals = &kStandardIntervals},
    {.first = 1, .last = 1, .step = LightStep::kSpectrum, .intervals = &kStandardIntervals},
    {.first = 2, .last = 2, .step = LightStep::kBreathing, .intervals = &kStandardIntervals},
    {.first = 3, .last = 3, .step = LightStep::kStatic, .intervals = &kStandardIntervals},
    {.first = 4, .last = 4, .step = LightStep::kFlash, .intervals = &kStandardIntervals},
    {.first = 6, .last = 6, .step = LightStep::kPadLedSegment, .intervals = &kStandardIntervals},
    {.first = 7, .last = 7, .step = LightStep::kPadPairSegment, .intervals = &kStandardIntervals},
    {.first = 8, .last = 8, .step = LightStep::kClear, .intervals = &kStandardIntervals},
}};

// The keyboard's per-key modes run its own effects (kNone here) at their intervals.
constexpr std::array<ModeRow, 17> kKeyboardModes{{
    {.first = 1, .last = 1, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 2, .last = 2, .step = LightStep::kNone, .intervals = &kKeyboardMode2Intervals},
    {.first = 3, .last = 3, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 4, .last = 4, .step = LightStep::kSpectrum, .intervals = &kFastIntervals},
    {.first = 5, .last = 5, .step = LightStep::kBreathing, .intervals = &kFastIntervals},
    {.first = 6, .last = 6, .step = LightStep::kStatic, .intervals = &kFastIntervals},
    {.first = 7, .last = 16, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 17, .last = 17, .step = LightStep::kNone, .intervals = &kKeyboardMode17Intervals},
    {.first = 18, .last = 18, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 20, .last = 22, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 23, .last = 23, .step = LightStep::kFlash, .intervals = &kFastIntervals},
    {.first = 24, .last = 25, .step = LightStep::kNone, .intervals = &kFastIntervals},
    {.first = 26, .last = 26, .step = LightStep::kColourCycle, .intervals = &kFastIntervals},
    {.first = 27, .last = 27, .step = LightStep::kFlashCycle, .intervals = &kFastIntervals},
    {.first = 28, .last = 28, .step = LightStep::kClear, .intervals = &kFastIntervals},
    {.first = 29, .last = 29, .step = LightStep::kNone, .intervals = &kKeyboardRippleIntervals},
    {.first = 30, .last = 30, .step = LightStep::kExternalColour, .intervals = &kFastIntervals},
}};

std::span<const ModeRow> ModesOf(LightClass lightClass) {
  switch (lightClass) {
    case LightClass::kMouse:
      return kMouseModes;
    case LightClass::kMousePad:
      return kMousePadModes;
    case LightClass::kKeyboard:
      return kKeyboardModes;
  }
  return {};
}

// Speed and brightness levels come from profiles and effect files, which may hold any byte.
std::size_t LevelIndex(std::uint8_t level) {
  return std::min(level, kTopLevel);
}

constexpr std::size_t kWaveUnitOffset = 7;
constexpr std::uint8_t kSegmentColourAdvance = 12;
constexpr std::size_t kCustomWaveSpacing = 12;
constexpr std::size_t kCustomFlashPhases = 128;
constexpr std::uint8_t kCustomFlashColourOffset = 14;
constexpr std::uint8_t kCustomStaticPhaseLast = 8;
constexpr std::size_t kPairRingEntries = 8;
constexpr std::uint8_t kAreaBreathingStride = 4;
constexpr std::uint8_t kAreaFlashColourAdvance = 14;

// Modes of a custom effect's steps and of the area list's entries (their LEDREGMode).
enum class CustomMode : std::uint8_t { kBreathing = 0, kStatic = 1, kFlash = 2, kWave = 4, kColourCycle = 5 };
enum class AreaMode : std::uint8_t { kBreathing = 0, kStatic = 1, kFlash = 2, kSpectrum = 3, kOff = 4 };

// Counters shared between steps of different ranges may meet an index another step left behind; the
// lookup wraps into the table instead of reading past it.
Rgb Wheel(std::size_t index) {
  return ColourWheel()[index % kWheelSize];
}

std::uint8_t Weigh(std::uint8_t level, std::uint8_t intensity) {
  return static_cast<std::uint8_t>(level * intensity / 256);
}

std::uint8_t LevelValue(const LightingEngine& engine) {
  return BrightnessValue(engine.Parameters().brightness);
}

bool Forwards(const LightingEngine& engine) {
  return engine.Parameters().direction != 0;
}

LedEntry Entry(Rgb colour, std::uint8_t intensity) {
  return {colour.red, colour.green, colour.blue, intensity};
}

Rgb ColourAt(const LightingEngine& engine, std::size_t led) {
  const LedEntry entry = LedEntry::FromValue(engine.GetLedValue(static_cast<int>(led)));
  return {entry.red, entry.green, entry.blue};
}

void Paint(LightingEngine& engine, std::size_t led, const LedEntry& entry) {
  engine.SetLedValue(static_cast<int>(led), entry.Value());
}

void FillFrame(LightingEngine& engine, const LedEntry& entry) {
  for (std::size_t led = 0; led < engine.LedCount(); ++led) Paint(engine, led, entry);
}

// The wave's position moves one step: over the whole wheel in colour, over the short curve in one colour.
std::uint8_t StepWave(LightingEngine& engine) {
  const bool multiColour = engine.Parameters().multiColour != 0;
  std::uint8_t& position = engine.State().step;
  position = CyclicStep(position, multiColour ? kWheelHues : kShortBreathingSteps, Forwards(engine));
  return position;
}

LedEntry WaveEntry(const LightingEngine& engine, std::size_t offset) {
  const LightParameters& parameters = engine.Parameters();
  if (parameters.multiColour != 0) return Entry(Wheel(offset % kWheelHues), LevelValue(engine));
  return Entry(parameters.colour,
               Weigh(LevelValue(engine), ShortBreathingCurve()[offset % kShortBreathingSteps]));
}

std::size_t WaveOffset(std::uint8_t position, std::size_t unit) {
  return position + 1 + kWaveUnitOffset * unit;
}

void RotateRingPart(KeyEffects& effects, std::size_t entries, bool towardsEnd) {
  const auto part = effects.Ring().first(entries);
  if (towardsEnd) {
    std::rotate(part.rbegin(), part.rbegin() + 1, part.rend());
  } else {
    std::rotate(part.begin(), part.begin() + 1, part.end());
  }
}

void StepSegmentPosition(LightingEngine& engine) {
  std::uint8_t& position = engine.State().step;
  position = CyclicStep(position, kWheelHues, Forwards(engine));
}

// In colour, every unit moves the position on; while the segment's head is lit the units keep the colour
// they have, so a segment does not change colour on its way.
Rgb SegmentColour(LightingEngine& engine, bool headLit, std::size_t firstLed) {
  const LightParameters& parameters = engine.Parameters();
  if (parameters.multiColour == 0) return parameters.colour;
  std::uint8_t& position = engine.State().step;
  position = static_cast<std::uint8_t>(position + kSegmentColourAdvance);
  if (headLit) return ColourAt(engine, firstLed);
  return Wheel(position >= kWheelHues ? position - kWheelHues : position);
}

// Unit u (a group, a pair or one LED) fades by its key intensity; `ledsOf(u)` names its LEDs.
template <typename LedsOf>
void DrawSegment(LightingEngine& engine, KeyEffects& effects, std::size_t unitCount, LedsOf ledsOf) {
  if (unitCount == 0) return;
  const std::size_t head = Forwards(engine) ? 0 : unitCount - 1;
  const auto intensities = effects.Intensities();
  for (std::size_t unit = 0; unit < unitCount; ++unit) {
    effects.DecayKeyEffect(unit, engine.Parameters().mode);
    const auto leds = ledsOf(unit);
    const Rgb colour = SegmentColour(engine, intensities[head] != 0, leds[0]);
    const LedEntry entry = Entry(colour, Weigh(LevelValue(engine), intensities[unit]));
    for (std::size_t led : leds) Paint(engine, led, entry);
  }
}

// The pad's segments travel at half the mouse's pace: the ring moves on every second step only.
void MovePadSegment(LightingEngine& engine, KeyEffects& effects, bool& everySecond, std::size_t ringEntries,
                    bool towardsEnd) {
  StepSegmentPosition(engine);
  if (everySecond) {
    effects.SeedKeyEffects();
    RotateRingPart(effects, ringEntries, towardsEnd);
  }
  everySecond = !everySecond;
}

Rgb StepColour(const LightEffectStep& step) {
  return {step.red, step.green, step.blue};
}

Rgb EntryColour(const LightListEntry& entry) {
  return {entry.red, entry.green, entry.blue};
}

Rgb AreaColour(const LightListEntry& entry, std::uint8_t colourIndex) {
  return entry.ledMultiColour != 0 ? Wheel(colourIndex) : EntryColour(entry);
}

void StepAreaBreathing(std::uint8_t speedLevel, std::uint8_t& step, std::uint8_t& colourIndex) {
  step = static_cast<std::uint8_t>(step + LevelIndex(speedLevel) + kAreaBreathingStride);
  if (step < kBreathingSteps) return;
  step = 0;
  // The index stops at the wheel's end instead of wrapping; only the flash timer takes it round.
  colourIndex = colourIndex >= kWheelHues ? static_cast<std::uint8_t>(kWheelHues - 1)
                                          : static_cast<std::uint8_t>(colourIndex + 1);
}

void StepAreaSpectrum(std::uint32_t interval, std::uint32_t& counter, std::uint8_t& colourIndex) {
  if (++counter < interval) return;
  counter = 0;
  colourIndex = colourIndex >= kWheelHues - 1 ? 0 : static_cast<std::uint8_t>(colourIndex + 1);
}

void DrawCustomWave(LightingEngine& engine, const LightEffectStep& step, std::uint8_t phase,
                    std::uint8_t level) {
  std::size_t hue = step.ledDirection == 0 ? (phase + 1) % kWheelHues
                    : phase == 0           ? kWheelHues - 1
                                           : kWheelHues - phase;
  for (std::size_t led = 0; led < engine.LedCount(); ++led) {
    if (step.ledMultiColour != 0) {
      Paint(engine, led, Entry(Wheel(hue), level));
      hue = (hue + kCustomWaveSpacing) % kWheelHues;
    } else {
      hue = (hue + kCustomWaveSpacing) % kShortBreathingSteps;
      Paint(engine, led, Entry(StepColour(step), Weigh(level, ShortBreathingCurve()[hue])));
    }
  }
}

}  // namespace

StepChoice ChooseLightStep(LightClass lightClass, std::uint8_t mode, std::uint8_t speedLevel) {
  const std::span<const ModeRow> rows = ModesOf(lightClass);
  const auto row =
      std::ranges::find_if(rows, [mode](const ModeRow& r) { return r.first <= mode && mode <= r.last; });
  if (row == rows.end()) return {LightStep::kCustom, 0};
  return {row->step, (*row->intervals)[LevelIndex(speedLevel)]};
}

void MouseWave(LightingEngine& engine) {
  const std::uint8_t position = StepWave(engine);
  for (std::size_t group = 0; group < kMouseGroupCount; ++group) {
    const LedEntry entry = WaveEntry(engine, WaveOffset(position, group));
    for (std::uint8_t led : MouseLedGroup(group)) Paint(engine, led, entry);
  }
}

void PadWave(LightingEngine& engine) {
  const std::uint8_t position = StepWave(engine);
  for (std::size_t led = 0; led < engine.LedCount(); ++led) {
    Paint(engine, led, WaveEntry(engine, WaveOffset(position, led)));
  }
}

void MouseTravellingSegment(LightingEngine& engine, KeyEffects& effects) {
  StepSegmentPosition(engine);
  effects.SeedKeyEffects();
  effects.RotateKeyEffects(Forwards(engine));
  DrawSegment(engine, effects, kMouseGroupCount, MouseLedGroup);
}

void ResetForSegment(KeyEffects& effects) {
  effects.ResetKeyEffects();
  effects.Ring()[0] = 1;
}

void PadPairSegment(LightingEngine& engine, KeyEffects& effects, bool& everySecond) {
  MovePadSegment(engine, effects, everySecond, kPairRingEntries, !Forwards(engine));
  DrawSegment(engine, effects, kPadPairCount,
              [](std::size_t pair) { return std::span<const std::uint8_t>(kPadLedPairs[pair]); });
}

void PadLedSegment(LightingEngine& engine, KeyEffects& effects, bool& everySecond) {
  MovePadSegment(engine, effects, everySecond, KeyEffects::kRingSize, Forwards(engine));
  DrawSegment(engine, effects, std::min(engine.LedCount(), KeyEffects::kKeyCount),
              [](std::size_t led) { return std::array<std::size_t, 1>{led}; });
}

void ExternalColour(LightingEngine& engine) {
  const std::array<std::uint8_t, 3>& extra = engine.Parameters().extra;
  FillFrame(engine, Entry({extra[0], extra[1], extra[2]}, LevelValue(engine)));
}

void ReactiveLeds::Trigger(std::minstd_rand& random) {
  std::uniform_int_distribution<int> hue(0, kWheelHues - 1);
  for (Led& led : leds_)
    led = {Phase::kRising, KeyEffects::kFullIntensity, static_cast<std::uint8_t>(hue(random))};
}

// A trigger starts the rise at full, so the first step shows full and the fade follows one step per 15.
void ReactiveLeds::Advance(Led& led) {
  switch (led.phase) {
    case Phase::kRising:
      led.intensity = static_cast<std::uint8_t>(std::min(led.intensity + kStepAmount, 255));
      if (led.intensity == KeyEffects::kFullIntensity) led.phase = Phase::kFalling;
      return;
    case Phase::kFalling:
      led.intensity =
          led.intensity > kStepAmount ? static_cast<std::uint8_t>(led.intensity - kStepAmount) : 0;
      if (led.intensity == 0) led.phase = Phase::kNone;
      return;
    case Phase::kNone:
      return;
  }
}

void ReactiveLeds::Step(LightingEngine& engine) {
  const LightParameters& parameters = engine.Parameters();
  const std::size_t count = std::min(engine.LedCount(), leds_.size());
  for (std::size_t n = 0; n < count; ++n) {
    Led& led = leds_[n];
    Advance(led);
    const Rgb colour = parameters.multiColour != 0 ? Wheel(led.colourIndex) : parameters.colour;
    Paint(engine, n, Entry(colour, Weigh(LevelValue(engine), led.intensity)));
  }
}

void ReactiveLeds::Reset() {
  leds_.fill({});
}

std::uint8_t ReactiveLeds::Intensity(std::size_t led) const {
  return led < leds_.size() ? leds_[led].intensity : 0;
}

void CustomEffectPlayer::SetSteps(std::vector<LightEffectStep> steps, std::uint32_t nowMs) {
  steps_ = std::move(steps);
  index_ = 0;
  stepBeganMs_ = nowMs;
}

void CustomEffectPlayer::Pass(LightingEngine& engine, std::uint32_t nowMs) {
  if (steps_.empty()) return engine.ClearLightFrame();
  const LightEffectStep& step = steps_[index_];
  const bool due = CountPass(step);
  // The flash runs its phase and timer on every pass; the other modes draw when their interval is due.
  if (static_cast<CustomMode>(step.ledRegMode) == CustomMode::kFlash) {
    Flash(engine, step, nowMs);
  } else if (due) {
    Draw(engine, step);
  }
  NextStepAfterItsTime(nowMs);
}

bool CustomEffectPlayer::CountPass(const LightEffectStep& step) {
  const bool colourCycle = static_cast<CustomMode>(step.ledRegMode) == CustomMode::kColourCycle;
  const Intervals& intervals = colourCycle ? kFastIntervals : kStandardIntervals;
  if (++passes_ < intervals[LevelIndex(step.ledSpeed)]) return false;
  passes_ = 0;
  return true;
}

void CustomEffectPlayer::Draw(LightingEngine& engine, const LightEffectStep& step) {
  const std::uint8_t level = BrightnessValue(step.ledBrightness);
  switch (static_cast<CustomMode>(step.ledRegMode)) {
    case CustomMode::kBreathing: {
      phase_ = static_cast<std::uint8_t>((phase_ + 1) % kBreathingSteps);
      const Rgb colour = step.ledMultiColour != 0 ? Wheel(0) : StepColour(step);
      return FillFrame(engine, Entry(colour, Weigh(level, BreathingCurve()[phase_])));
    }
    case CustomMode::kStatic:
      // The static step does not show its phase, but the steps after it start from where it left it.
      phase_ = phase_ >= kCustomStaticPhaseLast ? 0 : static_cast<std::uint8_t>(phase_ + 1);
      return FillFrame(engine, Entry(StepColour(step), level));
    case CustomMode::kWave:
      phase_ = static_cast<std::uint8_t>((phase_ + 1) % kWheelHues);
      return DrawCustomWave(engine, step, phase_, level);
    case CustomMode::kColourCycle:
      phase_ = static_cast<std::uint8_t>((phase_ + 1) % kWheelHues);
      return FillFrame(engine, Entry(Wheel(phase_), level));
    case CustomMode::kFlash:
      return;
  }
  // Other modes of a file's step draw nothing.
}

void CustomEffectPlayer::Flash(LightingEngine& engine, const LightEffectStep& step, std::uint32_t nowMs) {
  phase_ = static_cast<std::uint8_t>((phase_ + 1) % kCustomFlashPhases);
  // Unsigned difference: the tick wraps after 49.7 days.
  if (nowMs - lastToggleMs_ >= FlashPeriodMs(engine.Parameters().speed)) {
    blink_ = !blink_;
    lastToggleMs_ = nowMs;
    colourIndex_ = static_cast<std::uint8_t>(phase_ + kCustomFlashColourOffset);
  }
  if (!blink_) return engine.ClearLightFrame();
  const Rgb colour = step.ledMultiColour != 0 ? Wheel(colourIndex_) : StepColour(step);
  FillFrame(engine, Entry(colour, BrightnessValue(step.ledBrightness)));
}

void CustomEffectPlayer::NextStepAfterItsTime(std::uint32_t nowMs) {
  const auto stepMs = static_cast<std::uint32_t>(std::max(steps_[index_].time, 0));
  if (nowMs - stepBeganMs_ <= stepMs) return;
  index_ = (index_ + 1) % steps_.size();
  stepBeganMs_ = nowMs;
}

void AreaPass::SetList(std::vector<LightListEntry> list, std::uint32_t nowMs) {
  if (list.size() > kMaxAreaLeds) list.resize(kMaxAreaLeds);
  list_ = std::move(list);
  state_.fill({});
  for (std::size_t led = 0; led < list_.size(); ++led) state_[led] = FreshState(list_[led], nowMs);
}

// Every entry's flash timer runs whatever its mode and moves the entry's colour, so every entry gets the
// period of its own speed: a period of 0 would move the colour on every pass.
AreaPass::LedState AreaPass::FreshState(const LightListEntry& entry, std::uint32_t nowMs) {
  return {.flashPeriodMs = FlashPeriodMs(entry.ledSpeed),
          .lastToggleMs = nowMs,
          .spectrumInterval = kStandardIntervals[LevelIndex(entry.ledSpeed)]};
}

void AreaPass::Pass(LightingEngine& engine, std::uint32_t nowMs) {
  for (std::size_t led = 0; led < list_.size(); ++led) {
    RunFlashTimer(state_[led], nowMs);
    if (led < engine.LedCount()) DrawLed(engine, led, list_[led], state_[led]);
  }
}

void AreaPass::RunFlashTimer(LedState& state, std::uint32_t nowMs) {
  if (nowMs - state.lastToggleMs < state.flashPeriodMs) return;
  state.blink = !state.blink;
  state.lastToggleMs = nowMs;
  const int next = state.colourIndex + kAreaFlashColourAdvance;
  state.colourIndex = next >= static_cast<int>(kWheelHues) ? 0 : static_cast<std::uint8_t>(next);
}

void AreaPass::DrawLed(LightingEngine& engine, std::size_t led, const LightListEntry& entry,
                       LedState& state) {
  const std::uint8_t level = BrightnessValue(entry.ledBrightness);
  switch (static_cast<AreaMode>(entry.ledRegMode)) {
    case AreaMode::kBreathing:
      if (entry.present == 0) return;
      StepAreaBreathing(entry.ledSpeed, state.breathingStep, state.colourIndex);
      return Paint(
          engine, led,
          Entry(AreaColour(entry, state.colourIndex), Weigh(level, BreathingCurve()[state.breathingStep])));
    case AreaMode::kStatic:
      return Paint(engine, led, Entry(EntryColour(entry), level));
    case AreaMode::kFlash:
      return Paint(engine, led,
                   state.blink ? Entry(AreaColour(entry, state.colourIndex), level) : LedEntry{});
    case AreaMode::kSpectrum:
      if (entry.present == 0) return;
      StepAreaSpectrum(state.spectrumInterval, state.spectrumCounter, state.colourIndex);
      return Paint(engine, led, Entry(Wheel(state.colourIndex), level));
    case AreaMode::kOff:
      return Paint(engine, led, LedEntry{});
  }
  // Modes the pass does not draw leave the LED as the mode's step made it.
}

}  // namespace nimbel
