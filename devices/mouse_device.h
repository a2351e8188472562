#pragma once

// The mouse: its identity and tab, link and power state, its notifications and lighting preview, and its
// performance and power settings. The settings live in three places kept in one order: the object (the
// DPI stages of the mouse's variant and the system settings), the profile document, then the mouse's
// onboard settings record. Every accepted edit goes through all three, so the profile is always ahead
// of, or equal to, the mouse.
//
// All settings operations are called on the UI thread. Their exchanges with the mouse run on the
// device's worker, in the order the operations were called, on copies of what they need; the results
// come back to the UI thread, which alone changes the object, the profile and the page. The notification
// listeners reach the object only through the UI thread's event queue.

#include <QColor>
#include <QStringList>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "devices/mouse_keys.h"
#include "devices/mouse_page.h"
#include "devices/mouse_settings.h"
#include "devices/usb_device.h"
#include "profiles/light_presets.h"
#include "profiles/macro_library.h"
#include "profiles/mouse_profile.h"
#include "profiles/shoot_pattern.h"
#include "protocol/macro_image.h"
#include "ui/notify_pump.h"

namespace nimbel {

// Events of a macro or shooting-pattern file as the mouse's image stores them.
MacroRecord ImageRecordOf(std::span<const MacroEvent> events);

// The fields of the 34-byte device information block the mouse uses.
namespace device_info_byte {
inline constexpr std::size_t kKeyCount = 5;
inline constexpr std::size_t kLinkFlag = 7;
inline constexpr std::size_t kSensorCodeLow = 9;
inline constexpr std::size_t kSensorCodeHigh = 10;
inline constexpr std::size_t kDpiStepCountLow = 12;
inline constexpr std::size_t kDpiStepCountHigh = 13;
}  // namespace device_info_byte

class CVelquorMouseDevice : public CVelquorUSBDevice {
 public:
  // Notification values the mouse sends. The two resync requests ask the mouse for the same thing: its
  // settings re-read. (A keyboard's second request also has its profile list refreshed first; the
  // mouse has nothing of that kind, so it treats both alike.)
  static constexpr std::uint16_t kResyncRequest1 = 0x0401;
  static constexpr std::uint16_t kResyncRequest2 = 0x0402;
  static constexpr std::uint16_t kButtonPressed = 0x0403;
  // Light modes from this one on play the custom effects of the light list, entry (mode - 12): the
  // same entry the light tool-tip names.
  static constexpr std::int32_t kFirstCustomLightMode = 12;
  // High bytes of the slot and stage reports: 0x10pq slot q; 0x11pq slot q, active stage p.
  static constexpr std::uint16_t kSlotChanged = 0x1000;
  static constexpr std::uint16_t kStageChanged = 0x1100;
  static constexpr std::uint16_t kReportKindMask = 0xFF00;
  static constexpr std::uint16_t kSlotMask = 0x000F;
  static constexpr int kStageShift = 4;
  static constexpr std::uint16_t kStageMask = 0x000F;
  static constexpr int kResyncDelayMs = 50;
  // How long a write runs before the page shows its progress bar.
  static constexpr int kWriteProgressDelayMs = 500;

  // The three sliders of the power and sensor pages, each with a combo that picks its value.
  enum class SettingSlider { kDormancy, kDeepSleep, kKeyDelay };
  // The two-way option groups ("..._option_0" and "..._option_1").
  enum class TwoWayOption { kSilentAltitude, kSensorLift, kMotionSync, kLinearCalibration, kDeepSleep };
  // Opens the colour palette on `parent` (the page) with the stage's colour; the chosen colour, or
  // nullopt when cancelled.
  using ColourChooser = std::function<std::optional<QColor>(QWidget* parent, QColor initial)>;

  CVelquorMouseDevice();
  ~CVelquorMouseDevice() override;
  CVelquorMouseDevice(const CVelquorMouseDevice&) = delete;
  CVelquorMouseDevice& operator=(const CVelquorMouseDevice&) = delete;

