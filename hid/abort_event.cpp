#include "hid/abort_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace nimbel {

AbortEvent::AbortEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  // Without its abort event a transfer could never be ended by another thread.
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

AbortEvent::~AbortEvent() {
  close(fd_);
}

void AbortEvent::Signal() {
  const std::uint64_t one = 1;
  // Only fails when the counter would overflow, and then the event is already signalled.
  [[maybe_unused]] const auto written = write(fd_, &one, sizeof one);
}

bool AbortEvent::Consume() {
  std::uint64_t count = 0;
  return read(fd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count);
}

TransferDeadline::TransferDeadline(int timeoutMs)
    : infinite_(timeoutMs < 0),
      end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}

int TransferDeadline::RemainingMs() const {
  if (infinite_) return -1;
  const auto left = end_ - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

WaitResult WaitForFd(int fd, short events, const AbortEvent& abort, const TransferDeadline& deadline) {
  for (;;) {
    std::array<pollfd, 2> fds{{{abort.Fd(), POLLIN, 0}, {fd, events, 0}}};
    const int ready = poll(fds.data(), fds.size(), deadline.RemainingMs());
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitResult::Failed;
    }
    if (fds[0].revents & POLLIN) return WaitResult::Aborted;
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return WaitResult::Failed;
    if (fds[1].revents & events) return WaitResult::Ready;
    if (deadline.RemainingMs() == 0) return WaitResult::TimedOut;
  }
}

}  // namespace nimbel
