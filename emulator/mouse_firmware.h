#pragma once

// The mouse's firmware: onboard profile memory, factory and current key tables, macro and
// shooting-pattern memory, the device information block, power status and the tables a host reads.

#include <array>
#include <cstdint>

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

  explicit MouseFirmware(const MouseOptions& options);

  Status Execute(const CommandRequest& request, ReplyData reply) override;
  void ApplyNotification(std::uint16_t value) override;

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

  void FillDeviceInfo(const MouseOptions& options);
  void FillSettingsBlocks(const MouseOptions& options);
  void FillKeyTables();

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
};

}  // namespace nimbel::emulator
