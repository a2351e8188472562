#pragma once

// One device's command link: its two command interfaces (cable and receiver), the path in use, and the
// locks that let every thread of the program issue commands.
//
// The channel opens and closes its own handles: Attach opens a path's interface, SwitchPath moves the
// channel to the other path, Detach closes it. Each replaces a handle under the exchange lock, so a handle is
// never replaced in the middle of another thread's write or read, and marks the channel open only once
// the link mode of the new path is set, so no thread sends through a handle with the other path's
// framing.
// KeyTableLength and ChunkSize change only through their setters and may change while a chunked command
// runs on another thread; it then uses the new value from its next chunk on.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string_view>

#include "hid/hid_device.h"
#include "protocol/command_report.h"
#include "protocol/command_set.h"

namespace nimbel {

inline constexpr int kWiredLinkMode = 1;
inline constexpr int kReceiverLinkMode = 2;

// The two ways a device is reached: its own cable, or a 2.4 GHz receiver.
enum class LinkPath { Wired, Receiver };

// Pauses the firmware needs between requests. The defaults are the protocol's; benchmarks and fast
// tests set them to zero.
struct ProtocolPauses {
  // After each command write, before the reply is read; still holding the exchange lock.
  std::chrono::milliseconds afterWrite{20};
  // Before EndSession, outside the command lock.
  std::chrono::milliseconds beforeEndSession{10};
};

class CommandChannel {
 public:
  CommandChannel() = default;
  ~CommandChannel();
  CommandChannel(const CommandChannel&) = delete;
  CommandChannel& operator=(const CommandChannel&) = delete;

  // Opens `path` as the command interface of `link` and sets the link mode of that path; the channel is
  // open from then on. False, and the channel closed, when the path cannot be opened.
  bool Attach(std::string_view path, LinkPath link);
  // Moves the channel to `path` on the other link: the channel is closed while the handle of that link
  // is replaced. The handle of the path left stays as it is until it is attached again or detached.
  // False, and the channel closed, when the path cannot be opened.
  bool SwitchPath(std::string_view path);
  // Closes both handles; every exchange returns kResultNothing from then on.
  void Detach();

  // Open: an exchange reaches the device; closed: every exchange returns kResultNothing at once.
  bool IsOpen() const { return isOpen_.load(); }
  // True when all traffic goes through the receiver's interface, otherwise through the cable's.
  bool UseReceiver() const { return useReceiver_.load(); }
  // True while Exchange or ExchangeCrc runs on some thread.
  bool IsBusy() const { return busy_.load(); }
  // The command interface of a link, and that of the path in use, for what they tell about the device
  // (attributes, usages).
  const HidDevice& Handle(LinkPath link) const {
    return link == LinkPath::Receiver ? receiverHandle_ : wiredHandle_;
  }
  const HidDevice& Handle() const {
    return Handle(useReceiver_.load() ? LinkPath::Receiver : LinkPath::Wired);
  }

  std::uint16_t KeyTableLength() const { return keyTableLength_.load(); }
  std::uint8_t ChunkSize() const { return chunkSize_.load(); }

  // Mode kReceiverLinkMode selects the receiver with its short chunks; any other mode the cable.
  void SetLinkMode(int mode);
  // Accepts 0..512; anything else is refused and keeps the current length.
  bool SetKeyTableLength(int length);

  // Set before the channel is shared between threads.
  void SetPauses(const ProtocolPauses& pauses) { pauses_ = pauses; }
  const ProtocolPauses& Pauses() const { return pauses_; }

  // One request/reply exchange: the request is cut or zero-filled to 64 bytes, the reply receives the
  // last report read (at most its size). Returns kResultOk, kResultNothing, kResultWriteFailed or
  // kResultDeviceAbsent.
  int Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, std::size_t& bytesRead);
  // The light-frame exchange: no trace and no pause; on the receiver path the request carries a CRC and
  // each reply's CRC is verified.
  int ExchangeCrc(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                  std::size_t& bytesRead);

