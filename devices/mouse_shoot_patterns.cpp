// The mouse's shooting patterns: the kind's four pattern files and their image in the mouse's shooting
// memory.

#include "devices/mouse_device.h"
#include "platform/folders.h"
#include "protocol/command_set.h"

namespace nimbel {
namespace {

// What four full patterns take (2,920 bytes) must fit the mouse's shooting memory, so the image is never
// cut; every pattern is read as at most its thirty bullets.
constexpr std::size_t kFullPatternsImage = kMacroImageHeaderSize +
                                           kShootPatternCount * (2 + kMacroImageEventSize) +
                                           kMacroImageEventSize * kShootPatternCount * kMaxShootEvents;
static_assert(kFullPatternsImage <= kShootMemorySize);

}  // namespace

ShootPatternFiles& CVelquorMouseDevice::ShootPatterns() {
  if (!shootPatterns_) shootPatterns_.emplace(DeviceDataFolder(KindName()), DefaultDataFolder());
  return *shootPatterns_;
}

void CVelquorMouseDevice::WriteShootPatterns(std::function<void(bool written)> then) {
  std::vector<MacroRecord> records;
  for (const std::vector<MacroEvent>& events : ShootPatterns().EventsOfAllPatterns())
    records.push_back(ImageRecordOf(events));
  ++keyWritesUnderWay_;
  ShowWriteStatus();
  RunOnWorker([this, records = std::move(records)](
                  const DeviceWorker::CancelCheck& cancel) { return WriteShootImage(records, cancel); },
              [this, then = std::move(then)](bool written) {
                --keyWritesUnderWay_;
                ShowWriteStatus();
                if (then) then(written);
              });
}

bool CVelquorMouseDevice::WriteShootImage(const std::vector<MacroRecord>& records,
                                          const DeviceWorker::CancelCheck& cancel) {
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  if (!ReadInfoBeforeImage(info, cancel)) return false;
  const std::optional<std::vector<std::uint8_t>> image = BuildMacroImage(records);
  if (!image || image->size() > kShootMemorySize) return false;
  return SendImage(*image, &CommandChannel::WriteShootData, cancel);
}

}  // namespace nimbel
