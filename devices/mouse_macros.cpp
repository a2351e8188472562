// The mouse's macros: the kind's library that the key table's macro numbers refer to, the image of the
// macros the keys use, written through the device's worker, and the order in which a profile reaches the
// mouse (settings, macros, key table).

#include "devices/mouse_device.h"
#include "platform/folders.h"

namespace nimbel {
namespace {

// Byte 6 of the device information block: the macro memory in blocks of this many bytes.
constexpr std::size_t kMacroInfoByte = 6;
constexpr std::size_t kMacroBlockSize = 128;
constexpr const char* kMacrosTooLarge = "message_text_16";
constexpr const char* kMacrosNotWritten = "message_text_7";

}  // namespace

MacroRecord ImageRecordOf(std::span<const MacroEvent> events) {
  MacroRecord record;
  for (const MacroEvent& event : events) {
    // The events were validated or clamped when read; the casts keep what the checks allowed.
    record.push_back({event.delay, static_cast<std::uint8_t>(event.type), event.down,
                      static_cast<std::uint8_t>(event.button)});
  }
  return record;
}

MacroLibrary& CVelquorMouseDevice::Macros() {
  if (!macros_) {
    macros_.emplace(DeviceDataFolder(KindName()));
    macros_->Load();
  }
  return *macros_;
}

void CVelquorMouseDevice::MacrosChanged() {
  RefreshKeyButtons(Macros().Count());
  ShowKeys();
}

void CVelquorMouseDevice::ReloadKeysAfterMacroRemoval() {
  LoadProfileFile();
  LoadKeyList(KeySource::kProfileAsStored);
  ShowKeys();
  WriteMacrosAndKeys();
}

std::vector<MacroRecord> CVelquorMouseDevice::MacroRecordsInUse() {
  std::vector<MacroRecord> records;
  for (const std::uint8_t number : MacroNumbersInUse(keyMap_, keyList_, Macros().Count())) {
    records.push_back(ImageRecordOf(Macros().ReadEvents(number)));
  }
  return records;
}

void CVelquorMouseDevice::WriteMacros(std::function<void(int result)> then) {
  ++keyWritesUnderWay_;
  ShowWriteStatus();
  RunOnWorker([this, records = MacroRecordsInUse()](
                  const DeviceWorker::CancelCheck& cancel) { return WriteMacroImage(records, cancel); },
              [this, then = std::move(then)](int result) {
                --keyWritesUnderWay_;
                ShowWriteStatus();
                if (then) then(result);
              });
}

int CVelquorMouseDevice::WriteMacroImage(const std::vector<MacroRecord>& records,
                                         const DeviceWorker::CancelCheck& cancel) {
  constexpr int kFailed = -1;
  // No macro in use leaves the mouse's macro memory as it is.
  if (records.empty()) return 0;
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  // A mouse out of reach did not get the macros: that is said, not taken as written.
  if (!ReadInfoBeforeImage(info, cancel)) return kFailed;
  const std::size_t length = MacroImageLength(records);
  const std::size_t capacity = info[kMacroInfoByte] * kMacroBlockSize;
  if (length > capacity) return static_cast<int>((length - capacity) / kMacroImageEventSize + 1);
  const std::optional<std::vector<std::uint8_t>> image = BuildMacroImage(records);
  if (!image) return kFailed;
  return SendImage(*image, &CommandChannel::WriteMacroData, cancel) ? 0 : kFailed;
}

bool CVelquorMouseDevice::ReadInfoBeforeImage(std::array<std::uint8_t, kDeviceInfoLength>& info,
                                              const DeviceWorker::CancelCheck& cancel) {
  CommandChannel& channel = Channel();
  if (cancel.IsCancelled() || !channel.IsOpen()) return false;
  if (channel.UseReceiver() && !channel.QueryLink()) return false;
  return channel.ReadDeviceInfo(info) == kResultOk;
}

bool CVelquorMouseDevice::SendImage(const std::vector<std::uint8_t>& image, ImageWrite write,
                                    const DeviceWorker::CancelCheck& cancel) {
  CommandChannel& channel = Channel();
  const bool receiver = channel.UseReceiver();
  const auto linked = [&] { return !receiver || channel.QueryLink(); };
  if (cancel.IsCancelled() || !linked()) return false;
  channel.BeginSession();
  if (cancel.IsCancelled() || !linked()) return false;
  const int result =
      (channel.*write)(image, image.size(), [this, &cancel](std::size_t done, std::size_t total) {
        PostToUi([this, done, total] {
          View().ShowWriteProgress(static_cast<int>(done), static_cast<int>(total));
        });
        // An unplugged mouse ends the download between two reports.
        return !cancel.IsCancelled();
      });
  if (!linked()) return false;
  channel.EndSession(0);
  return result == kResultOk;
}

void CVelquorMouseDevice::WriteMacrosAndKeys() {
  WriteMacros([this](int result) {
    if (result > 0) {
      if (showMessage_) showMessage_(QString::fromLatin1(kMacrosTooLarge), {QString::number(result)});
      return;
    }
    if (result < 0 && showMessage_) showMessage_(QString::fromLatin1(kMacrosNotWritten), {});
    WriteStoredKeyAssignments(0);
  });
}

}  // namespace nimbel
