#include "devices/mouse_device.h"

#include "devices/device_messages.h"
#include "devices/dpi_edit_ui.h"
#include "platform/folders.h"
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

// The factory light presets, whose mode lists give the light modes' device codes.

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t low, std::size_t high) {
  return static_cast<std::uint16_t>(bytes[low] | bytes[high] << 8);
}

}  // namespace

CVelquorMouseDevice::CVelquorMouseDevice() {
  // The page skin names the DPI edits' class; the page is built after the object.
  CDPIEditUI::Register();
  keyMap_.fill(kNoButton);
  SetLightClass(LightClass::kMouse);
  profile_.SetBuiltInPresetCount(kFirstCustomLightMode);
  // Short writes only say that they run; a bar appears for those the user would otherwise wait on.
  writeProgressDelay_.setSingleShot(true);
  writeProgressDelay_.setInterval(kWriteProgressDelayMs);
  QObject::connect(&writeProgressDelay_, &QTimer::timeout,
                   [this] { View().ShowNotice(mouse_control::kWriteProgress, IsAnyWriteUnderWay()); });
}

CVelquorMouseDevice::~CVelquorMouseDevice() {
  StopThreads();
}

int CVelquorMouseDevice::IsLinked() {
  if (!Channel().UseReceiver()) return 1;
  return Channel().QueryLink() ? 1 : 0;
}

void CVelquorMouseDevice::PollPowerStatus() {
  if (IsBusy()) return;
  RunOnWorker(
      [this](const DeviceWorker::CancelCheck& cancel) -> std::optional<PowerStatus> {
        CommandChannel& channel = Channel();
        if (cancel.IsCancelled() || !channel.QueryLink()) return std::nullopt;
        PowerStatus status{};
        if (channel.ReadStatus(status, status.size(), 0) != kResultOk) return std::nullopt;
        status[power_status_byte::kLink] = channel.UseReceiver() ? kPowerLinkReceiver : kPowerLinkCable;
        return status;
      },
      [this](const std::optional<PowerStatus>& status) {
        if (!status) return;
        powerStatus_ = *status;
        StateChanged();
        if (PowerDisplay() != nullptr) PowerDisplay()->ShowPowerStatus(*status);
        SendToMainWindow(device_message::kPowerStatus, (*status)[power_status_byte::kForMainWindow], 0);
      });
}

std::uint16_t CVelquorMouseDevice::SensorCode() const {
  return Le16(deviceInfo_, device_info_byte::kSensorCodeLow, device_info_byte::kSensorCodeHigh);
}

void CVelquorMouseDevice::LoadProfileFile() {
  if (ProfileList() == nullptr) return;
  const std::string id = ProfileList()->GetSelectedProfileId();
  if (id.empty()) return;
  profile_.SetDefaultProfilePath(DefaultProfileFile(KindName()));
  // Every kind keeps its document at the light-name index of its kind row (0 for both mice), not at
  // the row's own index: the second mouse's row is 1, and its profile would never be found.
  profile_.SetEntryIndex(GetLightTableIndex());
  profile_.SetProfilePath(ProfileFile(KindName(), id));
  profile_.SetLightListPath(LightListFile(KindName(), LightListName()));
  profile_.LoadLightList(profile_.GetLightListPath());
  lightPresets_.reset();
  profile_.LoadProfile(profile_.GetProfilePath());
}

void CVelquorMouseDevice::SaveProfile() {
  profileNotSaved_ = profile_.Save() == CBasicProfiledata::SaveResult::kFailed;
  ShowNotices();
  StateChanged();
}

void CVelquorMouseDevice::StateChanged() const {
  if (stateChanged_) stateChanged_();
}

std::optional<DpiRange> CVelquorMouseDevice::StageRange() const {
  if (!variant_) return std::nullopt;
  return StageSliderRange(*variant_, dpiStepCount_);
}

void CVelquorMouseDevice::ShowWriteStatus() {
  const bool underWay = IsAnyWriteUnderWay();
  View().ShowNotice(mouse_control::kWritingNotice, underWay);
  if (!underWay) {
    writeProgressDelay_.stop();
    View().ShowNotice(mouse_control::kWriteProgress, false);
    // The next write without steps shows a busy bar again.
    View().ShowWriteProgress(0, 0);
  } else if (!writeProgressDelay_.isActive() && !View().IsShown(mouse_control::kWriteProgress)) {
    writeProgressDelay_.start();
  }
}

void CVelquorMouseDevice::ShowNotices() {
  View().ShowNotice(mouse_control::kNotSavedNotice, profileNotSaved_);
  View().ShowNotice(mouse_control::kNotWrittenNotice, writePending_ || keyTablePending_);
  View().ShowOnboardSlot(onboardSlot_.load());
}

