#pragma once

// What other threads ask of the lighting thread. They never touch the lighting state: they leave a
// request here and wake the thread, which takes every pending request at the start of its next pass. A
// newer request of a kind replaces an older one not yet taken; LED writes and reactive triggers
// accumulate.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "devices/light_effects.h"
#include "platform/event.h"
#include "profiles/profile_records.h"

namespace nimbel {

struct LightRequestBatch {
  std::optional<std::size_t> ledCount;
  std::optional<LightParameters> parameters;
  std::optional<std::vector<LightEffectStep>> customSteps;
  std::optional<std::vector<LightListEntry>> areaList;
  std::vector<std::pair<int, std::uint32_t>> ledValues;
  // Button presses since the last pass; each one restarts the reactive effect.
  int reactiveTriggers = 0;
};

class LightRequests {
 public:
  // Any thread.
  void SetLedCount(std::size_t count);
  void SetParameters(const LightParameters& parameters);
  void SetCustomSteps(std::vector<LightEffectStep> steps);
  void SetAreaList(std::vector<LightListEntry> list);
  void SetLedValue(int index, std::uint32_t value);
  void TriggerReactive();

  // The parameters last asked for: what the lighting draws from its next pass on.
  LightParameters Parameters() const;

  // The pending requests, leaving none.
  LightRequestBatch Take();
  // Set by every request; the lighting thread waits on it beside its stop event.
  Event& Arrived() { return arrived_; }

 private:
  template <typename Change>
  void Post(Change change);

  mutable std::mutex mutex_;
  LightRequestBatch pending_;
  LightParameters parameters_;
  Event arrived_{Event::ResetMode::kAuto};
};

}  // namespace nimbel
