#include "protocol/command_channel.h"

#include <algorithm>
#include <thread>

#include "platform/trace.h"
#include "protocol/checksum.h"

namespace nimbel {
namespace {

struct PathTimeLimits {
  int writeMs;
  int readMs;
};

// The receiver may hold a write for a long time while it reaches the wireless device; light frames must
// not, so they get the short limit.
constexpr PathTimeLimits kWiredLimits{1000, 1000};
constexpr PathTimeLimits kReceiverLimits{5000, 500};
constexpr PathTimeLimits kReceiverLightFrameLimits{500, 500};

// A stale report (an answer to an interleaved request of another thread) gets one more read; more would
// only delay a device that has stopped answering.
constexpr int kMaxReadsPerExchange = 2;

constexpr std::string_view kRequestTraceLabel = "命令";
constexpr std::string_view kReplyTraceLabel = "返回";

PathTimeLimits LimitsFor(bool receiver, bool lightFrame) {
  if (!receiver) return kWiredLimits;
  return lightFrame ? kReceiverLightFrameLimits : kReceiverLimits;
}

// The busy flag is set for exactly as long as an exchange runs, whichever way it returns.
class BusyScope {
 public:
  explicit BusyScope(std::atomic<bool>& busy) : busy_(busy) { busy_.store(true); }
  ~BusyScope() { busy_.store(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  std::atomic<bool>& busy_;
};

}  // namespace

CommandChannel::~CommandChannel() {
  isOpen_.store(false);
}

bool CommandChannel::Attach(std::string_view path, LinkPath link) {
  std::lock_guard lock(exchangeLock_);
  isOpen_.store(false);
  if (!HandleOf(link).Open(path, kHidReadWrite)) return false;
  SetLinkMode(link == LinkPath::Receiver ? kReceiverLinkMode : kWiredLinkMode);
  // Last, so no other thread sends through the new handle before its link mode is set.
  isOpen_.store(true);
  return true;
}

bool CommandChannel::SwitchPath(std::string_view path) {
  return Attach(path, useReceiver_.load() ? LinkPath::Wired : LinkPath::Receiver);
}

void CommandChannel::Detach() {
  std::lock_guard lock(exchangeLock_);
  isOpen_.store(false);
  wiredHandle_.Close();
  receiverHandle_.Close();
}

void CommandChannel::SetLinkMode(int mode) {
  const bool receiver = mode == kReceiverLinkMode;
  useReceiver_.store(receiver);
  chunkSize_.store(receiver ? kReceiverChunkSize : kWiredChunkSize);
}

bool CommandChannel::SetKeyTableLength(int length) {
  if (length < 0 || length > kMaxKeyTableLength) return false;
  keyTableLength_.store(static_cast<std::uint16_t>(length));
  return true;
}

int CommandChannel::Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                             std::size_t& bytesRead) {
  return RunExchange(request, reply, bytesRead, ExchangeStyle::Command);
}

int CommandChannel::ExchangeCrc(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                                std::size_t& bytesRead) {
  return RunExchange(request, reply, bytesRead, ExchangeStyle::LightFrame);
}

int CommandChannel::RunExchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                                std::size_t& bytesRead, ExchangeStyle style) {
  BusyScope busy(busy_);
  bytesRead = 0;
  if (!isOpen_.load()) return kResultNothing;

  CommandReport outgoing = CommandReport::FromBytes(request);
  const bool traced = style == ExchangeStyle::Command;
  const bool receiver = useReceiver_.load();
  if (traced) {
    Trace(kRequestTraceLabel);
    TraceDump(outgoing.Bytes());
  }
  if (!WriteRequest(outgoing, receiver, style)) return kResultWriteFailed;

  const int result = ReadReply(outgoing.Command(), reply, bytesRead, receiver, style);
  if (traced) {
    Trace(kReplyTraceLabel);
    TraceDump(reply.first(std::min(reply.size(), kCommandReportSize)));
  }
  return result;
}

bool CommandChannel::WriteRequest(CommandReport& request, bool receiver, ExchangeStyle style) {
  const bool lightFrame = style == ExchangeStyle::LightFrame;
  if (receiver) {
    if (lightFrame) {
      request.SetChecksum(LightFrameCrc(request.Bytes()));
    } else {
      request.SetReceiverMark();
    }
  }
  std::lock_guard lock(exchangeLock_);
  HidDevice& handle = HandleOf(receiver ? LinkPath::Receiver : LinkPath::Wired);
  std::size_t written = 0;
  const bool ok = handle.WriteReport(request.Bytes(), written, LimitsFor(receiver, lightFrame).writeMs);
  // The firmware answers only after this pause; it is kept after a failed write too, so requests never
  // follow each other more closely. Light frames skip it to keep up with the effect's frame rate.
  if (!lightFrame) std::this_thread::sleep_for(pauses_.afterWrite);
  return ok;
}

int CommandChannel::ReadReply(std::uint8_t command, std::span<std::uint8_t> reply, std::size_t& bytesRead,
                              bool receiver, ExchangeStyle style) {
  const bool lightFrame = style == ExchangeStyle::LightFrame;
  const int readLimit = LimitsFor(receiver, lightFrame).readMs;
  std::lock_guard lock(exchangeLock_);
  HidDevice& handle = HandleOf(receiver ? LinkPath::Receiver : LinkPath::Wired);
  int result = kResultNothing;
  for (int read = 0; read < kMaxReadsPerExchange; ++read) {
    // Each report lands in a full-size buffer first, so the echo and CRC tests never read past a short
    // caller buffer.
    CommandReport incoming;
    std::size_t received = 0;
    if (!handle.ReadReport(incoming.Bytes(), received, readLimit)) {
      bytesRead = 0;
      result = kResultNothing;
      continue;
    }
    bytesRead = std::min(received, reply.size());
    std::copy_n(incoming.Bytes().begin(), bytesRead, reply.begin());
    result = kResultOk;

    const bool absent = receiver && incoming.Command() == kReceiverDeviceAbsent;
    if (lightFrame && receiver && !absent && incoming.Checksum() != LightFrameCrc(incoming.Bytes())) {
      result = kResultDeviceAbsent;
    }
    if (incoming.Command() == command) break;
    if (absent) {
      result = kResultDeviceAbsent;
      break;
    }
  }
  return result;
}

}  // namespace nimbel
