#include "devices/light_cadence.h"

#include <algorithm>

namespace nimbel {

void LightCadence::Restart(std::uint32_t nowMs) {
  lastMs_ = nowMs;
  carriedMs_ = 0;
}

std::uint32_t LightCadence::StepMs(std::uint32_t intervalTicks) {
  return std::max<std::uint32_t>(intervalTicks, 1) * kTickMs;
}

std::uint32_t LightCadence::StepsDue(std::uint32_t nowMs, std::uint32_t intervalTicks) {
  const std::uint32_t stepMs = StepMs(intervalTicks);
  // Unsigned difference: the tick wraps after 49.7 days.
  const std::uint64_t elapsed = static_cast<std::uint64_t>(nowMs - lastMs_) + carriedMs_;
  lastMs_ = nowMs;
  const std::uint64_t steps = elapsed / stepMs;
  if (steps > kMaxStepsPerPass) {
    carriedMs_ = 0;
    return kMaxStepsPerPass;
  }
  carriedMs_ = static_cast<std::uint32_t>(elapsed % stepMs);
  return static_cast<std::uint32_t>(steps);
}

}  // namespace nimbel
