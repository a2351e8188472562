#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace nimbel {

// A kernel-style event on a mutex and a condition variable. Worker loops poll their stop event with short
// waits and blocking calls take one as their cancel signal, so every wait in the program can be ended from
// outside and no thread ever has to be killed.
class Event {
 public:
  enum class ResetMode { kManual, kAuto };
  static constexpr int kInfinite = -1;

  explicit Event(ResetMode mode, bool initiallySet = false);
  ~Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // A manual-reset event stays set and releases every waiter until Reset; an auto-reset event releases
  // exactly one waiter per Set and clears itself as it does.
  void Set();
  void Reset();
  bool IsSet() const;

  // True when the event was (or became) set within timeoutMs; kInfinite (any negative value) waits for as
  // long as it takes. A successful wait on an auto-reset event consumes the signal.
  bool Wait(int timeoutMs);

 private:
  friend int WaitForAnyEvent(std::span<Event* const> events, int timeoutMs);
  struct Waiter;

  bool TryConsumeLocked();
  bool TryConsume();
  void AddWaiter(Waiter* waiter);
  void RemoveWaiter(Waiter* waiter);

  const ResetMode mode_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_;
  std::vector<Waiter*> waiters_;
};

// Waits until one of the events is set; returns its index (consuming it if it is auto-reset) or -1 on
// time-out. The first set event in the list wins when several are. Used where a blocking call must also
// end when its caller is asked to stop.
int WaitForAnyEvent(std::span<Event* const> events, int timeoutMs);

}  // namespace nimbel
