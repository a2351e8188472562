#pragma once

// Capture of every keyboard and mouse of this computer for recording macros, where the user may read the
// input event nodes (e.g. is in the "input" group). Keyboards are grabbed while capturing, so that the
// keys pressed for a macro do nothing else; mice are read without a grab. Every grab ends with the
// capture, when a node fails, when the capture object goes (exit, SIGTERM's orderly end), and when the
// UI thread stops answering for a watchdog period, so a hung program never keeps the keyboard.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace nimbel {

// One input event node: its descriptor (owned by the capture once given to it) and whether it is a
// keyboard.
struct InputNode {
  int fd = -1;
  bool keyboard = false;
  std::string name;
};

// A key or mouse button going down or up, with the kernel's time of it.
struct CapturedInput {
  enum class Kind { kKey, kMouseButton };
  Kind kind = Kind::kKey;
  std::uint16_t code = 0;  // the kernel's KEY_* or BTN_* code
  bool down = false;
  std::uint64_t timeMs = 0;
};

class SystemInputCapture {
 public:
  // Called on the capture's thread.
  using Sink = std::function<void(const CapturedInput&)>;
  // The capture ended by itself (a node failed, or the watchdog released the grabs); on its thread.
  using Ended = std::function<void()>;
  // Grabs (true) or releases (false) a node; the kernel's EVIOCGRAB by default.
  using GrabFunction = std::function<bool(int fd, bool grab)>;

  SystemInputCapture(std::vector<InputNode> nodes, Sink sink, Ended ended, GrabFunction grab = {},
                     std::chrono::milliseconds watchdog = std::chrono::milliseconds{1000});
  ~SystemInputCapture();
  SystemInputCapture(const SystemInputCapture&) = delete;
  SystemInputCapture& operator=(const SystemInputCapture&) = delete;

  // Grabs every keyboard and starts reading; false (nothing grabbed, nothing read) when a grab fails.
  bool Start();
  // Releases every grab and ends the thread; nothing reaches the sink after it returns.
  void Stop();
  // The UI thread is alive; called more often than the watchdog period while capturing.
  void Heartbeat();
  bool IsGrabbing() const { return grabbing_.load(); }

 private:
  void Run();
  void ReleaseGrabs();
  // Reads what one node has; false when it failed.
  bool ReadNode(const InputNode& node);

  std::vector<InputNode> nodes_;
  Sink sink_;
  Ended ended_;
  GrabFunction grab_;
  std::chrono::milliseconds watchdog_;
  int stopFd_ = -1;
  std::atomic<bool> grabbing_{false};
  std::atomic<std::int64_t> lastHeartbeatMs_{0};
  std::thread thread_;
};

// The input event nodes of this computer that this user may read and that are keyboards (they have the
// letter keys) or mice (they have a left button); empty when none may be read.
std::vector<InputNode> OpenInputNodes();

}  // namespace nimbel