int CVelquorMouseDevice::ApplyProfileState() {
  const LightInfo info = ClampLightInfo(profile_.GetLightInfo());
  LightParameters parameters = GetLightParameters();
  parameters.mode = info.selectItem;
  parameters.brightness = info.light;
  parameters.speed = info.speed;
  parameters.direction = info.fx;
  parameters.multiColour = info.multiColour;
  parameters.colour = {info.red, info.green, info.blue};
  SetLightParameters(parameters);
  SetCustomEffectSteps(profile_.GetCustomEffects());
  return 1;
}

void CVelquorMouseDevice::SyncFromDevice() {
  LoadProfileFile();
  RunOnWorker([this](const DeviceWorker::CancelCheck& cancel) { return ReadDevicePhase(cancel); },
              [this](const DeviceRead& read) {
                ApplyDeviceRead(read);
                RunModelPhase();
              });
}

void CVelquorMouseDevice::RunModelPhase() {
  LoadProfileLists();
  const auto finish = [this] {
    RefreshPage();
    ApplyProfileState();
    StartLighting();
    RewritePendingKeyTable();
  };
  // Over a closed channel there is no record to read; the profile stays as its file has it instead of
  // taking the values of a mouse that was never read.
  if (Channel().IsOpen()) {
    SettleSettings(finish);
  } else {
    finish();
  }
}

void CVelquorMouseDevice::SyncFromProfile() {
  LoadProfileFile();
  LoadProfileLists();
  SettleSettings([this] {
    ApplyProfileState();
    RefreshPage();
    RewritePendingKeyTable();
  });
}

void CVelquorMouseDevice::RewritePendingKeyTable() {
  if (keyTablePending_ && Channel().IsOpen()) WriteStoredKeyAssignments(0);
}

void CVelquorMouseDevice::ApplySelectedProfile() {
  LoadProfileFile();
  LoadProfileLists();
  // The profile is what goes to the mouse, not what the mouse held before.
  LoadKeyList(KeySource::kProfileAsStored);
  ApplyProfileState();
  RefreshPage();
  // A profile always goes to the slot the program uses, which the record's first byte selects. The
  // settings go first, then the macros, then the key table that names them.
  WriteSettings(0, 0);
  WriteMacrosAndKeys();
}

CVelquorMouseDevice::DeviceRead CVelquorMouseDevice::ReadDevicePhase(
    const DeviceWorker::CancelCheck& cancel) {
  DeviceRead read;
  CommandChannel& channel = Channel();
  if (cancel.IsCancelled() || !channel.IsOpen()) return read;
  if (channel.UseReceiver() && !channel.QueryLink()) return read;
  channel.BeginSession();
  if (cancel.IsCancelled() || channel.ReadDeviceInfo(read.info) != kResultOk) return read;
  read.infoRead = true;
  read.keysRead = !cancel.IsCancelled() && ReadKeyTables(read);
  // The session is closed either way: the mouse answered, and a refused length or a failed read must
  // not leave it in a session that nothing ends.
  channel.EndSession(0);
  return read;
}

bool CVelquorMouseDevice::ReadKeyTables(DeviceRead& read) {
  CommandChannel& channel = Channel();
  const std::size_t keyCount = read.info[device_info_byte::kKeyCount];
  // More buttons than a table holds is a mouse in error; its tables would be read cut.
  if (keyCount > kMaxMouseKeyCount) return false;
  if (!channel.SetKeyTableLength(static_cast<int>(keyCount * kKeyTableBytesPerKey))) return false;
  if (channel.ReadKeyTable(read.factoryKeys) != kResultOk) return false;
  std::array<std::uint8_t, kMaxKeyTableLength> current{};
  if (channel.ReadKeyTableBank(current, 0) == kResultOk) read.currentKeys = current;
  return true;
}

void CVelquorMouseDevice::ApplyDeviceRead(const DeviceRead& read) {
  if (!read.infoRead) return;
  deviceInfo_ = read.info;
  variant_ = MouseVariantForSensor(SensorCode());
  dpiStepCount_ = Le16(deviceInfo_, device_info_byte::kDpiStepCountLow, device_info_byte::kDpiStepCountHigh);
  SendToMainWindow(deviceInfo_[device_info_byte::kLinkFlag] != 0 ? device_message::kShowNoDeviceLink
                                                                 : device_message::kHideNoDeviceLink,
                   0, 0);
  CheckUpgrade();
  if (!read.keysRead) return;
  keyMap_ = BuildMouseKeyMap(read.factoryKeys, deviceInfo_[device_info_byte::kKeyCount]);
  factoryKeys_ = read.factoryKeys;
  // Without the current table the key list keeps what the profile file says.
  if (read.currentKeys) {
    profile_.SetRawKeyTable(*read.currentKeys);
    profile_.SetKeySlotMap(ToKeySlotMap(keyMap_));
  }
  if (variant_) {
    View().SetStageRanges(StageSliderRange(*variant_, dpiStepCount_), variant_->sliderSteps);
    View().SetProductImage(variant_->productImage);
  }
  SendToMainWindow(device_message::kSensorReported, SensorCode(), 0);
}

