#pragma once

// The main window's worker threads, by slot: each slot holds the way to stop one worker within a bound.

#include <array>
#include <cstddef>
#include <functional>

namespace nimbel {

class WorkerTable {
 public:
  static constexpr std::size_t kSlotCount = 20;
  static constexpr std::size_t kDetectionSlot = 0;
  static constexpr std::size_t kLightingSyncSlot = 8;
  static constexpr int kStopBoundMs = 1000;

  // Returns true when the worker ended within the bound; it must have ended in any case when it returns.
  using StopFunction = std::function<bool(int boundMs)>;

  WorkerTable() = default;
  // Stops whatever still runs.
  ~WorkerTable();
  WorkerTable(const WorkerTable&) = delete;
  WorkerTable& operator=(const WorkerTable&) = delete;

  // False for a slot beyond the table or one that is taken.
  bool Occupy(std::size_t slot, StopFunction stop);
  bool IsOccupied(std::size_t slot) const;

  // Stops the workers one after another in slot order and frees their slots; the number that needed
  // longer than their bound.
  int StopAll();

 private:
  std::array<StopFunction, kSlotCount> slots_;
};

}  // namespace nimbel