  // 1 on the cable; through the receiver, whether the mouse answers.
  int IsLinked() override;
  // Reads the power status and shows it; skipped while the main window marks the object busy or the
  // mouse is out of reach. On the worker; shown when it comes back.
  void PollPowerStatus() override;
  // The full load. Device phase: the profile, the device information ("No_device_Link" request, upgrade
  // prompt), the key tables and key map, the variant's DPI ranges and picture, the sensor report (3335).
  // Model phase, always: the profile's lists, the mouse's settings record (only over an open channel: a
  // mouse that was never read must not replace the profile), the page, the lighting preview.
  // The device phase runs on the worker; the model phase follows when its result is back.
  void SyncFromDevice() override;
  // Reloads the current profile, re-reads the settings record and refreshes the page; the mouse asked
  // for it.
  void SyncFromProfile() override;
  // The profile the page's list selects becomes the object's and the page's, then the mouse's record.
  void ApplySelectedProfile();
  // Copies the profile's lighting choice into the light parameters.
  int ApplyProfileState() override;
  // Loads the file of the profile the page's profile list selects; nothing without a list or selection.
  void LoadProfileFile() override;
  // The variant's stages and the system settings from the profile document into the object.
  int LoadProfileLists() override;
  // Shows the object's stages (known variant only) and system settings on the page.
  void RefreshPage() override;
  // Saves the profile document; when its file cannot be written the page says the change is not kept.
  void SaveProfile() override;
  // Encodes the settings record from the profile as it is now and queues its write to `slot`, with
  // `firstByte` as its byte 0; the page says a write is under way until it is back. It fails when the
  // channel is closed, the mouse is not linked through the receiver, the record could not be read first
  // (its uninterpreted bytes are written back as the mouse gave them), the mouse refused it, or the work
  // was cancelled. A write the mouse did not take stays pending (the page says so): the next time the
  // mouse is read, the whole record is written instead.
  void WriteSettings(int slot, int firstByte);
  bool IsWritePending() const { return writePending_; }
  bool IsWriteUnderWay() const { return writesUnderWay_ > 0; }

  // The main window's entry for every notification of this page's own controls (DPI_*, polling_*,
  // Dormancy_*, DeepSleep_*, Key_Delay_*, Anti_Shake_*, the two-way option groups, the cursor page,
  // windowdeviceset_N and mouse_device_seting_option_N); true when the notification was this page's.
  bool HandlePageNotification(const TNotifyUI& msg);
  // The colour palette the stage colour options open; without one they do nothing.
  void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }

  // DPI stages. Without a known variant they change nothing. Each accepted edit stores the stage list in
  // the profile, saves it and writes the settings record.
  std::optional<bool> GetStageEnabled(int stage) const;
  // Refused (and the page shown again) for the active stage and for the last stage in the cycle.
  void SetStageEnabled(int stage, bool enabled);
  std::optional<int> GetStageSlider(int stage) const;
  // The slider is being dragged: only the shown DPI follows.
  void MoveStageSlider(int stage, int value);
  void SetStageSlider(int stage, int value);
  // The stage value the edit's text stands for.
  std::optional<int> GetStageEdit(int stage) const;
  // The edit lost its focus: its text becomes the stage's value.
  void CommitStageEdit(int stage);
  std::optional<QColor> GetStageColour(int stage) const;
  void SetStageColour(int stage, QColor colour);
  void ChooseStageColour(int stage);
  void SetActiveStage(int stage);

  // System settings; the page's sub-page tabs.
  void SetPollingOption(int option);
  std::optional<int> GetPollingSlider() const;
  void SetPollingSlider(int value);
  std::optional<int> GetSettingSlider(SettingSlider slider) const;
  void SetSettingSlider(SettingSlider slider, int value);
  // An item of the slider's combo: the slider takes the item's value, which is then stored.
  void SelectSettingCombo(SettingSlider slider, int item);
  std::optional<int> GetAntiShake() const;
  void SetAntiShake(int item);
  void SetTwoWayOption(TwoWayOption group, int option);
  std::optional<int> GetPointerSpeed() const;
  void SetPointerSpeed(int value);
  std::optional<bool> GetPointerPrecision() const;
  void SetPointerPrecision(bool on);
  std::optional<bool> GetScrollPage() const;
  void SetScrollPage(bool on);
  std::optional<int> GetWheelLines() const;
  void SetWheelLines(int lines);
  std::optional<int> GetDoubleClickTime() const;
  std::optional<int> GetDoubleClickMaximum() const;
  void SetDoubleClickTime(int value);
  MouseSystemSettings GetSystemSettings() const { return system_; }
  // The whole record into the object and the profile document (not saved).
  void SetSystemSettings(const MouseSystemSettings& settings);
  // Tab n of "mouse_device_seting_layout" (tab 0 for an n beyond them) and its option.
  void SelectSettingsTab(int tab);
  // "windowdeviceset_" 0 and 1: the desktop's keyboard and mouse settings, in a process of their own; a
  // message says so when the desktop has no such tool.
  void OpenDesktopSettingsPage(int button);

