#pragma once

// The firmware emulator: the devices as they behave on the wire, behind the virtual HID bus. Tests and
// demo mode plug, unplug, switch links and inject faults through this facade.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "hid/virtual_hid.h"

namespace nimbel::emulator {

// What the firmware does with the next command requests it receives (one fault per request, in order).
enum class Fault {
  NoReply,           // the request is taken, nothing comes back
  StaleThenEcho,     // a report with another command byte, then the real reply
  TwoStaleReplies,   // two reports with other command bytes and no echo
  StatusFF,          // reply status byte 0xFF
  StatusFE,          // reply status byte 0xFE
  BadCrc,            // receiver path: the reply's CRC bytes are wrong (light frames)
  WriteFails,        // the output report is refused
  UnplugDuringReply, // the device is unplugged before it replies
};

// One request as the firmware received it, kept for tests to check what the host sent.
struct ReceivedRequest {
  std::array<std::uint8_t, 64> bytes{};
  bool throughReceiver = false;
};

// A mouse of the command protocol: its memory, key tables, macro and pattern memory, device
// information block and power status, reachable by cable, through a receiver, or both.
class EmulatedMouse;

struct MouseOptions {
  std::uint16_t sensorCode = 0x3395;      // 0x3395, 0x3950 or 0x3104
  std::uint16_t firmwareVersion = 0x0109; // bcdDevice of the cable interface
  std::uint16_t dpiStepCount = 0;         // sensor 0x3104 only
};

// Facade over one virtual bus with the emulated products on it.
class DeviceEmulator {
 public:
  DeviceEmulator();
  ~DeviceEmulator();

  std::shared_ptr<VirtualHidBus> Bus() const;

  // Products of the supported-interface table. Each call returns the mouse it reaches; plugging the
  // cable and the receiver of the same mouse reaches one firmware by two paths.
  EmulatedMouse& PlugMouseCable(const MouseOptions& options = {});     // 0x320F:0x226E
  EmulatedMouse& PlugMouseReceiver(const MouseOptions& options = {});  // 0x320F:0x22B5
  EmulatedMouse& PlugMouse2Receiver(const MouseOptions& options = {}); // 0x320F:0x2260
  void UnplugMouseCable();
  void UnplugMouseReceiver();
  void UnplugMouse2Receiver();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace nimbel::emulator
