#include "platform/event.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace nimbel {
namespace {

using Clock = std::chrono::steady_clock;

std::optional<Clock::time_point> DeadlineAfter(int timeoutMs) {
  if (timeoutMs < 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

// A waiter on several events at once: each event bumps the generation when set, so a wake-up that comes
// between the check of the events and the wait is never lost.
struct Event::Waiter {
  std::mutex mutex;
  std::condition_variable wake;
  std::uint64_t generation = 0;
};

Event::Event(ResetMode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

void Event::Set() {
  std::lock_guard lock(mutex_);
  set_ = true;
  changed_.notify_all();
  for (Waiter* waiter : waiters_) {
    std::lock_guard waiterLock(waiter->mutex);
    ++waiter->generation;
    waiter->wake.notify_all();
  }
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool Event::TryConsumeLocked() {
  if (!set_) return false;
  if (mode_ == ResetMode::kAuto) set_ = false;
  return true;
}

bool Event::TryConsume() {
  std::lock_guard lock(mutex_);
  return TryConsumeLocked();
}

bool Event::Wait(int timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto deadline = DeadlineAfter(timeoutMs);
  auto ready = [this] { return set_; };
  if (deadline) {
    if (!changed_.wait_until(lock, *deadline, ready)) return false;
  } else {
    changed_.wait(lock, ready);
  }
  return TryConsumeLocked();
}

void Event::AddWaiter(Waiter* waiter) {
  std::lock_guard lock(mutex_);
  waiters_.push_back(waiter);
}

void Event::RemoveWaiter(Waiter* waiter) {
  std::lock_guard lock(mutex_);
  waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), waiter), waiters_.end());
}

int WaitForAnyEvent(std::span<Event* const> events, int timeoutMs) {
  Event::Waiter waiter;
  for (Event* event : events) event->AddWaiter(&waiter);
  struct Unregister {
    std::span<Event* const> events;
    Event::Waiter* waiter;
    ~Unregister() {
      for (Event* event : events) event->RemoveWaiter(waiter);
    }
  } unregister{events, &waiter};

  const auto deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    std::uint64_t seen = 0;
    {
      std::lock_guard lock(waiter.mutex);
      seen = waiter.generation;
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i]->TryConsume()) return static_cast<int>(i);
    }
    std::unique_lock lock(waiter.mutex);
    auto woken = [&] { return waiter.generation != seen; };
    if (deadline) {
      if (!waiter.wake.wait_until(lock, *deadline, woken)) return -1;
    } else {
      waiter.wake.wait(lock, woken);
    }
  }
}

}  // namespace nimbel
