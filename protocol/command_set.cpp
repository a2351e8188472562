// The firmware commands of CommandChannel: request framing, chunking, locks and the status rule.

#include <algorithm>
#include <array>
#include <thread>

#include "platform/trace.h"
#include "protocol/command_channel.h"

namespace nimbel {
namespace {

constexpr std::string_view kLightFrameDroppedTrace = "放弃灯光数据";
constexpr std::size_t kMaxStatusLength = kCommandDataCapacity;

// The device's status byte turns an answered exchange into the command's result.
int ApplyStatusRule(int exchangeResult, const CommandReport& reply) {
  if (exchangeResult != kResultOk) return exchangeResult;
  if (reply.Status() == kStatusErrorFF) return kResultStatusFF;
  if (reply.Status() == kStatusErrorFE) return kResultStatusFE;
  return kResultOk;
}

}  // namespace

std::mutex* CommandChannel::LockFor(TransferLock lock) {
  switch (lock) {
    case TransferLock::Command:
      return &commandLock_;
    case TransferLock::Lighting:
      return &lightingLock_;
    case TransferLock::None:
      break;
  }
  return nullptr;
}

std::size_t CommandChannel::CurrentTotal(const ChunkedTransfer& transfer) const {
  switch (transfer.total) {
    case TransferTotal::KeyTable:
      return KeyTableLength();
    case TransferTotal::KeyLightMap:
      return KeyTableLength() / kKeyTableBytesPerKey;
    case TransferTotal::Fixed:
      break;
  }
  return transfer.fixedLength;
}

int CommandChannel::SendChunk(const ChunkedTransfer& transfer, const CommandReport& request,
                              CommandReport& reply) {
  const bool lightFrame = transfer.direction == TransferDirection::LightStream;
  // Light frames are best effort: a frame that would compete with an exchange in flight is dropped rather
  // than queued behind it.
  if (lightFrame && busy_.load()) {
    Trace(kLightFrameDroppedTrace);
    return kResultOk;
  }
  std::mutex* mutex = LockFor(transfer.lock);
  std::unique_lock<std::mutex> lock = mutex ? std::unique_lock(*mutex) : std::unique_lock<std::mutex>();
  std::size_t bytesRead = 0;
  const int result = lightFrame ? ExchangeCrc(request.Bytes(), reply.Bytes(), bytesRead)
                                : Exchange(request.Bytes(), reply.Bytes(), bytesRead);
  return ApplyStatusRule(result, reply);
}

int CommandChannel::RunChunked(const ChunkedTransfer& transfer, std::span<const std::uint8_t> source,
                               std::span<std::uint8_t> destination) {
  const bool reading = transfer.direction == TransferDirection::Read;
  const std::size_t bufferSize = reading ? destination.size() : source.size();
  // The request is not cleared between chunks: the firmware reads only the chunk's length of data.
  CommandReport request = CommandReport::Request(ToByte(transfer.command));
  CommandReport reply;
  for (std::size_t offset = 0;;) {
    // Both are read afresh, so a link switch or a new key-table length applies from the next chunk.
    const std::size_t total = CurrentTotal(transfer);
    const std::size_t chunk =
        transfer.fullReports && !useReceiver_.load() ? kShootDataChunkSize : ChunkSize();
    if (offset >= total) return kResultOk;
    // A caller buffer shorter than the transfer is never read or written past its end.
    if (total > bufferSize) return kResultNothing;
    const std::size_t length = std::min(chunk, total - offset);

    request.SetLength(static_cast<std::uint8_t>(length));
    request.SetOffset(static_cast<std::uint16_t>(transfer.base + offset));
    if (!reading) std::copy_n(source.begin() + offset, length, request.Data().begin());
    request.FinishSum();

    const int result = SendChunk(transfer, request, reply);
    if (result != kResultOk) return result;
    if (reading) std::copy_n(reply.Data().begin(), length, destination.begin() + offset);
    offset += chunk;
    const TransferProgress* progress = transfer.progress;
    if (progress != nullptr && *progress && !(*progress)(std::min(offset, total), total))
      return kResultNothing;
  }
}

int CommandChannel::SingleReport(CommandReport& request, CommandReport& reply) {
  request.FinishSum();
  std::size_t bytesRead = 0;
  std::lock_guard lock(commandLock_);
  return Exchange(request.Bytes(), reply.Bytes(), bytesRead);
}

int CommandChannel::SingleCommand(CommandCode command) {
  CommandReport request = CommandReport::Request(ToByte(command));
  CommandReport reply;
  return ApplyStatusRule(SingleReport(request, reply), reply);
}

int CommandChannel::BeginSession() {
  return SingleCommand(CommandCode::BeginSession);
}

int CommandChannel::EndSession(int /*unused*/) {
  // Waited before the lock is taken, so other threads' commands are not held up by it.
  std::this_thread::sleep_for(Pauses().beforeEndSession);
  return SingleCommand(CommandCode::EndSession);
}

int CommandChannel::EnableHostLighting() {
  return SingleCommand(CommandCode::EnableHostLighting);
}

int CommandChannel::ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoLength> destination) {
  // Read into a local block so a failed read leaves the caller's copy as it was.
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  const int result = RunChunked({.command = CommandCode::ReadDeviceInfo,
                                 .direction = TransferDirection::Read,
                                 .lock = TransferLock::Command,
                                 .fixedLength = kDeviceInfoLength},
                                {}, info);
  if (result == kResultOk) std::copy(info.begin(), info.end(), destination.begin());
  return result;
}

