#include "devices/mouse_device.h"

#include "devices/device_messages.h"
#include "profiles/profile_paths.h"

namespace nimbel {
namespace {

// Mice of this product with older firmware than this are offered the upgrade, once per run.
struct UpgradeCandidate {
  std::uint16_t vendorId;
  std::uint16_t productId;
  std::uint16_t firstCurrentVersion;
  std::uint16_t sensorCode;
};
constexpr UpgradeCandidate kUpgradeCandidate{0x320F, 0x226E, 0x0109, 0x3395};

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t low, std::size_t high) {
  return static_cast<std::uint16_t>(bytes[low] | bytes[high] << 8);
}

}  // namespace

CVelquorMouseDevice::~CVelquorMouseDevice() {
  StopThreads();
}

int CVelquorMouseDevice::IsLinked() {
  if (!Channel().UseReceiver.load()) return 1;
  return Channel().QueryLink() ? 1 : 0;
}

void CVelquorMouseDevice::PollPowerStatus() {
  if (IsBusy() || !Channel().QueryLink()) return;
  std::array<std::uint8_t, kPowerStatusLength> status{};
  if (Channel().ReadStatus(status, status.size(), 0) != kResultOk) return;
  status[power_status_byte::kLink] = Channel().UseReceiver.load() ? kPowerLinkReceiver : kPowerLinkCable;
  if (PowerDisplay() != nullptr) PowerDisplay()->ShowPowerStatus(status);
  SendToMainWindow(device_message::kPowerStatus, status[power_status_byte::kForMainWindow], 0);
}

std::uint16_t CVelquorMouseDevice::SensorCode() const {
  return Le16(deviceInfo_, device_info_byte::kSensorCodeLow, device_info_byte::kSensorCodeHigh);
}

void CVelquorMouseDevice::LoadProfileFile() {
  if (ProfileList() == nullptr) return;
  const std::string id = ProfileList()->GetSelectedProfileId();
  if (id.empty()) return;
  profile_.SetDefaultProfilePath(DefaultProfileFile(KindName()));
  profile_.SetEntryIndex(KindRowIndex());
  profile_.SetProfilePath(ProfileFile(KindName(), id));
  profile_.SetLightListPath(LightListFile(KindName(), LightListName()));
  profile_.LoadProfile(profile_.GetProfilePath());
}

int CVelquorMouseDevice::ApplyProfileState() {
  const LightInfo info = profile_.GetLightInfo();
  LightParameters parameters = GetLightParameters();
  parameters.mode = info.selectItem;
  parameters.brightness = info.light;
  parameters.speed = info.speed;
  parameters.direction = info.fx;
  parameters.multiColour = info.multiColor;
  parameters.colour = {info.red, info.green, info.blue};
  SetLightParameters(parameters);
  return 1;
}

void CVelquorMouseDevice::SyncFromDevice() {
  LoadProfileFile();
  ReadDevicePhase();
  ApplyProfileState();
  StartLighting();
}

void CVelquorMouseDevice::SyncFromProfile() {
  LoadProfileFile();
  ApplyProfileState();
  RefreshPage();
}

void CVelquorMouseDevice::ReadDevicePhase() {
  CommandChannel& channel = Channel();
  if (!channel.IsOpen.load()) return;
  if (channel.UseReceiver.load() && !channel.QueryLink()) return;
  channel.BeginSession();
  if (channel.ReadDeviceInfo(deviceInfo_) != kResultOk) return;
  SendToMainWindow(deviceInfo_[device_info_byte::kLinkFlag] != 0 ? device_message::kShowNoDeviceLink
                                                                 : device_message::kHideNoDeviceLink,
                   0, 0);
  CheckUpgrade();
  const bool keyTableAccepted =
      channel.SetKeyTableLength(deviceInfo_[device_info_byte::kKeyCount] * kKeyTableBytesPerKey);
  // The session is closed either way: the mouse answered, and a refused length must not leave it in a
  // session that nothing ends.
  channel.EndSession(0);
  if (!keyTableAccepted) return;
  SendToMainWindow(device_message::kSensorReported, SensorCode(), 0);
}

void CVelquorMouseDevice::CheckUpgrade() {
  if (upgradePrompt_) return;
  const HidAttributes wired = Channel().WiredHandle.Attributes();
  if (wired.vendorId != kUpgradeCandidate.vendorId || wired.productId != kUpgradeCandidate.productId ||
      wired.versionNumber >= kUpgradeCandidate.firstCurrentVersion ||
      SensorCode() != kUpgradeCandidate.sensorCode) {
    return;
  }
  upgradePrompt_ = true;
  SendToMainWindow(device_message::kUpgradePrompt, wired.productId, wired.versionNumber);
}

void CVelquorMouseDevice::HandleNotification(std::uint16_t value, bool /*throughReceiver*/) {
  if (value == kResyncRequest1 || value == kResyncRequest2) {
    PostToUi([this] {
      if (TabItem() != nullptr) TabItem()->StartTimer(tab_timer::kResync, kResyncDelayMs);
    });
    return;
  }
  const std::uint16_t kind = value & kReportKindMask;
  if (kind != kSlotChanged && kind != kStageChanged) return;
  // The stage first: a reader that sees the new slot then sees the stage that came with it.
  if (kind == kStageChanged) reportedStage_ = static_cast<std::uint8_t>((value >> kStageShift) & kStageMask);
  onboardSlot_ = static_cast<std::uint8_t>(value & kSlotMask);
  PostToUi([this] { RefreshPage(); });
}

}  // namespace nimbel
