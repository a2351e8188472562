#include "devices/light_requests.h"

namespace nimbel {

template <typename Change>
void LightRequests::Post(Change change) {
  {
    std::lock_guard lock(mutex_);
    change(pending_);
  }
  arrived_.Set();
}

void LightRequests::SetLedCount(std::size_t count) {
  Post([count](LightRequestBatch& batch) {
    batch.ledCount = count;
    // Values written before the resize name LEDs of the old frame.
    batch.ledValues.clear();
  });
}

void LightRequests::SetParameters(const LightParameters& parameters) {
  Post([this, &parameters](LightRequestBatch& batch) {
    parameters_ = parameters;
    batch.parameters = parameters;
  });
}

void LightRequests::SetCustomSteps(std::vector<LightEffectStep> steps) {
  Post([&steps](LightRequestBatch& batch) { batch.customSteps = std::move(steps); });
}

void LightRequests::SetAreaList(std::vector<LightListEntry> list) {
  Post([&list](LightRequestBatch& batch) { batch.areaList = std::move(list); });
}

void LightRequests::SetLedValue(int index, std::uint32_t value) {
  Post([index, value](LightRequestBatch& batch) { batch.ledValues.emplace_back(index, value); });
}

void LightRequests::TriggerReactive() {
  Post([](LightRequestBatch& batch) { ++batch.reactiveTriggers; });
}

LightParameters LightRequests::Parameters() const {
  std::lock_guard lock(mutex_);
  return parameters_;
}

LightRequestBatch LightRequests::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(pending_, LightRequestBatch{});
}

}  // namespace nimbel