int CommandChannel::ReadMemory(std::span<std::uint8_t> destination, std::size_t length, std::uint32_t base) {
  return RunChunked({.command = CommandCode::ReadMemory,
                     .direction = TransferDirection::Read,
                     .lock = TransferLock::Command,
                     .fixedLength = length,
                     .base = base},
                    {}, destination);
}

int CommandChannel::WriteMemory(std::span<const std::uint8_t> source, std::size_t length,
                                std::uint32_t base) {
  return RunChunked({.command = CommandCode::WriteMemory,
                     .direction = TransferDirection::Write,
                     .lock = TransferLock::Command,
                     .fixedLength = length,
                     .base = base},
                    source, {});
}

int CommandChannel::ReadKeyTable(std::span<std::uint8_t, kMaxKeyTableLength> destination) {
  return RunChunked({.command = CommandCode::ReadKeyTable,
                     .direction = TransferDirection::Read,
                     .lock = TransferLock::Command,
                     .total = TransferTotal::KeyTable},
                    {}, destination);
}

int CommandChannel::ReadKeyTableBank(std::span<std::uint8_t, kMaxKeyTableLength> destination, int bank) {
  if (bank != 0) return kResultBadBank;
  return RunChunked({.command = CommandCode::ReadKeyTableBank,
                     .direction = TransferDirection::Read,
                     .lock = TransferLock::Command,
                     .total = TransferTotal::KeyTable,
                     .base = static_cast<std::uint32_t>(bank) * kKeyTableBankStride},
                    {}, destination);
}

int CommandChannel::KeyTableWrite(CommandCode command,
                                  std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank) {
  if (bank != 0) return kResultBadBank;
  return RunChunked({.command = command,
                     .direction = TransferDirection::Write,
                     .lock = TransferLock::Command,
                     .total = TransferTotal::KeyTable,
                     .base = static_cast<std::uint32_t>(bank) * kKeyTableBankStride},
                    source, {});
}

int CommandChannel::WriteKeyTable(std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank) {
  return KeyTableWrite(CommandCode::WriteKeyTable, source, bank);
}

int CommandChannel::WriteKeyTable2(std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank) {
  return KeyTableWrite(CommandCode::WriteKeyTable2, source, bank);
}

int CommandChannel::ReadKeyColours(std::span<std::uint8_t> destination, std::size_t length,
                                   std::uint32_t index, std::uint32_t stride) {
  return RunChunked({.command = CommandCode::ReadKeyColours,
                     .direction = TransferDirection::Read,
                     .lock = TransferLock::Command,
                     .fixedLength = length,
                     .base = index * stride},
                    {}, destination);
}

int CommandChannel::WriteKeyColours(std::span<const std::uint8_t> source, std::size_t length,
                                    std::uint32_t index, std::uint32_t stride) {
  return RunChunked({.command = CommandCode::WriteKeyColours,
                     .direction = TransferDirection::Write,
                     .lock = TransferLock::Lighting,
                     .fixedLength = length,
                     .base = index * stride},
                    source, {});
}

int CommandChannel::StreamLightFrame(std::span<const std::uint8_t> source, std::size_t length) {
  return RunChunked({.command = CommandCode::StreamLightFrame,
                     .direction = TransferDirection::LightStream,
                     .lock = TransferLock::Lighting,
                     .fixedLength = length},
                    source, {});
}

int CommandChannel::WriteMacroData(std::span<const std::uint8_t> source, std::size_t length,
                                   const TransferProgress& progress) {
  return RunChunked({.command = CommandCode::WriteMacroData,
                     .direction = TransferDirection::Write,
                     .lock = TransferLock::Command,
                     .fixedLength = length,
                     .progress = &progress},
                    source, {});
}

int CommandChannel::WriteShootData(std::span<const std::uint8_t> source, std::size_t length,
                                   const TransferProgress& progress) {
  // Runs without the command lock: each exchange is still serialised by the exchange lock. Full reports by
  // cable; through the receiver the data keeps to the receiver's chunks, because the receiver's mark in
  // byte 32 would overwrite the 25th data byte of a full report.
  return RunChunked({.command = CommandCode::WriteShootData,
                     .direction = TransferDirection::Write,
                     .lock = TransferLock::None,
                     .fixedLength = length,
                     .fullReports = true,
                     .progress = &progress},
                    source, {});
}

int CommandChannel::ReadKeyLightMap(std::span<std::uint8_t> destination) {
  return RunChunked({.command = CommandCode::ReadKeyLightMap,
                     .direction = TransferDirection::Read,
                     .lock = TransferLock::Command,
                     .total = TransferTotal::KeyLightMap},
                    {}, destination);
}

int CommandChannel::ReadStatus(std::span<std::uint8_t> destination, std::size_t length,
                               std::uint16_t offset) {
  if (length > kMaxStatusLength || length > destination.size()) return kResultNothing;
  CommandReport request = CommandReport::Request(ToByte(CommandCode::ReadStatus));
  request.SetLength(static_cast<std::uint8_t>(length));
  request.SetOffset(offset);
  CommandReport reply;
  const int result = SingleReport(request, reply);
  if (result == kResultOk) std::copy_n(reply.Data().begin(), length, destination.begin());
  return result;
}

bool CommandChannel::QueryLink() {
  if (!useReceiver_.load()) return true;
  CommandReport request = CommandReport::Request(ToByte(CommandCode::QueryLink));
  CommandReport reply;
  const int result = SingleReport(request, reply);
  if (result != kResultOk) return false;
  if (reply.Status() == kStatusErrorFF || reply.Status() == kStatusErrorFE) return false;
  return reply.Data()[kLinkStateDataIndex] == kLinkStateLinked;
}

}  // namespace nimbel
