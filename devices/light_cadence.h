#pragma once

// When the lighting thread runs its effect steps. An effect advances one step every `interval` ticks,
// where a tick is counted each time the tick count has moved on by more than a millisecond since the
// last counted one. Rather than waking every millisecond to count, the thread asks how many ticks fell
// due since its last pass, runs them, and sleeps for an output period: the same number of steps per
// elapsed time, at a fraction of the wake-ups.

#include <cstdint>

namespace nimbel {

class LightCadence {
 public:
  // More than one millisecond between counted ticks: two.
  static constexpr std::uint32_t kTickMs = 2;
  // A pass never runs more steps than this, so a thread that was held up (suspend, a loaded machine)
  // catches up with one effect cycle instead of replaying every step it missed.
  static constexpr std::uint32_t kMaxStepsPerPass = 192;
  // The page preview's frame period (about 30 frames a second). Waking more often would compute frames
  // that nobody sees, so the thread sleeps this long and runs the steps due in one batch. No effect steps
  // less often (the slowest interval is 16 ticks), so no step is ever late by more than one period.
  static constexpr std::uint32_t kOutputPeriodMs = 33;

  // Starts counting from `nowMs`, dropping whatever had accumulated.
  void Restart(std::uint32_t nowMs);

  // The steps that fell due between the last pass and `nowMs` for an effect that steps every
  // `intervalTicks` ticks (0 counts as 1: such an effect steps on every tick). Time that does not make a
  // whole step is kept for the next pass.
  std::uint32_t StepsDue(std::uint32_t nowMs, std::uint32_t intervalTicks);

 private:
  static std::uint32_t StepMs(std::uint32_t intervalTicks);

  std::uint32_t lastMs_ = 0;
  std::uint32_t carriedMs_ = 0;
};

}  // namespace nimbel
