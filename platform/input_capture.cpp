#include "platform/input_capture.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace nimbel {
namespace {

// How often the thread looks at the watchdog while no input comes.
constexpr int kPollMs = 100;
constexpr const char* kInputFolder = "/dev/input";
constexpr const char* kEventNodePrefix = "event";

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool KernelGrab(int fd, bool grab) {
  return ioctl(fd, EVIOCGRAB, grab ? 1 : 0) == 0;
}

bool IsMouseButton(std::uint16_t code) {
  return code >= BTN_LEFT && code <= BTN_TASK;
}

}  // namespace

SystemInputCapture::SystemInputCapture(std::vector<InputNode> nodes, Sink sink, Ended ended,
                                       GrabFunction grab, std::chrono::milliseconds watchdog)
    : nodes_(std::move(nodes)),
      sink_(std::move(sink)),
      ended_(std::move(ended)),
      grab_(grab ? std::move(grab) : GrabFunction(KernelGrab)),
      watchdog_(watchdog) {}

SystemInputCapture::~SystemInputCapture() {
  Stop();
  for (const InputNode& node : nodes_) close(node.fd);
}

bool SystemInputCapture::Start() {
  if (thread_.joinable()) return true;
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) return false;
  grabbing_ = true;
  for (const InputNode& node : nodes_) {
    if (node.keyboard && !grab_(node.fd, true)) {
      ReleaseGrabs();
      close(stopFd_);
      stopFd_ = -1;
      return false;
    }
  }
  lastHeartbeatMs_ = NowMs();
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SystemInputCapture::Stop() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    // The thread waits in poll on this descriptor too: the write ends the wait at once.
    [[maybe_unused]] const ssize_t written = write(stopFd_, &one, sizeof(one));
    thread_.join();
  }
  ReleaseGrabs();
  if (stopFd_ >= 0) close(stopFd_);
  stopFd_ = -1;
}

void SystemInputCapture::Heartbeat() {
  lastHeartbeatMs_ = NowMs();
}

void SystemInputCapture::ReleaseGrabs() {
  if (!grabbing_.exchange(false)) return;
  for (const InputNode& node : nodes_) {
    if (node.keyboard) grab_(node.fd, false);
  }
}

void SystemInputCapture::Run() {
  std::vector<pollfd> polled;
  polled.push_back({stopFd_, POLLIN, 0});
  for (const InputNode& node : nodes_) polled.push_back({node.fd, POLLIN, 0});
  for (;;) {
    const int ready = poll(polled.data(), polled.size(), kPollMs);
    if (ready < 0 && errno != EINTR) break;
    if (polled[0].revents != 0) return;
    if (NowMs() - lastHeartbeatMs_.load() > watchdog_.count()) break;
    bool failed = false;
    for (std::size_t i = 1; i < polled.size() && !failed; ++i) {
      if (polled[i].revents & (POLLERR | POLLHUP | POLLNVAL)) failed = true;
      if (!failed && (polled[i].revents & POLLIN)) failed = !ReadNode(nodes_[i - 1]);
    }
    if (failed) break;
  }
  // A failed node or a silent UI thread: the keyboard is the user's again at once.
  ReleaseGrabs();
  if (ended_) ended_();
}

bool SystemInputCapture::ReadNode(const InputNode& node) {
  input_event events[64];
  const ssize_t bytes = read(node.fd, events, sizeof(events));
  if (bytes < 0) return errno == EAGAIN || errno == EINTR;
  if (bytes == 0) return false;
  const std::size_t count = static_cast<std::size_t>(bytes) / sizeof(input_event);
  for (std::size_t i = 0; i < count; ++i) {
    const input_event& event = events[i];
    // Value 2 is the keyboard's repeat of a held key: one press is recorded.
    if (event.type != EV_KEY || event.value > 1) continue;
    CapturedInput input;
    input.kind = IsMouseButton(event.code) ? CapturedInput::Kind::kMouseButton : CapturedInput::Kind::kKey;
    input.code = event.code;
    input.down = event.value == 1;
    input.timeMs = static_cast<std::uint64_t>(event.input_event_sec) * 1000 +
                   static_cast<std::uint64_t>(event.input_event_usec) / 1000;
    sink_(input);
  }
  return true;
}

std::vector<InputNode> OpenInputNodes() {
  std::vector<InputNode> nodes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kInputFolder, error)) {
    if (entry.path().filename().string().rfind(kEventNodePrefix, 0) != 0) continue;
    const int fd = open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    libevdev* device = nullptr;
    if (libevdev_new_from_fd(fd, &device) != 0) {
      close(fd);
      continue;
    }
    const bool keyboard = libevdev_has_event_code(device, EV_KEY, KEY_A) == 1;
    const bool mouse = libevdev_has_event_code(device, EV_KEY, BTN_LEFT) == 1;
    const char* name = libevdev_get_name(device);
    InputNode node{fd, keyboard, name != nullptr ? name : ""};
    libevdev_free(device);
    if (keyboard || mouse) {
      nodes.push_back(std::move(node));
    } else {
      close(fd);
    }
  }
  return nodes;
}

}  // namespace nimbel
