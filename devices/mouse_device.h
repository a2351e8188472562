#pragma once

// The mouse: its identity and tab, link and power state, the device phase of its load, its
// notifications and its lighting preview. Its settings, key tables and DPI pages build on this.

#include <array>
#include <atomic>
#include <cstdint>

#include "devices/usb_device.h"
#include "profiles/mouse_profile.h"

namespace nimbel {

// The fields of the 34-byte device information block the mouse uses.
namespace device_info_byte {
inline constexpr std::size_t kKeyCount = 5;
inline constexpr std::size_t kLinkFlag = 7;
inline constexpr std::size_t kSensorCodeLow = 9;
inline constexpr std::size_t kSensorCodeHigh = 10;
}  // namespace device_info_byte

class CVelquorMouseDevice : public CVelquorUSBDevice {
 public:
  // Notification values the mouse sends.
  static constexpr std::uint16_t kResyncRequest1 = 0x0401;
  static constexpr std::uint16_t kResyncRequest2 = 0x0402;
  static constexpr std::uint16_t kButtonPressed = 0x0403;
  // High bytes of the slot and stage reports: 0x10pq slot q; 0x11pq slot q, active stage p.
  static constexpr std::uint16_t kSlotChanged = 0x1000;
  static constexpr std::uint16_t kStageChanged = 0x1100;
  static constexpr std::uint16_t kReportKindMask = 0xFF00;
  static constexpr std::uint16_t kSlotMask = 0x000F;
  static constexpr int kStageShift = 4;
  static constexpr std::uint16_t kStageMask = 0x000F;
  static constexpr int kResyncDelayMs = 50;

  CVelquorMouseDevice() = default;
  ~CVelquorMouseDevice() override;
  CVelquorMouseDevice(const CVelquorMouseDevice&) = delete;
  CVelquorMouseDevice& operator=(const CVelquorMouseDevice&) = delete;

  const char* GetClass() const override { return "VelquorMouseDevice"; }

  // 1 on the cable; through the receiver, whether the mouse answers.
  int IsLinked() override;
  // Reads the power status and shows it; skipped while the main window marks the object busy or the
  // mouse is out of reach.
  void PollPowerStatus() override;
  // The device phase of the load: the profile, the device information, the "No_device_Link" request,
  // the upgrade prompt and the sensor report; then the lighting preview starts from the profile.
  void SyncFromDevice() override;
  // Reloads the current profile and applies its lighting.
  void SyncFromProfile() override;
  // Copies the profile's lighting choice into the light parameters.
  int ApplyProfileState() override;
  // Loads the file of the profile the page's profile list selects; nothing without a list or selection.
  void LoadProfileFile() override;

  CMouseProfiledata& Profile() { return profile_; }
  std::array<std::uint8_t, kDeviceInfoLength> DeviceInfo() const { return deviceInfo_; }
  std::uint16_t SensorCode() const;
  bool UpgradePrompted() const { return upgradePrompt_; }
  std::uint8_t OnboardSlot() const { return onboardSlot_.load(); }
  // The active stage the mouse last reported by notification.
  std::uint8_t ReportedStage() const { return reportedStage_.load(); }

 protected:
  std::uint32_t LightIntervalTicks() const override;
  void RunLightStep(std::uint32_t nowMs) override;
  void HandleNotification(std::uint16_t value, bool throughReceiver) override;

 private:
  // The load from the open channel on; it ends early when the mouse is out of reach or refuses.
  void ReadDevicePhase();
  void CheckUpgrade();

  CMouseProfiledata profile_;
  std::array<std::uint8_t, kDeviceInfoLength> deviceInfo_{};
  bool upgradePrompt_ = false;
  std::atomic<std::uint8_t> onboardSlot_{0};
  std::atomic<std::uint8_t> reportedStage_{0};
};

}  // namespace nimbel
