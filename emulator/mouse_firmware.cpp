#include "emulator/mouse_firmware.h"

#include <algorithm>

namespace nimbel::emulator {
namespace {

// The device information block.
constexpr std::size_t kInfoDeviceClass = 0;
constexpr std::size_t kInfoFirmwareVersion = 1;  // 16-bit
constexpr std::size_t kInfoKeyCount = 5;
constexpr std::size_t kInfoMacroBlocks = 6;  // macro capacity in 128-byte blocks
constexpr std::size_t kInfoLinkFlag = 7;
constexpr std::size_t kInfoSlotCount = 8;
constexpr std::size_t kInfoSensorCode = 9;  // 16-bit
constexpr std::size_t kInfoLedCount = 11;
constexpr std::size_t kInfoDpiStepCount = 12;  // 16-bit
constexpr std::size_t kInfoStageCount = 14;
constexpr std::uint8_t kMouseClass = 1;
constexpr std::size_t kMacroBlockSize = 128;
constexpr std::uint8_t kFactoryMacroBlocks = 32;
constexpr std::uint8_t kLedCount = 15;

// Sizes of the memories the commands address.
constexpr std::size_t kKeyTableBankSize = 512;
constexpr std::size_t kKeyColourSize = 8 * 512;
constexpr std::size_t kLightFrameSize = 512;
constexpr std::size_t kMacroSize = MouseFirmware::kMacroMemorySize;
constexpr std::size_t kShootSize = MouseFirmware::kShootMemorySize;

// The settings block.
constexpr std::size_t kBlockLightMode = 1;
constexpr std::size_t kBlockBrightness = 2;
constexpr std::size_t kBlockSpeed = 3;
constexpr std::size_t kBlockMultiColour = 5;
constexpr std::size_t kBlockRed = 6;
constexpr std::size_t kBlockGreen = 7;
constexpr std::size_t kBlockBlue = 8;
constexpr std::size_t kBlockPollingCode = 11;
constexpr std::size_t kBlockActiveStage = 12;
constexpr std::size_t kBlockFirstStage = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kStageCount = 7;
constexpr std::size_t kBlockSleepCode = 79;
constexpr std::size_t kBlockDeepSleepCode = 80;

struct Colour {
  std::uint8_t red, green, blue;
};
constexpr std::array<Colour, kStageCount> kStageColours{{
    {0xFF, 0x00, 0x00},
    {0x00, 0xFF, 0x00},
    {0x00, 0x00, 0xFF},
    {0xFF, 0xFF, 0x00},
    {0x00, 0xFF, 0xFF},
    {0xFF, 0x00, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};
// Stage DPIs per sensor: values for the two DPI sensors, step indexes for the stepped one.
constexpr std::array<std::uint16_t, kStageCount> kPrimeStageDpis{400, 800, 1600, 3200, 6400, 12800, 26000};
constexpr std::array<std::uint16_t, kStageCount> kApexStageDpis{400, 800, 1600, 3200, 6400, 12800, 30000};
constexpr std::array<std::uint16_t, kStageCount> kStepStageDpis{4, 7, 28, 60, 81, 103, 113};
constexpr std::uint16_t kApexSensor = 0x3950;
constexpr std::uint16_t kSteppedSensor = 0x3104;

constexpr std::uint8_t kFactoryLightMode = 1;
constexpr std::uint8_t kFactoryBrightness = 4;
constexpr std::uint8_t kFactorySpeedCode = 2;
constexpr std::uint8_t kFactoryPollingCode = 0;  // 3 - the rate index
constexpr std::uint8_t kFactoryActiveStage = 1;
constexpr std::uint8_t kFactorySleepCode = 10;      // one of 6, 8, 10, 20, 30, 40, 60
constexpr std::uint8_t kFactoryDeepSleepCode = 10;  // one of 3, 4, 5, 10, 15, 20, 30

// The factory codes of the function slots, laid out in the order of the physical buttons (which is not
// the slot order: the host finds each slot's button by its code).
using AssignmentCode = std::array<std::uint8_t, 3>;
constexpr std::array<AssignmentCode, MouseFirmware::kKeyCount> kFactoryKeyCodes{{
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x08, 0x00},  // back
    {0x10, 0x10, 0x00},  // forward
    {0x13, 0x03, 0x00},  // DPI cycle
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x14, 0x78, 0x02},  // fire key
    {0x16, 0x90, 0x01},  // DPI shift
    {0x15, 0x03, 0x00},  // polling-rate cycle
    {0xA0, 0x1B, 0x00},  // game mode
}};
// The LED under each physical button.
constexpr std::array<std::uint8_t, MouseFirmware::kKeyCount> kKeyLeds{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// Notification values that change what the firmware holds: 0x10pq slot q, 0x11pq slot q with stage p.
constexpr std::uint16_t kSlotChanged = 0x1000;
constexpr std::uint16_t kStageChanged = 0x1100;
constexpr std::uint16_t kNotificationKindMask = 0xFF00;

}  // namespace

MouseFirmware::MouseFirmware(const MouseOptions& options)
    : options_(options),
      onboard_(kSlotCount * kSlotStride),
      factoryKeys_(kKeyTableBankSize),
      keys_(kKeyTableBankSize),
      keys2_(kKeyTableBankSize),
      keyColours_(kKeyColourSize),
      lightFrame_(kLightFrameSize),
      macro_(kMacroSize),
      shoot_(kShootSize),
      deviceInfo_(kDeviceInfoSize),
      powerStatus_(kPowerStatusSize),
      keyLightMap_(kKeyTableBankSize / 3) {
  FillDeviceInfo();
  FillSettingsBlocks();
  FillKeyTables();
  constexpr std::array<std::uint8_t, kPowerStatusSize> kFactoryPower{85, 0, 0, 0, 0, 0};
  powerStatus_.Write(0, kFactoryPower);
}

void MouseFirmware::FillDeviceInfo() {
  const MouseOptions& options = options_;
  auto info = deviceInfo_.Bytes();
  info[kInfoDeviceClass] = kMouseClass;
  WriteLe16(info, kInfoFirmwareVersion, options.firmwareVersion);
  info[kInfoKeyCount] = kKeyCount;
  info[kInfoMacroBlocks] = kFactoryMacroBlocks;
  info[kInfoLinkFlag] = 0;
  info[kInfoSlotCount] = static_cast<std::uint8_t>(kSlotCount);
  WriteLe16(info, kInfoSensorCode, options.sensorCode);
  info[kInfoLedCount] = kLedCount;
  WriteLe16(info, kInfoDpiStepCount, options.sensorCode == kSteppedSensor ? options.dpiStepCount : 0);
  info[kInfoStageCount] = static_cast<std::uint8_t>(kStageCount);
}

void MouseFirmware::FillSettingsBlocks() {
  const auto& dpis = options_.sensorCode == kSteppedSensor ? kStepStageDpis
                     : options_.sensorCode == kApexSensor  ? kApexStageDpis
                                                           : kPrimeStageDpis;
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    auto block = onboard_.Bytes().subspan(slot * kSlotStride, kSettingsBlockSize);
    block[0] = static_cast<std::uint8_t>(slot);
    block[kBlockLightMode] = kFactoryLightMode;
    block[kBlockBrightness] = kFactoryBrightness;
    block[kBlockSpeed] = kFactorySpeedCode;
    block[kBlockMultiColour] = 1;
    block[kBlockRed] = 0xFF;
    block[kBlockGreen] = 0x00;
    block[kBlockBlue] = 0x00;
    block[kBlockPollingCode] = kFactoryPollingCode;
    block[kBlockActiveStage] = kFactoryActiveStage;
    for (std::size_t i = 0; i < kStageCount; ++i) {
      auto stage = block.subspan(kBlockFirstStage + kStageSize * i, kStageSize);
      stage[0] = 1;  // in the DPI cycle
      stage[1] = 0;  // X and Y together
      WriteLe16(stage, 2, dpis[i]);
      WriteLe16(stage, 4, dpis[i]);
      stage[6] = kStageColours[i].red;
      stage[7] = kStageColours[i].green;
      stage[8] = kStageColours[i].blue;
    }
    block[kBlockSleepCode] = kFactorySleepCode;
    block[kBlockDeepSleepCode] = kFactoryDeepSleepCode;
  }
}

void MouseFirmware::FillKeyTables() {
  for (std::size_t k = 0; k < kFactoryKeyCodes.size(); ++k) {
    factoryKeys_.Write(k * 3, kFactoryKeyCodes[k]);
    keys_.Write(k * 3, kFactoryKeyCodes[k]);
  }
  keyLightMap_.Write(0, kKeyLeds);
}

std::uint8_t MouseFirmware::KeyCount() const {
  return deviceInfo_.Bytes()[kInfoKeyCount];
}

std::size_t MouseFirmware::KeptMemorySize() const {
  std::size_t size = 0;
  for (const MemoryRegion* region : KeptRegions(*this)) size += region->Size();
  return size;
}

std::vector<std::uint8_t> MouseFirmware::KeptMemory() const {
  std::vector<std::uint8_t> memory;
  memory.reserve(KeptMemorySize());
  for (const MemoryRegion* region : KeptRegions(*this))
    memory.insert(memory.end(), region->Bytes().begin(), region->Bytes().end());
  return memory;
}

bool MouseFirmware::RestoreKeptMemory(std::span<const std::uint8_t> memory) {
  if (memory.size() != KeptMemorySize()) return false;
  for (MemoryRegion* region : KeptRegions(*this)) {
    region->Write(0, memory.first(region->Size()));
    memory = memory.subspan(region->Size());
  }
  return true;
}

void MouseFirmware::ResetKeptMemory() {
  RestoreKeptMemory(std::vector<std::uint8_t>(KeptMemorySize()));
  FillSettingsBlocks();
  FillKeyTables();
  keptChanged_ = true;
}

bool MouseFirmware::TakeCommittedChange() {
  if (!keptChanged_ || sessionOpen_) return false;
  keptChanged_ = false;
  return true;
}

Status MouseFirmware::Kept(Status written) {
  if (written == Status::Ok) keptChanged_ = true;
  return written;
}

MemoryRegion& MouseFirmware::Region(MouseMemory which) {
  switch (which) {
    case MouseMemory::Onboard:
      return onboard_;
    case MouseMemory::FactoryKeyTable:
      return factoryKeys_;
    case MouseMemory::KeyTable:
      return keys_;
    case MouseMemory::KeyTable2:
      return keys2_;
    case MouseMemory::KeyColours:
      return keyColours_;
    case MouseMemory::LightFrame:
      return lightFrame_;
    case MouseMemory::Macro:
      return macro_;
    case MouseMemory::Shoot:
      return shoot_;
    case MouseMemory::DeviceInfo:
      return deviceInfo_;
    case MouseMemory::PowerStatus:
      return powerStatus_;
    case MouseMemory::KeyLightMap:
      return keyLightMap_;
  }
  return onboard_;
}

Status MouseFirmware::ReadRegion(const MemoryRegion& region, std::size_t limit, const CommandRequest& request,
                                 ReplyData reply) const {
  const std::size_t end = std::size_t{request.offset} + request.length;
  if (request.length > reply.size() || end > limit) return Status::OutOfRange;
  return region.Read(request.offset, reply.first(request.length)) ? Status::Ok : Status::OutOfRange;
}

Status MouseFirmware::WriteRegion(MemoryRegion& region, std::size_t limit, const CommandRequest& request) {
  const std::size_t end = std::size_t{request.offset} + request.length;
  if (request.length > request.data.size() || end > limit) return Status::OutOfRange;
  return region.Write(request.offset, request.data.first(request.length)) ? Status::Ok : Status::OutOfRange;
}

Status MouseFirmware::Execute(const CommandRequest& request, ReplyData reply) {
  const auto whole = [](const MemoryRegion& region) { return region.Size(); };
  switch (static_cast<Command>(request.command)) {
    case Command::BeginSession:
      sessionOpen_ = true;
      return Status::Ok;
    case Command::EndSession:
      sessionOpen_ = false;
      return Status::Ok;
    case Command::ReadDeviceInfo:
      return ReadRegion(deviceInfo_, whole(deviceInfo_), request, reply);
    case Command::ReadMemory:
      return ReadRegion(onboard_, whole(onboard_), request, reply);
    case Command::WriteMemory:
      return Kept(WriteRegion(onboard_, whole(onboard_), request));
    case Command::ReadKeyTable:
      return ReadRegion(factoryKeys_, KeyTableBytes(), request, reply);
    case Command::ReadKeyTableBank:
      return ReadRegion(keys_, whole(keys_), request, reply);
    case Command::WriteKeyTable:
      return Kept(WriteRegion(keys_, whole(keys_), request));
    case Command::WriteKeyTable2:
      return Kept(WriteRegion(keys2_, whole(keys2_), request));
    case Command::ReadKeyColours:
      return ReadRegion(keyColours_, whole(keyColours_), request, reply);
    case Command::WriteKeyColours:
      return Kept(WriteRegion(keyColours_, whole(keyColours_), request));
    case Command::StreamLightFrame:
      return WriteRegion(lightFrame_, whole(lightFrame_), request);
    case Command::WriteMacroData:
      return Kept(
          WriteRegion(macro_, std::size_t{deviceInfo_.Bytes()[kInfoMacroBlocks]} * kMacroBlockSize, request));
    case Command::WriteShootData:
      return Kept(WriteRegion(shoot_, whole(shoot_), request));
    case Command::ReadStatus:
      return ReadRegion(powerStatus_, whole(powerStatus_), request, reply);
    case Command::ReadKeyLightMap:
      return ReadRegion(keyLightMap_, KeyCount(), request, reply);
    case Command::EnableHostLighting:
      hostLighting_ = true;
      return Status::Ok;
    case Command::QueryLink:
      reply[kLinkStateByte - kDataByte] = kLinkedValue;
      return Status::Ok;
  }
  return Status::Rejected;
}

void MouseFirmware::ApplyNotification(std::uint16_t value) {
  const std::uint16_t kind = value & kNotificationKindMask;
  if (kind != kSlotChanged && kind != kStageChanged) return;
  const std::size_t slot = value & 0x0F;
  const std::size_t stage = (value >> 4) & 0x0F;
  if (slot >= kSlotCount || (kind == kStageChanged && stage >= kStageCount)) return;
  onboard_.Bytes()[0] = static_cast<std::uint8_t>(slot);
  keptChanged_ = true;
  if (kind == kStageChanged)
    onboard_.Bytes()[slot * kSlotStride + kBlockActiveStage] = static_cast<std::uint8_t>(stage);
}

}  // namespace nimbel::emulator
