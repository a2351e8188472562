#pragma once

// The batteries of the shown devices outside the window: the tray's tool tip lists them, and a desktop
// notice tells of a wireless device running low. Fed on the UI thread with every power status a device
// reads, and told when the shown devices or the language change.

#include <cstdint>
#include <map>
#include <span>

#include "app/battery_notices.h"

namespace nimbel {

class CDeviceOptionUI;
class CDeviceSelector;
class DesktopNotifier;
class TrayIcon;

class BatteryWatch {
 public:
  static constexpr const char* kLowTitleTextId = "battery_low_title_text";
  // "%1: %2 % left", the device's name and its percent.
  static constexpr const char* kLowTextId = "battery_low_text";

  // All must outlive the watch; `notifier` may be null (no notices).
  BatteryWatch(const CDeviceSelector& selector, TrayIcon& tray, DesktopNotifier* notifier);

  void StatusRead(const CDeviceOptionUI& tab, std::span<const std::uint8_t, kPowerStatusLength> status);
  // A device came or went, or the language changed: the tool tip lists the shown devices again.
  void ShowDevices();

 private:
  void NotifyLow(const CDeviceOptionUI& tab, const PowerReading& reading) const;

  const CDeviceSelector& selector_;
  TrayIcon& tray_;
  DesktopNotifier* notifier_;
  BatteryNotices notices_;
  // The last reading of each shown device, by tab index; a device that goes away loses it, so it is
  // listed without a battery until it reads one again.
  std::map<int, PowerReading> readings_;
};

}  // namespace nimbel
