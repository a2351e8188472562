#pragma once

// The mouse's firmware: onboard profile memory, factory and current key tables, macro and
// shooting-pattern memory, the device information block, power status and the tables a host reads.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "emulator/device_firmware.h"
#include "emulator/memory_region.h"

namespace nimbel::emulator {

struct MouseOptions {
  std::uint16_t sensorCode = 0x3395;       // 0x3395, 0x3950 or 0x3104
  std::uint16_t firmwareVersion = 0x0109;  // reported in the information block and as the cable's bcdDevice
  std::uint16_t dpiStepCount = 114;        // sensor 0x3104 only: its DPI steps
};

// What tests may read and write directly, by the names of the data the commands address.
enum class MouseMemory {
  Onboard,          // current slot at 0; slot s's settings block at s * 96
  FactoryKeyTable,  // KeyCount * 3 bytes, one assignment code per physical button
  KeyTable,         // the current table (bank 0)
  KeyTable2,
  KeyColours,
  LightFrame,  // the last live lighting data streamed by the host
  Macro,
  Shoot,
  DeviceInfo,   // 34 bytes
  PowerStatus,  // 6 bytes
  KeyLightMap,  // KeyCount bytes
};

class MouseFirmware final : public DeviceFirmware {
 public:
  static constexpr std::size_t kSlotCount = 5;
  static constexpr std::size_t kSlotStride = 96;
  static constexpr std::size_t kSettingsBlockSize = 85;
  static constexpr std::uint8_t kKeyCount = 12;
  static constexpr std::size_t kDeviceInfoSize = 34;
  static constexpr std::size_t kPowerStatusSize = 6;
  // The macro memory: 255 blocks of 128 bytes, of which the information block offers some.
  static constexpr std::size_t kMacroMemorySize = 0xFF * 128;
  // The shooting-pattern memory: one image of the four patterns.
  static constexpr std::size_t kShootMemorySize = 4096;

  explicit MouseFirmware(const MouseOptions& options);

  Status Execute(const CommandRequest& request, ReplyData reply) override;
  void ApplyNotification(std::uint16_t value) override;
  std::vector<std::uint8_t> KeptMemory() const override;
  bool RestoreKeptMemory(std::span<const std::uint8_t> memory) override;
  void ResetKeptMemory() override;
  bool TakeCommittedChange() override;

  MemoryRegion& Region(MouseMemory which);
  bool SessionOpen() const { return sessionOpen_; }
  bool HostLighting() const { return hostLighting_; }
  std::uint8_t KeyCount() const;

 private:
  // A request addresses `base + offset` for `length` bytes of a region, but never past `limit`.
  Status ReadRegion(const MemoryRegion& region, std::size_t limit, const CommandRequest& request,
                    ReplyData reply) const;
  Status WriteRegion(MemoryRegion& region, std::size_t limit, const CommandRequest& request);
  std::size_t KeyTableBytes() const { return static_cast<std::size_t>(KeyCount()) * 3; }
  // A write that reached kept memory marks it changed.
  Status Kept(Status written);
  // The memories that survive a power cycle, in the order of the kept-memory block (const or not, as
  // `self` is).
  template <typename Self>
  static auto KeptRegions(Self& self) {
    return std::array{&self.onboard_,    &self.keys_,  &self.keys2_,
                      &self.keyColours_, &self.macro_, &self.shoot_};
  }
  std::size_t KeptMemorySize() const;

  void FillDeviceInfo();
  void FillSettingsBlocks();
  void FillKeyTables();

  const MouseOptions options_;
  MemoryRegion onboard_;
  MemoryRegion factoryKeys_;
  MemoryRegion keys_;
  MemoryRegion keys2_;
  MemoryRegion keyColours_;
  MemoryRegion lightFrame_;
  MemoryRegion macro_;
  MemoryRegion shoot_;
  MemoryRegion deviceInfo_;
  MemoryRegion powerStatus_;
  MemoryRegion keyLightMap_;
  bool sessionOpen_ = false;
  bool hostLighting_ = false;
  bool keptChanged_ = false;
};

}  // namespace nimbel::emulator
