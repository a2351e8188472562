#include "app/worker_table.h"

namespace nimbel {

WorkerTable::~WorkerTable() {
  StopAll();
}

bool WorkerTable::Occupy(std::size_t slot, StopFunction stop) {
  if (slot >= kSlotCount || slots_[slot] || !stop) return false;
  slots_[slot] = std::move(stop);
  return true;
}

bool WorkerTable::IsOccupied(std::size_t slot) const {
  return slot < kSlotCount && static_cast<bool>(slots_[slot]);
}

int WorkerTable::StopAll() {
  int late = 0;
  for (StopFunction& stop : slots_) {
    if (!stop) continue;
    if (!stop(kStopBoundMs)) ++late;
    stop = nullptr;
  }
  return late;
}

}  // namespace nimbel
