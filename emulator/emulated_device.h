#pragma once

// A device of the command protocol as the host meets it on the wire: the firmware of its kind behind
// the framing checks, the receiver's wireless link, injected faults, the log of what arrived and the
// ports its notifications leave by. Device kinds derive from it and add test access to their firmware.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "emulator/command_wire.h"
#include "emulator/device_firmware.h"
#include "emulator/memory_store.h"

namespace nimbel::emulator {

// What the firmware does with the next command requests it receives (one fault per request, in order).
enum class Fault {
  NoReply,            // the request is carried out, its reply is lost
  StaleThenEcho,      // a report with another command byte, then the real reply
  TwoStaleReplies,    // two reports with other command bytes and no echo (the request is carried out)
  StatusFF,           // refused with status 0xFF, nothing carried out
  StatusFE,           // refused with status 0xFE, nothing carried out
  BadCrc,             // the reply's checksum bytes are wrong (byte 2 only, so byte 1 still matches)
  WriteFails,         // the output report is refused: the host's write fails, nothing is received
  UnplugDuringReply,  // the request is carried out, then the product it came through is unplugged
};

// One request as the firmware received it, kept for tests to check what the host sent.
struct ReceivedRequest {
  std::array<std::uint8_t, 64> bytes{};
  bool throughReceiver = false;
};

// Where a device's notification reports leave: one per plugged interface that carries its collections.
class NotificationPort {
 public:
  virtual ~NotificationPort() = default;
  virtual void SendNotification(std::uint16_t value) = 0;
};

// What the wire carries back for one output report.
struct WireResponse {
  bool accepted = true;               // false fails the host's write
  std::vector<CommandFrame> replies;  // input reports, in order
  bool unplugAfterReplies = false;    // the product the request came through goes away
};

class EmulatedDevice {
 public:
  explicit EmulatedDevice(std::unique_ptr<DeviceFirmware> firmware);
  virtual ~EmulatedDevice();
  EmulatedDevice(const EmulatedDevice&) = delete;
  EmulatedDevice& operator=(const EmulatedDevice&) = delete;

  // The wireless link between the device and its receiver (on by default). Without it the receiver
  // answers every request with 0xAA in the echo byte.
  void SetLinked(bool linked);
  bool IsLinked() const;

  void InjectFaults(std::span<const Fault> faults);
  std::size_t PendingFaults() const;

  std::vector<ReceivedRequest> Requests() const;
  void ClearRequests();

  // Time one report takes on the wire, spent by the host's writing thread for the request and for every
  // reply (0 by default; about 1 ms models a full-speed USB device).
  void SetReportLatency(std::chrono::microseconds latency);

  // Keeps the device's memory in `store` under `name` from now on, as demo mode does between runs: the
  // image stored there replaces the factory memory when it is intact and of this device's size (anything
  // else is ignored), and each change the firmware commits is saved. Call before the device is plugged.
  void KeepMemoryIn(std::shared_ptr<MemoryStore> store, std::string name);
  // Puts back the factory memory, saving it when the memory is kept.
  void RestoreFactoryMemory();

  // Sends a notification on every plugged path, after the firmware took its meaning.
  void SendNotification(std::uint16_t value);

  // Called by the interfaces that carry this device's collections.
  WireResponse HandleOutputReport(std::span<const std::uint8_t> report, Path path);
  void WaitReportLatency();
  void AddPort(std::shared_ptr<NotificationPort> port);
  void RemovePort(const std::shared_ptr<NotificationPort>& port);
  // Ends every latency wait at once; the device answers without delay from now on.
  void Shutdown();

 protected:
  // Runs `action` with the device's lock held, so that tests never see a request half carried out.
  template <typename Action>
  auto Locked(Action action) const {
    std::lock_guard lock(mutex_);
    return action();
  }

  // The firmware this device was built with; touch it only inside Locked.
  DeviceFirmware& Firmware() const { return *firmware_; }

 private:
  CommandFrame Answer(const CommandFrame& request, Path path, std::optional<Status> forced);
  // With the lock held, so that saves follow each other in the order of the changes.
  void SaveCommittedMemory();

  mutable std::mutex mutex_;
  std::unique_ptr<DeviceFirmware> firmware_;
  bool linked_ = true;
  std::deque<Fault> faults_;
  std::vector<ReceivedRequest> requests_;
  std::vector<std::shared_ptr<NotificationPort>> ports_;
  std::shared_ptr<MemoryStore> memoryStore_;
  std::string memoryName_;
  std::chrono::microseconds latency_{0};
  bool shutdown_ = false;
  std::condition_variable shutdownSignal_;
};

}  // namespace nimbel::emulator
