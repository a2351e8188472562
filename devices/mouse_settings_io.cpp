// The mouse's settings record on the wire: reading it into the object and the profile, and writing
// the profile's values back into it. The exchanges run on the device's worker, on copies taken when the
// work was asked for; what they bring back is applied on the UI thread.

#include <algorithm>

#include "devices/mouse_device.h"

namespace nimbel {

CVelquorMouseDevice::SettingsRead CVelquorMouseDevice::ReadSettingsBlock(
    const DeviceWorker::CancelCheck& cancel) {
  SettingsRead read;
  CommandChannel& channel = Channel();
  if (cancel.IsCancelled() || !channel.IsOpen()) return read;
  if (channel.UseReceiver() && !channel.QueryLink()) return read;
  std::array<std::uint8_t, 1> slotByte{};
  read.result = channel.ReadMemory(slotByte, slotByte.size(), settings_byte::kSlot);
  if (read.result != kResultOk) return read;
  if (cancel.IsCancelled()) return {};
  read.result = channel.ReadMemory(read.block, read.block.size(),
                                   static_cast<std::uint32_t>(slotByte[0] * kMouseSlotStride));
  if (read.result != kResultOk) return read;
  read.slot = slotByte[0];
  recordOnWorker_ = read.block;
  return read;
}

void CVelquorMouseDevice::ReadSettings(std::function<void()> then) {
  // Over a closed channel there is nothing to read, and nothing to wait for.
  if (!Channel().IsOpen()) {
    ApplySettingsRead({});
    if (then) then();
    return;
  }
  RunOnWorker([this](const DeviceWorker::CancelCheck& cancel) { return ReadSettingsBlock(cancel); },
              [this, then = std::move(then)](const SettingsRead& read) {
                ApplySettingsRead(read);
                if (then) then();
              });
}

void CVelquorMouseDevice::ApplySettingsRead(const SettingsRead& read) {
  backup_[0] = onboardSlot_.load();
  std::copy_n(mirror_.begin(), backup_.size() - 1, backup_.begin() + 1);
  if (read.result != kResultOk) return;
  mirror_ = read.block;
  mirrorRead_ = true;
  onboardSlot_ = read.slot;
  // An edit made while the record was on its way is newer than the record: its write follows and puts
  // the profile's values on the mouse, so the record must not replace them.
  if (writesUnderWay_ > 0 || writePending_) return;

  const DecodedMouseSettings decoded =
      DecodeMouseSettings(read.block, ModeCodes(), system_, profile_.GetLightInfo());
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
}

void CVelquorMouseDevice::SettleSettings(std::function<void()> then) {
  // A write still under way may fail and leave the edit pending: reading now could bring the old value
  // back over it.
  if (writePending_ || writesUnderWay_ > 0) {
    WriteSettings(0, 0, std::move(then));
  } else {
    ReadSettings(std::move(then));
  }
}

void CVelquorMouseDevice::WriteSettings(int slot, int firstByte) {
  WriteSettings(slot, firstByte, {});
}

void CVelquorMouseDevice::WriteSettings(int slot, int firstByte, std::function<void()> then) {
  const ProfileValues values = ReadProfileValues();
  SettingsWrite write{slot,
                      static_cast<std::uint8_t>(firstByte),
                      mirrorRead_ ? std::optional<MouseSettingsBlock>(mirror_) : std::nullopt,
                      values.stages,
                      static_cast<std::uint8_t>(values.activeStage),
                      values.system,
                      values.light,
                      ModeCodes()};
  ++writesUnderWay_;
  ShowWriteStatus();
  RunOnWorker([this, write = std::move(write)](
                  const DeviceWorker::CancelCheck& cancel) { return WriteSettingsRecord(write, cancel); },
              [this, slot, firstByte, then = std::move(then)](const SettingsWritten& written) {
                --writesUnderWay_;
                ApplySettingsWritten(slot, firstByte, written);
                if (then) then();
              });
}

void CVelquorMouseDevice::ApplySettingsWritten(int slot, int firstByte, const SettingsWritten& written) {
  if (written.recordRead && !mirrorRead_) {
    mirror_ = *written.recordRead;
    mirrorRead_ = true;
  }
  writePending_ = written.result != kResultOk;
  // The record at slot 0 begins with the slot the mouse uses, which the write has just set.
  if (written.result == kResultOk && slot == 0) onboardSlot_ = static_cast<std::uint8_t>(firstByte);
  ShowWriteStatus();
  ShowNotices();
}

CVelquorMouseDevice::SettingsWritten CVelquorMouseDevice::WriteSettingsRecord(
    const SettingsWrite& write, const DeviceWorker::CancelCheck& cancel) {
  SettingsWritten written;
  CommandChannel& channel = Channel();
  // Nothing reaches a mouse over a closed channel; saying so keeps callers from taking it as written.
  if (cancel.IsCancelled() || !channel.IsOpen()) return written;
  // The record carries bytes the program does not interpret: they can only go back as the mouse gave
  // them once it gave them.
  std::optional<MouseSettingsBlock> base = write.mirror ? write.mirror : recordOnWorker_;
  if (!base) {
    const SettingsRead read = ReadSettingsBlock(cancel);
    if (read.result != kResultOk) return written;
    base = read.block;
    written.recordRead = read.block;
  }

  MouseSettingsBlock block = *base;
  const MouseSettingsContent content{write.stages ? &*write.stages : nullptr, write.activeStage, write.system,
                                     write.light};
  EncodeMouseSettings(block, content, write.modeCodes, write.firstByte);

  // Through the receiver the mouse may go out of reach at any step; nothing more is sent then. A
  // cancelled write stops before the record the same way, and stays pending; once the record went, the
  // session is ended.
  const bool receiver = channel.UseReceiver();
  const auto linked = [&] { return !receiver || channel.QueryLink(); };
  if (cancel.IsCancelled() || !linked()) return written;
  channel.BeginSession();
  if (cancel.IsCancelled() || !linked()) return written;
  const int result =
      channel.WriteMemory(block, block.size(), static_cast<std::uint32_t>(write.slot) * kMouseSlotStride);
  if (!linked()) return written;
  channel.EndSession(0);
  written.result = result;
  return written;
}

}  // namespace nimbel
