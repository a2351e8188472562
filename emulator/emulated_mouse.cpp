#include "emulator/emulator.h"

namespace nimbel::emulator {

EmulatedMouse::EmulatedMouse(const MouseOptions& options)
    : EmulatedDevice(std::make_unique<MouseFirmware>(options)) {}

MouseFirmware& EmulatedMouse::Mouse() const {
  return static_cast<MouseFirmware&>(Firmware());
}

std::optional<std::vector<std::uint8_t>> EmulatedMouse::Read(MouseMemory memory, std::size_t offset,
                                                             std::size_t length) const {
  return Locked([&]() -> std::optional<std::vector<std::uint8_t>> {
    std::vector<std::uint8_t> bytes(length);
    if (!Mouse().Region(memory).Read(offset, bytes)) return std::nullopt;
    return bytes;
  });
}

bool EmulatedMouse::Write(MouseMemory memory, std::size_t offset, std::span<const std::uint8_t> bytes) {
  return Locked([&] { return Mouse().Region(memory).Write(offset, bytes); });
}

std::vector<std::uint8_t> EmulatedMouse::SettingsBlock(std::size_t slot) const {
  if (slot >= MouseFirmware::kSlotCount) return {};
  return Read(MouseMemory::Onboard, slot * MouseFirmware::kSlotStride, MouseFirmware::kSettingsBlockSize)
      .value_or(std::vector<std::uint8_t>{});
}

std::uint8_t EmulatedMouse::CurrentSlot() const {
  return Locked([&] { return Mouse().Region(MouseMemory::Onboard).Bytes()[0]; });
}

std::uint8_t EmulatedMouse::KeyCount() const {
  return Locked([&] { return Mouse().KeyCount(); });
}

bool EmulatedMouse::SessionOpen() const {
  return Locked([&] { return Mouse().SessionOpen(); });
}

bool EmulatedMouse::HostLightingEnabled() const {
  return Locked([&] { return Mouse().HostLighting(); });
}

}  // namespace nimbel::emulator
