#pragma once

// An auto-reset event that ends a waiting transfer. It is an eventfd so that the Linux backend can wait
// on it and the device node with one poll(), and the virtual backend on it and its report queue.

namespace nimbel {

class AbortEvent {
 public:
  AbortEvent();
  ~AbortEvent();
  AbortEvent(const AbortEvent&) = delete;
  AbortEvent& operator=(const AbortEvent&) = delete;

  void Signal();
  // Clears a pending signal; true when there was one (auto-reset: a waiter that saw it consumes it).
  bool Consume();
  int Fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace nimbel
