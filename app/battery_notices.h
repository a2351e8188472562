#pragma once

// When a device's battery is worth a desktop notice: a wireless device that falls below the low mark is
// told about once per discharge, never while it charges. Fed with every power status the devices read;
// knows nothing of windows or buses.

#include <cstdint>
#include <set>
#include <span>

#include "devices/device_interfaces.h"

namespace nimbel {

enum class ChargeState : std::uint8_t { kOnBattery = 0, kCharging = 1, kCharged = 2 };

// What a power status says about the battery.
struct PowerReading {
  int percent = 0;
  ChargeState charge = ChargeState::kOnBattery;
  bool wireless = false;

  // Charging or charged: either way the device sits on a charger.
  bool OnCharger() const { return charge != ChargeState::kOnBattery; }
};

// A percent above 100 reads as 100; a charge state the device does not define reads as on battery.
PowerReading ReadPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status);

class BatteryNotices {
 public:
  // Below this percent a wireless device's battery is low.
  static constexpr int kLowPercent = 15;

  // Takes the reading of device `deviceId`; true when it is the one the user should be told about.
  bool Take(int deviceId, const PowerReading& reading);

 private:
  // The devices already told about in their current discharge. A device that goes away stays here, so
  // coming back in the same discharge tells nothing new; only a charge takes it out.
  std::set<int> told_;
};

}  // namespace nimbel
