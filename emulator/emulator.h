#pragma once

// The firmware emulator: the devices as they behave on the wire, behind the virtual HID bus. Tests and
// demo mode plug, unplug, switch links and inject faults through this facade.
//
// Firmware behaviour the host can rely on:
// - A request is a 64-byte output report with report id 4 on the command collection; any other length
//   or id fails the write. The reply echoes the command byte in byte 3 and bytes 4..6 of the request,
//   carries the status in byte 7 and data from byte 8, and its sum (or, for light frames through the
//   receiver, its CRC of bytes 3..31) in bytes 1..2.
// - Status 0xFF: unknown command, wrong sum, or (through the receiver) byte 32 is not the receiver's
//   mark 2. The receiver's sum leaves byte 32 out, so data the host put there does not survive and the
//   request is refused rather than stored damaged.
// - Status 0xFE: the offset and length leave the addressed data (or a length above 56), and light frames
//   through the receiver whose CRC is wrong. Nothing outside any buffer is read or written.
// - Sessions are tracked but not required: reads come outside sessions (settings reads, power polls,
//   light frames), so no command is refused for want of one.
// - Through the receiver, while the wireless link is off, every reply carries 0xAA in byte 3 and 0 in
//   byte 9 (so QueryLink's echo matches and reports "not linked"); nothing reaches the mouse.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "emulator/emulated_device.h"
#include "emulator/mouse_firmware.h"
#include "hid/virtual_hid.h"
#include "protocol/key_codes.h"
#include "protocol/macro_image.h"

namespace nimbel::emulator {

// A mouse of the command protocol: its memory, key tables, macro and pattern memory, device
// information block and power status, reachable by cable, through a receiver, or both.
class EmulatedMouse final : public EmulatedDevice {
 public:
  explicit EmulatedMouse(const MouseOptions& options);

  // Direct access to what the firmware holds; nullopt / false when the range leaves the memory.
  std::optional<std::vector<std::uint8_t>> Read(MouseMemory memory, std::size_t offset,
                                                std::size_t length) const;
  bool Write(MouseMemory memory, std::size_t offset, std::span<const std::uint8_t> bytes);

  // The 85-byte settings block of an onboard slot (0..4); empty for another slot.
  std::vector<std::uint8_t> SettingsBlock(std::size_t slot) const;
  std::uint8_t CurrentSlot() const;
  std::uint8_t KeyCount() const;

  // What the mouse's own buttons do, told to the host as the mouse tells it: the slot switch reports
  // 0x10pq (slot q), the DPI buttons 0x11pq (slot q, stage p). Out-of-range numbers are not sent.
  void SwitchSlot(std::uint8_t slot);
  void SwitchStage(std::uint8_t stage);
  // The DPI cycle button: the next stage of the current slot that is in the cycle.
  void CycleStage();
  // The current key table as the firmware acts on it, and the factory table: one code per physical
  // button.
  std::vector<AssignmentCode> KeyAssignments() const;
  std::vector<AssignmentCode> FactoryAssignments() const;
  // The user presses physical button `button`: the mouse reports the press (0x0403, which lights the
  // reactive effect) and does what its current key table says. The DPI
  // functions switch the stage as the DPI buttons do (reported to the host); the code is returned as
  // what the mouse sent. Nullopt beyond the buttons.
  std::optional<AssignmentCode> PressButton(std::size_t button);
  // The macro memory decoded: the records as the mouse plays them; nullopt when it holds no image.
  std::optional<std::vector<MacroRecord>> Macros() const;
  // What the mouse plays when button `button` is pressed: the macro record its key names; nullopt for a
  // button without a macro, or a macro the memory lacks.
  std::optional<MacroRecord> MacroOfButton(std::size_t button) const;
  // The shooting-pattern memory decoded: the four patterns as the mouse fires them; nullopt when it holds
  // no image.
  std::optional<std::vector<MacroRecord>> ShootPatterns() const;
  bool SessionOpen() const;
  bool HostLightingEnabled() const;

 private:
  enum class StageStep { kUp, kDown, kCycle };
  // A key table as codes, as many as the mouse has buttons; empty when the count leaves the table.
  std::vector<AssignmentCode> DecodeKeyTable(MouseMemory table) const;
  // The next stage in the cycle that way; up and down stop at the ends.
  void StepStage(StageStep step);
  MouseFirmware& Mouse() const;
};

// Facade over one virtual bus with the emulated products on it. Its destruction ends every report
// latency wait and unplugs every product, so handles still open then fail; hosts stop their transfers
// before the emulator goes.
class DeviceEmulator {
 public:
  DeviceEmulator();
  ~DeviceEmulator();
  DeviceEmulator(const DeviceEmulator&) = delete;
  DeviceEmulator& operator=(const DeviceEmulator&) = delete;

  std::shared_ptr<VirtualHidBus> Bus() const;

  // Demo mode: each mouse keeps its memory in `store` from when it is first plugged, one image per mouse
  // and sensor variant ("mouse-3395", "mouse2-3395"). Set before plugging; without it (as in tests) every
  // mouse starts from its factory memory.
  void KeepMemoryIn(std::shared_ptr<MemoryStore> store);

  // Products of the supported-interface table. Each call returns the mouse it reaches; plugging the
  // cable and the receiver of the same mouse reaches one firmware by two paths. The options count when
  // the mouse is first met; a mouse keeps its memory while unplugged and lives as long as the emulator.
  EmulatedMouse& PlugMouseCable(const MouseOptions& options = {});      // 0x320F:0x226E
  EmulatedMouse& PlugMouseReceiver(const MouseOptions& options = {});   // 0x320F:0x22B5
  EmulatedMouse& PlugMouse2Receiver(const MouseOptions& options = {});  // 0x320F:0x2260
  void UnplugMouseCable();
  void UnplugMouseReceiver();
  void UnplugMouse2Receiver();

  bool IsMouseCablePlugged() const;
  bool IsMouseReceiverPlugged() const;
  bool IsMouse2ReceiverPlugged() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace nimbel::emulator
