#pragma once

// A command channel bound to an emulated mouse the way a device object binds it: the command interface of
// one path attached to the channel.

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "hid/hid_device.h"
#include "protocol/command_channel.h"
#include "tests/support/emulated_paths.h"

namespace nimbel::protocol_test {

enum class Link { Cable, Receiver };

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
    const std::string path = test_support::FindCollectionPath(
        *emulator_.Bus(), link == Link::Cable ? test_support::kCableCommand : test_support::kReceiverCommand);
    opened_ =
        !path.empty() && channel_.Attach(path, link == Link::Cable ? LinkPath::Wired : LinkPath::Receiver);
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
