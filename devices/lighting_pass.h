#pragma once

// Everything the lighting of one device computes, owned by one thread at a time: the lighting thread
// while it runs, the UI thread otherwise. Requests from other threads reach it only through Apply; what
// it computed reaches readers only through Publish, as a copy taken under the caller's frame lock.

#include <cstdint>
#include <random>
#include <vector>

#include "devices/light_cadence.h"
#include "devices/light_effects.h"
#include "devices/light_requests.h"
#include "devices/light_steps.h"

namespace nimbel {

// What readers outside the lighting thread see of it.
struct LightSnapshot {
  std::vector<LedEntry> frame;
  LightParameters parameters;
  EffectState state;
};

class LightingPass {
 public:
  explicit LightingPass(LightClass lightClass = LightClass::kMouse) : lightClass_(lightClass) {}

  // Only while no thread runs the pass.
  void SetLightClass(LightClass lightClass) { lightClass_ = lightClass; }

  void Apply(LightRequestBatch batch, std::uint32_t nowMs);
  // Counts from `nowMs` again, dropping the time that had accumulated (a channel that was closed).
  void Restart(std::uint32_t nowMs);
  // Runs the ticks that fell due since the last pass: the mode's step whenever its interval has passed
  // and, for the classes that have one, the area pass after every tick.
  void Advance(std::uint32_t nowMs);
  void Publish(LightSnapshot& snapshot) const;
  // True when the frame cannot change until a request arrives: the mode draws one still picture (static,
  // off) and has drawn it since the last request, and no area pass animates the LEDs. The thread then
  // sleeps until it is asked for something.
  bool IsStill() const;

  const LightingEngine& Engine() const { return engine_; }

 private:
  void ApplyParameters(const LightParameters& parameters);
  void RunStep(LightStep step, std::uint32_t nowMs);
  bool HasAreaPass() const { return lightClass_ != LightClass::kMouse; }

  LightClass lightClass_;
  LightingEngine engine_;
  KeyEffects keyEffects_;
  ReactiveLeds reactive_;
  CustomEffectPlayer custom_;
  AreaPass area_;
  LightCadence cadence_;
  std::uint32_t ticksSinceStep_ = 0;
  bool drawnSinceRequest_ = false;
  bool padEverySecond_ = false;
  // Seeded once per device; the reactive colours need to differ, not to be unpredictable.
  std::minstd_rand random_{std::random_device{}()};
};

}  // namespace nimbel