void CVelquorMouseDevice::CheckUpgrade() {
  if (upgradePrompt_) return;
  const HidAttributes wired = Channel().Handle(LinkPath::Wired).Attributes();
  if (wired.vendorId != kUpgradeCandidate.vendorId || wired.productId != kUpgradeCandidate.productId ||
      wired.versionNumber >= kUpgradeCandidate.firstCurrentVersion ||
      SensorCode() != kUpgradeCandidate.sensorCode) {
    return;
  }
  upgradePrompt_ = true;
  SendToMainWindow(device_message::kUpgradePrompt, wired.productId, wired.versionNumber);
}

int CVelquorMouseDevice::LoadProfileLists() {
  ProfileValues values = ReadProfileValues();
  if (values.stages) {
    stages_ = std::move(*values.stages);
    activeStage_ = values.activeStage;
  }
  system_ = values.system;
  // A table the mouse has not taken yet is newer than what the mouse holds.
  LoadKeyList(keyTablePending_ || keyWritesUnderWay_ > 0 ? KeySource::kProfileAsStored
                                                         : KeySource::kMergedWithMouse);
  return 1;
}

CVelquorMouseDevice::ProfileValues CVelquorMouseDevice::ReadProfileValues() {
  ProfileValues values;
  if (variant_) {
    values.stages =
        ClampStages(profile_.GetDpiStages(variant_->index), StageSliderRange(*variant_, dpiStepCount_));
    values.activeStage = ClampActiveStage(profile_.GetActiveStage(), values.stages->size());
  }
  values.system = ClampSystemSettings(profile_.GetSystemSettings());
  values.light = ClampLightInfo(profile_.GetLightInfo());
  return values;
}

void CVelquorMouseDevice::RefreshPage() {
  ShowStages();
  ShowKeys();
  View().ShowSystemSettings(system_);
  ShowNotices();
  if (pageRefreshed_) pageRefreshed_();
  StateChanged();
}

void CVelquorMouseDevice::ShowStages() {
  if (variant_) View().ShowStages(stages_, activeStage_, *variant_);
}

const LightModeCodes& CVelquorMouseDevice::ModeCodes() {
  if (!modeCodes_)
    modeCodes_ = LightModeCodes::Load(DefaultDataFolder() + kFactoryLightFile, GetLightTableIndex());
  return *modeCodes_;
}

void CVelquorMouseDevice::HandleNotification(std::uint16_t value, bool throughReceiver) {
  if (value == kButtonPressed) {
    // Only the cable's interface reports presses for the lighting; the receiver's is not one of them.
    if (!throughReceiver) TriggerReactiveLight();
    return;
  }
  if (value == kResyncRequest1 || value == kResyncRequest2) {
    PostToUi([this] {
      if (TabItem() != nullptr) TabItem()->StartTimer(tab_timer::kResync, kResyncDelayMs);
    });
    return;
  }
  const std::uint16_t kind = value & kReportKindMask;
  if (kind != kSlotChanged && kind != kStageChanged) return;
  const auto slot = static_cast<std::uint8_t>(value & kSlotMask);
  std::optional<std::uint8_t> stage;
  // The stage first: a reader that sees the new slot then sees the stage that came with it.
  if (kind == kStageChanged) {
    stage = static_cast<std::uint8_t>((value >> kStageShift) & kStageMask);
    reportedStage_ = *stage;
  }
  onboardSlot_ = slot;
  PostToUi([this, slot, stage] { ApplyReportedSlot(slot, stage); });
}

void CVelquorMouseDevice::ApplyReportedSlot(std::uint8_t slot, std::optional<std::uint8_t> stage) {
  onboardSlot_ = slot;
  if (stage && *stage < kMouseStageCount) {
    mirror_[settings_byte::kActiveStage] = *stage;
    // The user switched the stage on the mouse: the profile follows, or the next edit would switch it
    // back.
    if (variant_) {
      activeStage_ = *stage;
      profile_.SetActiveStage(activeStage_, variant_->index);
      SaveProfile();
    }
  }
  RefreshPage();
}

}  // namespace nimbel
