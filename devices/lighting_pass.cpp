#include "devices/lighting_pass.h"

#include <utility>

namespace nimbel {
namespace {

// The mouse's reactive mode: a button press lights it.
constexpr std::uint8_t kMouseReactiveMode = 6;

}  // namespace

void LightingPass::Apply(LightRequestBatch batch, std::uint32_t nowMs) {
  if (batch.ledCount || batch.parameters || batch.customSteps || batch.areaList || !batch.ledValues.empty() ||
      batch.reactiveTriggers > 0) {
    drawnSinceRequest_ = false;
  }
  if (batch.ledCount) engine_.SetLedCount(*batch.ledCount);
  if (batch.parameters) ApplyParameters(*batch.parameters);
  if (batch.customSteps) custom_.SetSteps(std::move(*batch.customSteps), nowMs);
  if (batch.areaList) area_.SetList(std::move(*batch.areaList), nowMs);
  for (const auto& [index, value] : batch.ledValues) engine_.SetLedValue(index, value);
  const bool reactive = lightClass_ == LightClass::kMouse && engine_.Parameters().mode == kMouseReactiveMode;
  if (reactive && batch.reactiveTriggers > 0) reactive_.Trigger(random_);
}

void LightingPass::ApplyParameters(const LightParameters& parameters) {
  // A new mode starts the mouse's travelling segment from one lit group.
  if (lightClass_ == LightClass::kMouse && parameters.mode != engine_.Parameters().mode) {
    ResetForSegment(keyEffects_);
  }
  engine_.Parameters() = parameters;
}

void LightingPass::Restart(std::uint32_t nowMs) {
  cadence_.Restart(nowMs);
}

void LightingPass::Advance(std::uint32_t nowMs) {
  const LightParameters& parameters = engine_.Parameters();
  const StepChoice choice = ChooseLightStep(lightClass_, parameters.mode, parameters.speed);
  for (std::uint32_t ticks = cadence_.StepsDue(nowMs, 1); ticks > 0; --ticks) {
    if (++ticksSinceStep_ >= choice.intervalTicks) {
      ticksSinceStep_ = 0;
      RunStep(choice.step, nowMs);
      drawnSinceRequest_ = true;
    }
    if (HasAreaPass()) area_.Pass(engine_, nowMs);
  }
}

void LightingPass::RunStep(LightStep step, std::uint32_t nowMs) {
  switch (step) {
    case LightStep::kNone:
      return;
    case LightStep::kWave:
      return lightClass_ == LightClass::kMouse ? MouseWave(engine_) : PadWave(engine_);
    case LightStep::kSpectrum:
      return engine_.EffectSpectrum();
    case LightStep::kBreathing:
      return engine_.EffectBreathing();
    case LightStep::kStatic:
      return engine_.EffectStatic();
    case LightStep::kFlash:
      return engine_.EffectFlash(nowMs);
    case LightStep::kTravellingSegment:
      return MouseTravellingSegment(engine_, keyEffects_);
    case LightStep::kPadPairSegment:
      return PadPairSegment(engine_, keyEffects_, padEverySecond_);
    case LightStep::kPadLedSegment:
      return PadLedSegment(engine_, keyEffects_, padEverySecond_);
    case LightStep::kReactive:
      return reactive_.Step(engine_);
    case LightStep::kColourCycle:
      return engine_.EffectColourCycle();
    case LightStep::kFlashCycle:
      return engine_.EffectFlashCycle(nowMs);
    case LightStep::kClear:
      return engine_.ClearLightFrame();
    case LightStep::kExternalColour:
      return ExternalColour(engine_);
    case LightStep::kCustom:
      return custom_.Pass(engine_, nowMs);
  }
}

bool LightingPass::IsStill() const {
  if (!drawnSinceRequest_ || HasAreaPass()) return false;
  const LightParameters& parameters = engine_.Parameters();
  const LightStep step = ChooseLightStep(lightClass_, parameters.mode, parameters.speed).step;
  return step == LightStep::kStatic || step == LightStep::kClear;
}

void LightingPass::Publish(LightSnapshot& snapshot) const {
  const std::span<const LedEntry> frame = engine_.Frame();
  snapshot.frame.assign(frame.begin(), frame.end());
  snapshot.parameters = engine_.Parameters();
  snapshot.state = engine_.State();
}

}  // namespace nimbel
