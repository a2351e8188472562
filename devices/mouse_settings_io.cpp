// The mouse's settings record on the wire: reading it into the object and the profile, and writing
// the profile's values back into it.

#include <algorithm>

#include "devices/mouse_device.h"

namespace nimbel {

int CVelquorMouseDevice::ReadSettingsBlock(MouseSettingsBlock& block, std::uint8_t& slot) {
  CommandChannel& channel = Channel();
  if (!channel.IsOpen()) return kResultNothing;
  if (channel.UseReceiver() && !channel.QueryLink()) return kResultNothing;
  std::array<std::uint8_t, 1> slotByte{};
  const int slotRead = channel.ReadMemory(slotByte, slotByte.size(), settings_byte::kSlot);
  if (slotRead != kResultOk) return slotRead;
  const int blockRead =
      channel.ReadMemory(block, block.size(), static_cast<std::uint32_t>(slotByte[0] * kMouseSlotStride));
  if (blockRead != kResultOk) return blockRead;
  slot = slotByte[0];
  return kResultOk;
}

int CVelquorMouseDevice::ReadSettings() {
  backup_[0] = onboardSlot_.load();
  std::copy_n(mirror_.begin(), backup_.size() - 1, backup_.begin() + 1);

  MouseSettingsBlock block{};
  std::uint8_t slot = 0;
  if (ReadSettingsBlock(block, slot) != kResultOk) return kResultNothing;
  mirror_ = block;
  mirrorRead_ = true;
  onboardSlot_ = slot;

  const DecodedMouseSettings decoded =
      DecodeMouseSettings(block, ModeCodes(), system_, profile_.GetLightInfo());
  // A mouse of unknown variant keeps every stage of the object and the profile as they are.
  if (variant_) {
    stages_ = decoded.stages;
    activeStage_ = decoded.activeStage;
    profile_.SetDpiStages(stages_, variant_->index);
    profile_.SetActiveStage(activeStage_, variant_->index);
  }
  SetSystemSettings(decoded.system);
  profile_.SetLightInfo(decoded.light);
  SaveProfile();
  return kResultOk;
}

int CVelquorMouseDevice::SettleSettings() {
  return writePending_ ? WriteSettings(0, 0) : ReadSettings();
}

int CVelquorMouseDevice::WriteSettings(int slot, int firstByte) {
  const int result = WriteSettingsRecord(slot, firstByte);
  writePending_ = result != kResultOk;
  // The record at slot 0 begins with the slot the mouse uses, which the write has just set.
  if (result == kResultOk && slot == 0) onboardSlot_ = static_cast<std::uint8_t>(firstByte);
  ShowNotices();
  return result;
}

int CVelquorMouseDevice::WriteSettingsRecord(int slot, int firstByte) {
  CommandChannel& channel = Channel();
  // Nothing reaches a mouse over a closed channel; saying so keeps callers from taking it as written.
  if (!channel.IsOpen()) return kResultNothing;
  // The record carries bytes the program does not interpret: they can only go back as the mouse gave
  // them once it gave them.
  if (!mirrorRead_) {
    std::uint8_t readSlot = 0;
    if (ReadSettingsBlock(mirror_, readSlot) != kResultOk) return kResultNothing;
    mirrorRead_ = true;
  }

  MouseSettingsBlock block = mirror_;
  const ProfileValues values = ReadProfileValues();
  const MouseSettingsContent content{values.stages ? &*values.stages : nullptr,
                                     static_cast<std::uint8_t>(values.activeStage), values.system,
                                     values.light};
  EncodeMouseSettings(block, content, ModeCodes(), static_cast<std::uint8_t>(firstByte));

  // Through the receiver the mouse may go out of reach at any step; nothing more is sent then.
  const bool receiver = channel.UseReceiver();
  const auto linked = [&] { return !receiver || channel.QueryLink(); };
  if (!linked()) return kResultNothing;
  channel.BeginSession();
  if (!linked()) return kResultNothing;
  const int written =
      channel.WriteMemory(block, block.size(), static_cast<std::uint32_t>(slot) * kMouseSlotStride);
  if (!linked()) return kResultNothing;
  channel.EndSession(0);
  return written;
}

}  // namespace nimbel
