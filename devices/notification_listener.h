#pragma once

// One notification interface of a device and its listening thread: the thread reads the input reports the
// device sends of its own accord, decodes each into its notification value and hands the value on.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>

#include "hid/hid_device.h"
#include "platform/worker_thread.h"

namespace nimbel {

class NotificationListener {
 public:
  using Handler = std::function<void(std::uint16_t value)>;

  static constexpr int kStopBoundMs = 500;
  // After a failed read (the interface went away) the thread waits this long before reading again, so a
  // dead handle does not turn the loop into a busy spin.
  static constexpr int kRetryAfterFailureMs = 100;

  NotificationListener() = default;
  ~NotificationListener();
  NotificationListener(const NotificationListener&) = delete;
  NotificationListener& operator=(const NotificationListener&) = delete;

  // Opens `path` and starts listening on it with `handler`, on the listener's own thread. What was open
  // before is closed first. False, with nothing open, when the path cannot be opened.
  bool Open(std::string_view path, Handler handler);
  // Stops the thread and closes the interface. The handle is closed before the wait, since that is what
  // ends a read blocked without a time limit.
  void Close();

  bool IsOpen() const { return handle_.IsOpen(); }
  bool IsRunning() const { return thread_.IsRunning(); }

 private:
  void CloseLocked();

  // Open and Close may come from different threads (a device's owner and its destruction).
  std::mutex lock_;
  HidDevice handle_;
  WorkerThread thread_;
};

}  // namespace nimbel
