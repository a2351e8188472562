#include "emulator/interfaces.h"

#include <array>

#include "emulator/report_descriptors.h"

namespace nimbel::emulator {

CommandInterface::CommandInterface(std::vector<std::uint8_t> descriptor,
                                   std::shared_ptr<EmulatedDevice> device, Path path,
                                   std::function<void()> unplugProduct)
    : descriptor_(std::move(descriptor)),
      device_(std::move(device)),
      path_(path),
      unplugProduct_(std::move(unplugProduct)) {}

void CommandInterface::Attach(InputSink sink) {
  const bool plugged = static_cast<bool>(sink);
  {
    std::lock_guard lock(sinkMutex_);
    sink_ = std::move(sink);
  }
  if (plugged) {
    device_->AddPort(shared_from_this());
  } else {
    device_->RemovePort(shared_from_this());
  }
}

bool CommandInterface::OnOutputReport(std::span<const std::uint8_t> report) {
  device_->WaitReportLatency();
  const WireResponse response = device_->HandleOutputReport(report, path_);
  for (const CommandFrame& reply : response.replies) {
    device_->WaitReportLatency();
    Send(reply);
  }
  if (response.unplugAfterReplies) unplugProduct_();
  return response.accepted;
}

void CommandInterface::SendNotification(std::uint16_t value) {
  const std::array<std::uint8_t, 3> report{static_cast<std::uint8_t>(ReportId::Notification),
                                           static_cast<std::uint8_t>(value & 0xFF),
                                           static_cast<std::uint8_t>(value >> 8)};
  Send(report);
}

void CommandInterface::Send(std::span<const std::uint8_t> report) {
  InputSink sink;
  {
    std::lock_guard lock(sinkMutex_);
    sink = sink_;
  }
  // Called without the lock so that the bus may detach this interface while a report is on its way.
  if (sink) sink(report);
}

}  // namespace nimbel::emulator
