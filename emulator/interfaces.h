#pragma once

// The USB HID interfaces of the emulated products as the virtual bus sees them.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "emulator/emulated_device.h"
#include "hid/virtual_hid.h"

namespace nimbel::emulator {

// An interface whose collections carry no output reports the firmware handles (a boot mouse).
class PlainInterface final : public VirtualHidInterface {
 public:
  explicit PlainInterface(std::vector<std::uint8_t> descriptor) : descriptor_(std::move(descriptor)) {}

  std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }
  void Attach(InputSink) override {}
  bool OnOutputReport(std::span<const std::uint8_t>) override { return false; }

 private:
  std::vector<std::uint8_t> descriptor_;
};

// The interface that carries a device's command and notification collections on one path.
class CommandInterface final : public VirtualHidInterface,
                               public NotificationPort,
                               public std::enable_shared_from_this<CommandInterface> {
 public:
  // `unplugProduct` takes the whole product off the bus, as a device that drops off mid-transfer does.
  CommandInterface(std::vector<std::uint8_t> descriptor, std::shared_ptr<EmulatedDevice> device, Path path,
                   std::function<void()> unplugProduct);

  std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }
  void Attach(InputSink sink) override;
  bool OnOutputReport(std::span<const std::uint8_t> report) override;
  void SendNotification(std::uint16_t value) override;

 private:
  void Send(std::span<const std::uint8_t> report);

  std::vector<std::uint8_t> descriptor_;
  std::shared_ptr<EmulatedDevice> device_;
  Path path_;
  std::function<void()> unplugProduct_;
  std::mutex sinkMutex_;
  InputSink sink_;
};

}  // namespace nimbel::emulator