  // Buttons. The key list holds every slot's current and default code, as the profile's "KeyList" does;
  // a change goes to the list, the profile (saved), then as the whole key table to the mouse.
  const std::vector<KeyAssignment>& KeyList() const { return keyList_; }
  // Slot `slot`'s entry; none for a slot beyond the list.
  std::optional<KeyAssignment> SlotAssignment(int slot) const;
  // Whether the mouse has a button for the slot (known once it was read).
  bool SlotHasButton(int slot) const;
  void SetSlotAssignment(int slot, const KeyCode& current);
  // Every slot takes its default code; then the key table and the settings are written.
  void RestoreDefaultKeys();
  // The object's key list as key table `bank`, through the worker. A table the mouse did not take stays
  // pending (the page says so) and is written again the next time the mouse is read.
  void WriteStoredKeyAssignments(int bank);
  bool IsKeyTableWritePending() const { return keyTablePending_; }
  // Marks slot `slot` as the one being edited and redraws the key buttons.
  void SelectKey(int slot);
  int SelectedKey() const { return selectedKey_; }
  // After the macro list changed: a slot whose macro is gone takes its default code back.
  void RefreshKeyButtons(std::size_t macroCount);

  // Macros. The kind's macro library, which the key table's macro numbers refer to.
  MacroLibrary& Macros();
  // The library changed (a macro added, renamed, removed or edited): the key descriptions name the
  // macros again and keys whose macro is gone take their default code.
  void MacrosChanged();
  // The key list again from the profile file, which a macro's removal renumbered, then to the mouse.
  void ReloadKeysAfterMacroRemoval();
  // The macros the keys use, as one image, through the worker, with progress on the page. `then` gets 0
  // when it was written or there was nothing to write, -1 when it failed, n > 0 when the image is n
  // events larger than the mouse holds (nothing is sent then).
  void WriteMacros(std::function<void(int result)> then);
  // Macros, then the key table; when the macros do not fit, the key table is not written (no key may
  // name a macro the mouse lacks). The page shows a box for a result other than 0.
  void WriteMacrosAndKeys();
  // Lighting. The profile's light record, as the lighting panel shows it.
  LightInfo GetLightInfo() { return profile_.GetLightInfo(); }
  // An edit of the lighting panel: kept in the profile, saved, previewed and written to the mouse.
  void EditLight(const LightInfo& info);
  // The name the logo's tool tip gives light mode `mode`: a custom effect's own name, or the translated
  // name of one of the mouse's modes; empty when the lists have none.
  QString LightModeName(std::uint8_t mode);
  // The presets of the kind's lighting panel: the factory modes and the kind's custom effects.
  const LightPresets& LightPresetLists();
  // Called after the page showed the object again (a profile switch, a read of the mouse), so that panels
  // kept beside the page show it too.
  void SetPageRefreshed(std::function<void()> refreshed) { pageRefreshed_ = std::move(refreshed); }
  // Called on the UI thread after anything that the scripting interface shows may have changed: an edit
  // kept in the profile, the page shown again, a power status read. Several calls may stand for one
  // change; the observer compares.
  void SetStateChanged(std::function<void()> changed) { stateChanged_ = std::move(changed); }

  // Shooting patterns. The kind's four pattern files, which the pattern panel edits.
  ShootPatternFiles& ShootPatterns();
  // The four patterns as one image into the mouse's shooting memory, through the worker, with progress
  // on the page. `then` learns whether the mouse has them.
  void WriteShootPatterns(std::function<void(bool written)> then);
  // A box with language text `textId` and its arguments; the main window's message box.
  using MessageShower = std::function<void(const QString& textId, const QStringList& arguments)>;
  void SetMessageShower(MessageShower shower) { showMessage_ = std::move(shower); }
  // Each button's row: shown when the mouse has the button, what it does in the page's language, and
  // whether it is selected or changed from its factory function.
  void ShowKeys();
  void ShowLightTip();

