#pragma once

// A command channel bound to an emulated mouse the way a device object binds it: the command handle of
// one path opened under ExchangeLock, IsOpen set, the link mode chosen for the path.

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "hid/hid_device.h"
#include "protocol/command_channel.h"

namespace nimbel::protocol_test {

enum class Link { Cable, Receiver };

// The command collection of each path: vendor-defined page 0xFF1C on mi_01, col02 by cable and col04
// through the receiver.
struct CommandInterfaceAddress {
  std::uint16_t productId;
  std::uint16_t interfaceNumber;
  std::uint16_t collectionNumber;
};
inline constexpr CommandInterfaceAddress kCableCommandInterface{0x226E, 1, 2};
inline constexpr CommandInterfaceAddress kReceiverCommandInterface{0x22B5, 1, 4};

inline std::string FindCommandPath(VirtualHidBus& bus, const CommandInterfaceAddress& address) {
  std::vector<std::string> paths;
  if (!bus.EnumeratePaths(paths)) return {};
  for (const std::string& path : paths) {
    if (ParsePathNumber(path, "pid_") == address.productId &&
        ParsePathNumber(path, "&mi_") == address.interfaceNumber &&
        ParsePathNumber(path, "&col") == address.collectionNumber) {
      return path;
    }
  }
  return {};
}

// Members are declared so that the channel closes its handles before the emulator goes away.
class EmulatedChannel {
 public:
  // Pauses default to zero to keep tests fast; the protocol's own pauses are exercised where asked for.
  explicit EmulatedChannel(Link link, ProtocolPauses pauses = {std::chrono::milliseconds{0},
                                                               std::chrono::milliseconds{0}})
      : link_(link),
        mouse_(link == Link::Cable ? emulator_.PlugMouseCable() : emulator_.PlugMouseReceiver()) {
    InstallHidBackend(emulator_.Bus());
    channel_.SetPauses(pauses);
    const std::string path = FindCommandPath(
        *emulator_.Bus(), link == Link::Cable ? kCableCommandInterface : kReceiverCommandInterface);
    std::lock_guard lock(channel_.ExchangeLock);
    HidDevice& handle = link == Link::Cable ? channel_.WiredHandle : channel_.ReceiverHandle;
    opened_ = !path.empty() && handle.Open(path, true, true, true, false);
    if (!opened_) return;
    channel_.IsOpen = true;
    channel_.SetLinkMode(link == Link::Cable ? kWiredLinkMode : kReceiverLinkMode);
  }

  bool Opened() const { return opened_; }
  Link LinkKind() const { return link_; }
  CommandChannel& Channel() { return channel_; }
  emulator::EmulatedMouse& Mouse() { return mouse_; }
  emulator::DeviceEmulator& Emulator() { return emulator_; }
  std::vector<emulator::ReceivedRequest> Requests() const { return mouse_.Requests(); }

 private:
  Link link_;
  emulator::DeviceEmulator emulator_;
  emulator::EmulatedMouse& mouse_;
  bool opened_ = false;
  CommandChannel channel_;
};

}  // namespace nimbel::protocol_test
