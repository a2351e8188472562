#include "emulator/emulated_device.h"

#include <algorithm>
#include <optional>

#include "emulator/command_frame.h"

namespace nimbel::emulator {
namespace {

constexpr std::uint8_t kChecksumCorruption = 0xFF;

// A reply to some other command, as a device sends when an earlier exchange left one behind.
CommandFrame StaleCopy(const CommandFrame& reply, Path path) {
  constexpr auto kBegin = static_cast<std::uint8_t>(Command::BeginSession);
  constexpr auto kEnd = static_cast<std::uint8_t>(Command::EndSession);
  CommandFrame stale = reply;
  stale[kCommandByte] = reply[kCommandByte] == kBegin ? kEnd : kBegin;
  stale[kStatusByte] = static_cast<std::uint8_t>(Status::Ok);
  SealReply(stale, path);
  return stale;
}

std::optional<Status> ForcedStatus(std::optional<Fault> fault) {
  if (fault == Fault::StatusFF) return Status::Rejected;
  if (fault == Fault::StatusFE) return Status::OutOfRange;
  return std::nullopt;
}

}  // namespace

EmulatedDevice::EmulatedDevice(std::unique_ptr<DeviceFirmware> firmware) : firmware_(std::move(firmware)) {}

EmulatedDevice::~EmulatedDevice() = default;

void EmulatedDevice::SetLinked(bool linked) {
  std::lock_guard lock(mutex_);
  linked_ = linked;
}

bool EmulatedDevice::IsLinked() const {
  std::lock_guard lock(mutex_);
  return linked_;
}

void EmulatedDevice::InjectFaults(std::span<const Fault> faults) {
  std::lock_guard lock(mutex_);
  faults_.insert(faults_.end(), faults.begin(), faults.end());
}

std::size_t EmulatedDevice::PendingFaults() const {
  std::lock_guard lock(mutex_);
  return faults_.size();
}

std::vector<ReceivedRequest> EmulatedDevice::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void EmulatedDevice::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void EmulatedDevice::SetReportLatency(std::chrono::microseconds latency) {
  std::lock_guard lock(mutex_);
  latency_ = latency;
}

void EmulatedDevice::WaitReportLatency() {
  std::unique_lock lock(mutex_);
  if (latency_.count() <= 0) return;
  shutdownSignal_.wait_for(lock, latency_, [this] { return shutdown_; });
}

void EmulatedDevice::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    shutdown_ = true;
    latency_ = std::chrono::microseconds{0};
  }
  shutdownSignal_.notify_all();
}

void EmulatedDevice::KeepMemoryIn(std::shared_ptr<MemoryStore> store, std::string name) {
  std::optional<std::vector<std::uint8_t>> image = store->Load(name);
  std::lock_guard lock(mutex_);
  if (image) {
    if (const auto memory = OpenMemoryImage(*image)) firmware_->RestoreKeptMemory(*memory);
  }
  memoryStore_ = std::move(store);
  memoryName_ = std::move(name);
}

void EmulatedDevice::RestoreFactoryMemory() {
  std::lock_guard lock(mutex_);
  firmware_->ResetKeptMemory();
  SaveCommittedMemory();
}

void EmulatedDevice::SaveCommittedMemory() {
  if (firmware_->TakeCommittedChange() && memoryStore_)
    memoryStore_->Save(memoryName_, SealMemoryImage(firmware_->KeptMemory()));
}

void EmulatedDevice::AddPort(std::shared_ptr<NotificationPort> port) {
  std::lock_guard lock(mutex_);
  ports_.push_back(std::move(port));
}

void EmulatedDevice::RemovePort(const std::shared_ptr<NotificationPort>& port) {
  std::lock_guard lock(mutex_);
  std::erase(ports_, port);
}

void EmulatedDevice::SendNotification(std::uint16_t value) {
  std::vector<std::shared_ptr<NotificationPort>> ports;
  {
    std::lock_guard lock(mutex_);
    firmware_->ApplyNotification(value);
    SaveCommittedMemory();
    ports = ports_;
  }
  // Sent without the lock: a port hands the report to the bus, which may be calling into this device.
  for (const auto& port : ports) port->SendNotification(value);
}

WireResponse EmulatedDevice::HandleOutputReport(std::span<const std::uint8_t> report, Path path) {
  WireResponse response;
  if (report.size() != kCommandReportSize || report[kReportIdByte] != kCommandReportId) {
    response.accepted = false;
    return response;
  }
  CommandFrame request{};
  std::copy(report.begin(), report.end(), request.begin());

  std::lock_guard lock(mutex_);
  std::optional<Fault> fault;
  if (!faults_.empty()) {
    fault = faults_.front();
    faults_.pop_front();
  }
  if (fault == Fault::WriteFails) {
    response.accepted = false;
    return response;
  }
  requests_.push_back({request, path == Path::Receiver});
  CommandFrame reply = Answer(request, path, ForcedStatus(fault));
  if (!fault) {
    response.replies = {reply};
    return response;
  }
  switch (*fault) {
    case Fault::NoReply:
      break;
    case Fault::StaleThenEcho:
      response.replies = {StaleCopy(reply, path), reply};
      break;
    case Fault::TwoStaleReplies:
      response.replies = {StaleCopy(reply, path), StaleCopy(reply, path)};
      break;
    case Fault::BadCrc:
      reply[kChecksumHighByte] ^= kChecksumCorruption;
      response.replies = {reply};
      break;
    case Fault::UnplugDuringReply:
      response.unplugAfterReplies = true;
      break;
    case Fault::StatusFF:
    case Fault::StatusFE:
    case Fault::WriteFails:
      response.replies = {reply};
      break;
  }
  return response;
}

CommandFrame EmulatedDevice::Answer(const CommandFrame& request, Path path, std::optional<Status> forced) {
  CommandFrame reply{};
  reply[kReportIdByte] = kCommandReportId;
  std::copy_n(request.begin() + kCommandByte, kStatusByte - kCommandByte, reply.begin() + kCommandByte);
  if (path == Path::Receiver && !linked_) {
    reply[kCommandByte] = kUnreachableEcho;
    SealReply(reply, path);
    return reply;
  }
  std::optional<Status> status = forced ? forced : CheckFraming(request, path);
  if (!status) {
    const CommandRequest command{request[kCommandByte], request[kLengthByte],
                                 ReadLe16(request, kOffsetLowByte), std::span(request).subspan(kDataByte),
                                 path};
    status = firmware_->Execute(command, std::span(reply).subspan<kDataByte, kMaxDataLength>());
    SaveCommittedMemory();
  }
  reply[kStatusByte] = static_cast<std::uint8_t>(*status);
  SealReply(reply, path);
  return reply;
}

}  // namespace nimbel::emulator