  CMouseProfiledata& Profile() { return profile_; }
  std::array<std::uint8_t, kDeviceInfoLength> DeviceInfo() const { return deviceInfo_; }
  std::uint16_t SensorCode() const;
  std::optional<MouseVariant> Variant() const { return variant_; }
  // The range of the stage sliders (StageSliderRange); none without a known variant.
  std::optional<DpiRange> StageRange() const;
  using PowerStatus = std::array<std::uint8_t, kPowerStatusLength>;
  // The power status last read; none before the first read.
  const std::optional<PowerStatus>& LastPowerStatus() const { return powerStatus_; }
  const std::vector<DpiStage>& Stages() const { return stages_; }
  int ActiveStage() const { return activeStage_; }
  const MouseKeyMap& KeyMap() const { return keyMap_; }
  // The record last read from the mouse, and what it was before that read (slot number first).
  const MouseSettingsBlock& SettingsMirror() const { return mirror_; }
  const std::array<std::uint8_t, kMouseSettingsBackupSize>& SettingsBackup() const { return backup_; }
  bool UpgradePrompted() const { return upgradePrompt_; }
  std::uint8_t OnboardSlot() const { return onboardSlot_.load(); }
  // The active stage the mouse last reported by notification.
  std::uint8_t ReportedStage() const { return reportedStage_.load(); }

 protected:
  void HandleNotification(std::uint16_t value, bool throughReceiver) override;

 private:
  // What the device phase read, on the worker.
  struct DeviceRead {
    bool infoRead = false;
    std::array<std::uint8_t, kDeviceInfoLength> info{};
    bool keysRead = false;
    std::array<std::uint8_t, kMaxKeyTableLength> factoryKeys{};
    std::optional<std::array<std::uint8_t, kMaxKeyTableLength>> currentKeys;
  };
  // The load from the open channel on, on the worker; it ends early when the mouse is out of reach or
  // refuses.
  DeviceRead ReadDevicePhase(const DeviceWorker::CancelCheck& cancel);
  bool ReadKeyTables(DeviceRead& read);
  // The macros in image order, read on the UI thread when the write is asked for.
  std::vector<MacroRecord> MacroRecordsInUse();
  int WriteMacroImage(const std::vector<MacroRecord>& records, const DeviceWorker::CancelCheck& cancel);
  bool WriteShootImage(const std::vector<MacroRecord>& records, const DeviceWorker::CancelCheck& cancel);
  // Before a macro or pattern image: the channel open, the mouse linked, its information block read.
  bool ReadInfoBeforeImage(std::array<std::uint8_t, kDeviceInfoLength>& info,
                           const DeviceWorker::CancelCheck& cancel);
  // The image between BeginSession and EndSession, with progress on the page; false when the mouse went
  // out of reach or refused.
  using ImageWrite = int (CommandChannel::*)(std::span<const std::uint8_t>, std::size_t,
                                             const CommandChannel::TransferProgress&);
  bool SendImage(const std::vector<std::uint8_t>& image, ImageWrite write,
                 const DeviceWorker::CancelCheck& cancel);
  // Everything a key table write needs, copied on the UI thread when it is asked for.
  struct KeyTableWrite {
    int bank = 0;
    std::vector<KeyAssignment> list;
    MouseKeyMap map{};
    MouseKeyTable factoryKeys{};
    std::size_t macroCount = 0;
  };
  struct KeyTableWritten {
    int result = kResultNothing;
    MouseKeyTable table{};
  };
  KeyTableWritten WriteKeyTableRecord(const KeyTableWrite& write, const DeviceWorker::CancelCheck& cancel);
  enum class KeySource { kMergedWithMouse, kProfileAsStored };
  // The key list from the profile, with the mouse's current table merged in or as the file has it.
  void LoadKeyList(KeySource source);
  void RewritePendingKeyTable();
  bool IsAnyWriteUnderWay() const { return writesUnderWay_ > 0 || keyWritesUnderWay_ > 0; }
  void StoreKeyList();
  void ApplyDeviceRead(const DeviceRead& read);
  void RunModelPhase();

