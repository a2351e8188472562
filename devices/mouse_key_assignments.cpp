// The mouse's buttons: the key list that follows the profile's "KeyList", the key table built from it and
// written through the device's worker, and the page's key buttons with what each does.

#include <algorithm>

#include "devices/mouse_device.h"
#include "devices/mouse_keys_page.h"

namespace nimbel {

std::optional<KeyAssignment> CVelquorMouseDevice::SlotAssignment(int slot) const {
  if (slot < 0 || static_cast<std::size_t>(slot) >= keyList_.size()) return std::nullopt;
  return keyList_[static_cast<std::size_t>(slot)];
}

bool CVelquorMouseDevice::SlotHasButton(int slot) const {
  return slot >= 0 && static_cast<std::size_t>(slot) < keyMap_.size() &&
         keyMap_[static_cast<std::size_t>(slot)] != kNoButton;
}

void CVelquorMouseDevice::LoadKeyList(KeySource source) {
  keyList_ = source == KeySource::kProfileAsStored ? profile_.GetKeyList() : profile_.GetMergedKeyList();
}

void CVelquorMouseDevice::StoreKeyList() {
  profile_.SetKeyList(keyList_);
  SaveProfile();
}

void CVelquorMouseDevice::SetSlotAssignment(int slot, const KeyCode& current) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= keyList_.size()) return;
  KeyCode& code = keyList_[static_cast<std::size_t>(slot)].current;
  // A key that takes or leaves a macro changes which macros the mouse must hold, and their numbers.
  const bool macrosChange = IsMacroCode(CodeOf(code)) || IsMacroCode(CodeOf(current));
  // The entry keeps its own position: the panel's half may come from another list's numbering.
  code = WithCode(code, CodeOf(current));
  StoreKeyList();
  ShowKeys();
  if (macrosChange) {
    WriteMacrosAndKeys();
  } else {
    WriteStoredKeyAssignments(0);
  }
}

void CVelquorMouseDevice::RestoreDefaultKeys() {
  for (KeyAssignment& entry : keyList_) entry.current = WithCode(entry.current, CodeOf(entry.factory));
  StoreKeyList();
  ShowKeys();
  WriteStoredKeyAssignments(0);
  WriteSettings(0, 0);
}

void CVelquorMouseDevice::RefreshKeyButtons(std::size_t macroCount) {
  bool changed = false;
  for (KeyAssignment& entry : keyList_) {
    if (!IsMacroCode(CodeOf(entry.current)) || entry.current.middle < macroCount) continue;
    entry.current = WithCode(entry.current, CodeOf(entry.factory));
    changed = true;
  }
  if (!changed) return;
  StoreKeyList();
  ShowKeys();
}

void CVelquorMouseDevice::SelectKey(int slot) {
  selectedKey_ = slot;
  ShowKeys();
}

void CVelquorMouseDevice::ShowKeys() {
  std::vector<QString> macroNames;
  for (const MacroEntry& entry : Macros().Entries()) macroNames.push_back(QString::fromStdString(entry.name));
  MouseKeysView view(Page());
  for (std::size_t slot = 0; slot < kMouseFunctionSlots; ++slot) {
    const auto index = static_cast<int>(slot);
    const std::optional<KeyAssignment> entry = SlotAssignment(index);
    const QString description = entry ? DescribeKeyCode(CodeOf(entry->current), macroNames) : QString();
    KeyButtonLook look = KeyButtonLook::kNormal;
    if (index == selectedKey_) {
      look = KeyButtonLook::kSelected;
    } else if (entry && CodeOf(entry->current) != CodeOf(entry->factory)) {
      look = KeyButtonLook::kChanged;
    }
    view.ShowSlot(index, entry.has_value() && SlotHasButton(index), description, look);
  }
  ShowLightTip();
}

void CVelquorMouseDevice::WriteStoredKeyAssignments(int bank) {
  KeyTableWrite write{bank, keyList_, keyMap_, factoryKeys_, Macros().Count()};
  ++keyWritesUnderWay_;
  ShowWriteStatus();
  RunOnWorker([this, write = std::move(write)](
                  const DeviceWorker::CancelCheck& cancel) { return WriteKeyTableRecord(write, cancel); },
              [this](const KeyTableWritten& written) {
                --keyWritesUnderWay_;
                keyTablePending_ = written.result != kResultOk;
                // What the mouse holds now: a later reload merges this, not the table read before.
                if (!keyTablePending_) profile_.SetRawKeyTable(written.table);
                ShowWriteStatus();
                ShowNotices();
              });
}

CVelquorMouseDevice::KeyTableWritten CVelquorMouseDevice::WriteKeyTableRecord(
    const KeyTableWrite& write, const DeviceWorker::CancelCheck& cancel) {
  KeyTableWritten written;
  CommandChannel& channel = Channel();
  if (cancel.IsCancelled() || !channel.IsOpen()) return written;
  const bool receiver = channel.UseReceiver();
  const auto linked = [&] { return !receiver || channel.QueryLink(); };
  if (!linked()) return written;
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  if (channel.ReadDeviceInfo(info) != kResultOk) return written;
  // More buttons than a table holds is a mouse in error: nothing is written rather than a cut table.
  const std::size_t keyCount = info[device_info_byte::kKeyCount];
  if (keyCount > kMaxMouseKeyCount) return written;
  written.table = BuildMouseKeyTable(write.factoryKeys, keyCount, write.map, write.list, write.macroCount);
  if (!channel.SetKeyTableLength(static_cast<int>(keyCount * kKeyTableBytesPerKey))) return written;
  if (cancel.IsCancelled() || !linked()) return written;
  channel.BeginSession();
  if (cancel.IsCancelled() || !linked()) return written;
  const int result = channel.WriteKeyTable(written.table, write.bank);
  if (!linked()) return written;
  channel.EndSession(0);
  written.result = result;
  return written;
}

}  // namespace nimbel
