#pragma once

// The listening thread of one notification interface: it reads the input reports the device sends of
// its own accord, decodes each into its notification value and hands the value to the device class.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "hid/hid_device.h"
#include "platform/worker_thread.h"

namespace nimbel {

class NotificationListener {
 public:
  using Handler = std::function<void(std::uint16_t value)>;

  static constexpr int kStopBoundMs = 500;
  // After a failed read (the interface went away, or its handle is being replaced) the thread waits this
  // long before reading again, so a dead handle does not turn the loop into a busy spin.
  static constexpr int kRetryAfterFailureMs = 100;

  NotificationListener() = default;
  ~NotificationListener();
  NotificationListener(const NotificationListener&) = delete;
  NotificationListener& operator=(const NotificationListener&) = delete;

  // Starts listening on `handle`, which the caller has just opened. The capabilities are copied here, so
  // the thread never touches what the handle frees when it is closed. While `openFlag` is clear the
  // thread does not read. False when the handle is not open or a thread already runs.
  bool Start(HidDevice& handle, const std::atomic<bool>& openFlag, Handler handler);

  // Stops the thread and closes the handle under `lock`, clearing `openFlag`. The handle is closed before
  // the wait, since that is what ends a read blocked without a time limit.
  void Stop(HidDevice& handle, std::mutex& lock, std::atomic<bool>& openFlag);

  bool IsRunning() const { return thread_.IsRunning(); }

 private:
  WorkerThread thread_;
};

}  // namespace nimbel