  // The command set. Results: kResultOk, the exchange's failure, kResultStatusFF / kResultStatusFE from
  // the device, kResultBadBank; kResultNothing without any traffic when a length does not fit its buffer.
  int BeginSession();
  int EndSession(int unused);
  int ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoLength> destination);
  int ReadMemory(std::span<std::uint8_t> destination, std::size_t length, std::uint32_t base);
  int WriteMemory(std::span<const std::uint8_t> source, std::size_t length, std::uint32_t base);
  int ReadKeyTable(std::span<std::uint8_t, kMaxKeyTableLength> destination);
  int ReadKeyTableBank(std::span<std::uint8_t, kMaxKeyTableLength> destination, int bank);
  int WriteKeyTable(std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank);
  int ReadKeyColours(std::span<std::uint8_t> destination, std::size_t length, std::uint32_t index,
                     std::uint32_t stride);
  int WriteKeyColours(std::span<const std::uint8_t> source, std::size_t length, std::uint32_t index,
                      std::uint32_t stride);
  int StreamLightFrame(std::span<const std::uint8_t> source, std::size_t length);
  // After each chunk of a long transfer: the bytes sent so far and in all. False stops the transfer, which
  // then fails.
  using TransferProgress = std::function<bool(std::size_t done, std::size_t total)>;
  int WriteMacroData(std::span<const std::uint8_t> source, std::size_t length,
                     const TransferProgress& progress = {});
  int WriteShootData(std::span<const std::uint8_t> source, std::size_t length,
                     const TransferProgress& progress = {});
  // Reads `length` (at most 56) bytes at `offset` in one report; the device's status byte is not
  // examined.
  int ReadStatus(std::span<std::uint8_t> destination, std::size_t length, std::uint16_t offset);
  int ReadKeyLightMap(std::span<std::uint8_t> destination);
  int EnableHostLighting();
  // The keyboard's second key table (its second key list, with its own slot map). The framing, chunking,
  // bank rule and results are WriteKeyTable's; only the command byte differs (0x27 instead of 0x09),
  // which tells the firmware which of its two tables the bytes replace.
  int WriteKeyTable2(std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank);
  // True when the wireless device answers through the receiver; a cabled device is always linked.
  bool QueryLink();

 private:
  enum class ExchangeStyle { Command, LightFrame };
  enum class TransferDirection { Read, Write, LightStream };
  enum class TransferLock { Command, Lighting, None };
  enum class TransferTotal { Fixed, KeyTable, KeyLightMap };

  struct ChunkedTransfer {
    CommandCode command;
    TransferDirection direction;
    TransferLock lock;
    TransferTotal total = TransferTotal::Fixed;
    std::size_t fixedLength = 0;
    // Added to each chunk's offset; the sum is sent truncated to 16 bits.
    std::uint32_t base = 0;
    // Full 56-byte chunks on the cable, whatever ChunkSize says.
    bool fullReports = false;
    const TransferProgress* progress = nullptr;
  };

  int RunExchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                  std::size_t& bytesRead, ExchangeStyle style);
  bool WriteRequest(CommandReport& request, bool receiver, ExchangeStyle style);
  int ReadReply(std::uint8_t command, std::span<std::uint8_t> reply, std::size_t& bytesRead, bool receiver,
                ExchangeStyle style);

  int RunChunked(const ChunkedTransfer& transfer, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination);
  int SendChunk(const ChunkedTransfer& transfer, const CommandReport& request, CommandReport& reply);
  std::size_t CurrentTotal(const ChunkedTransfer& transfer) const;
  // One report under the command lock; the request gets its sum here.
  int SingleReport(CommandReport& request, CommandReport& reply);
  int SingleCommand(CommandCode command);
  int KeyTableWrite(CommandCode command, std::span<const std::uint8_t, kMaxKeyTableLength> source, int bank);
  std::mutex* LockFor(TransferLock lock);

  HidDevice& HandleOf(LinkPath link) { return link == LinkPath::Receiver ? receiverHandle_ : wiredHandle_; }

  // Set while an exchange runs; read without a lock by StreamLightFrame, which drops a light frame
  // rather than wait for it.
  std::atomic<bool> busy_{false};
  std::atomic<bool> isOpen_{false};
  std::atomic<bool> useReceiver_{false};
  HidDevice wiredHandle_;
  HidDevice receiverHandle_;
  // Lock order, outermost first: commandLock_ or lightingLock_ around one exchange of a command, then
  // exchangeLock_ inside the exchange and around every open and close of a handle.
  std::mutex exchangeLock_;
  std::mutex commandLock_;
  std::mutex lightingLock_;
  std::atomic<std::uint16_t> keyTableLength_{kMaxKeyTableLength};
  std::atomic<std::uint8_t> chunkSize_{kReceiverChunkSize};
  ProtocolPauses pauses_;
};

}  // namespace nimbel
