#pragma once

// Window messages a device object sends to the main window.

#include <cstdint>

namespace nimbel::device_message {

// wParam = byte 4 of the power status.
inline constexpr std::uint32_t kPowerStatus = 3329;
// wParam = product id, lParam = firmware version: the mouse's firmware wants an upgrade.
inline constexpr std::uint32_t kUpgradePrompt = 3332;
// The mouse says it has no link of its own to show: show / hide "No_device_Link".
inline constexpr std::uint32_t kShowNoDeviceLink = 3333;
inline constexpr std::uint32_t kHideNoDeviceLink = 3334;
// wParam = the sensor code the mouse reported.
inline constexpr std::uint32_t kSensorReported = 3335;

}  // namespace nimbel::device_message
