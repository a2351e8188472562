#include "app/battery_notices.h"

#include <algorithm>

namespace nimbel {
namespace {

constexpr int kFullPercent = 100;

ChargeState ChargeStateOf(std::uint8_t value) {
  switch (value) {
    case static_cast<std::uint8_t>(ChargeState::kCharging):
      return ChargeState::kCharging;
    case static_cast<std::uint8_t>(ChargeState::kCharged):
      return ChargeState::kCharged;
    default:
      return ChargeState::kOnBattery;
  }
}

}  // namespace

PowerReading ReadPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status) {
  return PowerReading{
      .percent = std::min<int>(status[power_status_byte::kBattery], kFullPercent),
      .charge = ChargeStateOf(status[power_status_byte::kChargeState]),
      .wireless = status[power_status_byte::kLink] == kPowerLinkReceiver,
  };
}

bool BatteryNotices::Take(int deviceId, const PowerReading& reading) {
  // A battery does not gain charge by itself: a level back at the mark means it was charged, even when
  // the charge happened out of sight (on another computer, or while the program was not running).
  if (reading.OnCharger() || reading.percent >= kLowPercent) {
    told_.erase(deviceId);
    return false;
  }
  // On its cable the device draws its power from the computer; its battery is no concern yet.
  if (!reading.wireless) return false;
  return told_.insert(deviceId).second;
}

}  // namespace nimbel
