#include <array>

#include "emulator/emulator.h"

namespace nimbel::emulator {
namespace {

constexpr std::uint16_t kSlotReport = 0x1000;
constexpr std::uint16_t kStageReport = 0x1100;
constexpr std::uint16_t kButtonPressReport = 0x0403;
constexpr int kStageShift = 4;
// Where the stages sit in a slot's settings block, and the byte that says a stage is in the cycle.
constexpr std::size_t kActiveStageByte = 12;
constexpr std::size_t kFirstStageByte = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kStageCount = 7;
constexpr std::size_t kKeyCodeSize = 3;

}  // namespace

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

void EmulatedMouse::SwitchSlot(std::uint8_t slot) {
  if (slot >= MouseFirmware::kSlotCount) return;
  SendNotification(static_cast<std::uint16_t>(kSlotReport | slot));
}

void EmulatedMouse::SwitchStage(std::uint8_t stage) {
  if (stage >= kStageCount) return;
  SendNotification(static_cast<std::uint16_t>(kStageReport | stage << kStageShift | CurrentSlot()));
}

void EmulatedMouse::CycleStage() {
  StepStage(StageStep::kCycle);
}

void EmulatedMouse::StepStage(StageStep step) {
  const std::vector<std::uint8_t> block = SettingsBlock(CurrentSlot());
  if (block.empty()) return;
  const std::size_t active = block[kActiveStageByte] % kStageCount;
  for (std::size_t distance = 1; distance < kStageCount; ++distance) {
    std::size_t stage = 0;
    if (step == StageStep::kDown) {
      if (distance > active) return;
      stage = active - distance;
    } else {
      stage = active + distance;
      if (step == StageStep::kUp && stage >= kStageCount) return;
      stage %= kStageCount;
    }
    if (block[kFirstStageByte + stage * kStageSize] != 0) {
      SwitchStage(static_cast<std::uint8_t>(stage));
      return;
    }
  }
}

std::vector<AssignmentCode> EmulatedMouse::KeyAssignments() const {
  return DecodeKeyTable(MouseMemory::KeyTable);
}

std::vector<AssignmentCode> EmulatedMouse::FactoryAssignments() const {
  return DecodeKeyTable(MouseMemory::FactoryKeyTable);
}

std::vector<AssignmentCode> EmulatedMouse::DecodeKeyTable(MouseMemory table) const {
  const std::size_t count = KeyCount();
  const std::vector<std::uint8_t> bytes =
      Read(table, 0, count * kKeyCodeSize).value_or(std::vector<std::uint8_t>{});
  std::vector<AssignmentCode> codes;
  for (std::size_t offset = 0; offset + kKeyCodeSize <= bytes.size(); offset += kKeyCodeSize)
    codes.push_back({bytes[offset], bytes[offset + 1], bytes[offset + 2]});
  return codes;
}

std::optional<std::vector<MacroRecord>> EmulatedMouse::Macros() const {
  const std::vector<std::uint8_t> memory =
      Read(MouseMemory::Macro, 0, MouseFirmware::kMacroMemorySize).value_or(std::vector<std::uint8_t>{});
  return DecodeMacroImage(memory);
}

std::optional<std::vector<MacroRecord>> EmulatedMouse::ShootPatterns() const {
  const std::vector<std::uint8_t> memory =
      Read(MouseMemory::Shoot, 0, MouseFirmware::kShootMemorySize).value_or(std::vector<std::uint8_t>{});
  return DecodeMacroImage(memory);
}

std::optional<MacroRecord> EmulatedMouse::MacroOfButton(std::size_t button) const {
  const std::vector<AssignmentCode> codes = KeyAssignments();
  if (button >= codes.size() || !(codes[button].type == assignment_type::kMacroMode ||
                                  codes[button].type == assignment_type::kMacroRepeat)) {
    return std::nullopt;
  }
  const std::optional<std::vector<MacroRecord>> records = Macros();
  if (!records || codes[button].p1 >= records->size()) return std::nullopt;
  return (*records)[codes[button].p1];
}

std::optional<AssignmentCode> EmulatedMouse::PressButton(std::size_t button) {
  const std::vector<AssignmentCode> codes = KeyAssignments();
  if (button >= codes.size()) return std::nullopt;
  SendNotification(kButtonPressReport);
  const AssignmentCode code = codes[button];
  if (code.type == assignment_type::kSensitivity) {
    constexpr std::array<StageStep, 3> kSteps{StageStep::kUp, StageStep::kDown, StageStep::kCycle};
    if (code.p1 >= 1 && code.p1 <= kSteps.size()) StepStage(kSteps[code.p1 - 1]);
  }
  return code;
}

}  // namespace nimbel::emulator
