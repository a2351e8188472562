#include "app/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace nimbel {
namespace {

constexpr std::array<int, 2> kSignals = {SIGTERM, SIGINT};

// The write end for the handler; a signal handler may only do async-signal-safe things, so it writes
// one byte and the event loop does the rest.
int gSignalWriteFd = -1;
std::array<int, 2> gSignalFds = {-1, -1};
std::array<struct sigaction, kSignals.size()> gPreviousActions{};

void OnSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gSignalWriteFd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onTerminate)
    : onTerminate_(std::move(onTerminate)) {
  if (gSignalWriteFd >= 0) return;  // one owner per process
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalFds.data()) != 0) return;
  gSignalWriteFd = gSignalFds[0];
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &gPreviousActions[i]);
  notifier_ = std::make_unique<QSocketNotifier>(gSignalFds[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char buffer[16];
    while (::read(gSignalFds[1], buffer, sizeof buffer) > 0) {
    }
    if (onTerminate_) onTerminate_();
  });
}

TerminationSignals::~TerminationSignals() {
  if (notifier_ == nullptr) return;
  notifier_.reset();
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &gPreviousActions[i], nullptr);
  ::close(gSignalFds[0]);
  ::close(gSignalFds[1]);
  gSignalFds = {-1, -1};
  gSignalWriteFd = -1;
}

}  // namespace nimbel
