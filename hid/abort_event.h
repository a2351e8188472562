#pragma once

// An event that ends a waiting transfer. It is an eventfd so that the Linux backend can wait on it and
// the device node with one poll(), and the virtual backend on it and its report queue.

#include <chrono>

namespace nimbel {

class AbortEvent {
 public:
  AbortEvent();
  ~AbortEvent();
  AbortEvent(const AbortEvent&) = delete;
  AbortEvent& operator=(const AbortEvent&) = delete;

  void Signal();
  // Clears a pending signal; true when there was one.
  bool Consume();
  int Fd() const { return fd_; }

 private:
  int fd_;
};

// The end of a transfer's time limit; a negative limit never ends.
class TransferDeadline {
 public:
  explicit TransferDeadline(int timeoutMs);
  // Milliseconds left for poll(): -1 without limit, 0 once expired, otherwise rounded up so that a wait
  // never wakes a fraction of a millisecond early and spins.
  int RemainingMs() const;

 private:
  bool infinite_;
  std::chrono::steady_clock::time_point end_;
};

enum class WaitResult { Ready, Aborted, TimedOut, Failed };

// Waits until `fd` reports one of `events`, the abort event is signalled or the deadline passes. A
// pending abort wins over a ready fd; hang-up or error on `fd` is Failed. The abort event is left
// signalled, so every transfer waiting on it ends.
WaitResult WaitForFd(int fd, short events, const AbortEvent& abort, const TransferDeadline& deadline);

}  // namespace nimbel