  // The slot byte and that slot's record, without decoding.
  struct SettingsRead {
    int result = kResultNothing;
    MouseSettingsBlock block{};
    std::uint8_t slot = 0;
  };
  // Everything a write needs, copied on the UI thread when it is asked for.
  struct SettingsWrite {
    int slot = 0;
    std::uint8_t firstByte = 0;
    // The record as the mouse gave it; none before the first read.
    std::optional<MouseSettingsBlock> mirror;
    std::optional<std::vector<DpiStage>> stages;
    std::uint8_t activeStage = 0;
    MouseSystemSettings system;
    LightInfo light;
    LightModeCodes modeCodes;
  };
  struct SettingsWritten {
    int result = kResultNothing;
    // The record read first because none had been read before.
    std::optional<MouseSettingsBlock> recordRead;
  };
  // Reads the record of the mouse's current slot, then into the object and the profile (saved); `then`
  // follows on the UI thread.
  void ReadSettings(std::function<void()> then);
  void ApplySettingsRead(const SettingsRead& read);
  SettingsRead ReadSettingsBlock(const DeviceWorker::CancelCheck& cancel);
  void WriteSettings(int slot, int firstByte, std::function<void()> then);
  // The write itself, on the worker: encode, then session, record, end of session.
  SettingsWritten WriteSettingsRecord(const SettingsWrite& write, const DeviceWorker::CancelCheck& cancel);
  void ApplySettingsWritten(int slot, int firstByte, const SettingsWritten& written);
  // Brings object, profile and mouse together once the mouse answers: the record is read into the
  // profile, or, while a write is pending or under way, the profile is written whole, so that a record
  // torn by a failed write never comes back into the profile. `then` follows on the UI thread.
  void SettleSettings(std::function<void()> then);
  void ShowNotices();
  void StateChanged() const;
  // "Writing to the mouse" while writes are under way, with a progress bar once they take long.
  void ShowWriteStatus();
  void CheckUpgrade();
  // A slot or stage the mouse reported, on the UI thread.
  void ApplyReportedSlot(std::uint8_t slot, std::optional<std::uint8_t> stage);

  // The profile's values, held to what the page can show and the mouse can take; the stages only for a
  // mouse of known variant.
  struct ProfileValues {
    std::optional<std::vector<DpiStage>> stages;
    int activeStage = 0;
    MouseSystemSettings system;
    LightInfo light;
  };
  ProfileValues ReadProfileValues();

  const LightModeCodes& ModeCodes();

  MousePageView View() const { return MousePageView(Page()); }
  bool HasStage(int stage) const;
  void ShowStages();
  void StoreStagesAndWrite();
  enum class Delivery { kProfileOnly, kProfileAndMouse };
  void EditSystemSettings(const std::function<void(MouseSystemSettings&)>& change, Delivery delivery);

  CMouseProfiledata profile_;
  std::array<std::uint8_t, kDeviceInfoLength> deviceInfo_{};
  std::optional<MouseVariant> variant_;
  std::uint16_t dpiStepCount_ = 0;
  MouseKeyMap keyMap_{};
  MouseKeyTable factoryKeys_{};
  std::vector<KeyAssignment> keyList_;
  std::optional<MacroLibrary> macros_;
  std::optional<ShootPatternFiles> shootPatterns_;
  std::function<void()> pageRefreshed_;
  std::function<void()> stateChanged_;
  std::optional<PowerStatus> powerStatus_;
  MessageShower showMessage_;
  int selectedKey_ = -1;
  bool keyTablePending_ = false;
  int keyWritesUnderWay_ = 0;
  std::vector<DpiStage> stages_;
  int activeStage_ = 0;
  MouseSystemSettings system_;
  MouseSettingsBlock mirror_{};
  // Whether mirror_ holds what the mouse gave; until then nothing may be written back from it.
  bool mirrorRead_ = false;
  std::array<std::uint8_t, kMouseSettingsBackupSize> backup_{};
  std::optional<LightModeCodes> modeCodes_;
  // Read on first use after the profile (and with it the light list) was loaded; the logo's tool tip
  // names a mode on every refresh of the keys, which must not read two files each time.
  std::optional<LightPresets> lightPresets_;
  ColourChooser chooseColour_;
  bool upgradePrompt_ = false;
  bool writePending_ = false;
  int writesUnderWay_ = 0;
  QTimer writeProgressDelay_;
  // The record the worker last read; touched only by work on the worker, which uses it while the UI
  // has not had a record yet, so that writes queued before the first read came back read it once.
  std::optional<MouseSettingsBlock> recordOnWorker_;
  bool profileNotSaved_ = false;
  std::atomic<std::uint8_t> onboardSlot_{0};
  std::atomic<std::uint8_t> reportedStage_{0};
};

}  // namespace nimbel
