#pragma once

// Demo-mode product options: "mouse:3104" plugs the cabled mouse with the stepped sensor.
//
//   <product>[:<sensor code in hex>][:old]
//
// The product is the demo's product name ("mouse", "mouse-receiver", ...), passed through unchecked.
// The sensor code may be any 16-bit hex number, so a mouse of unknown variant can be shown too. "old"
// gives the mouse firmware 0x0108, older than the current 0x0109, so that the upgrade prompt of the
// cabled mouse can be seen.

#include <optional>
#include <string>
#include <string_view>

#include "emulator/mouse_firmware.h"

namespace nimbel::emulator {

inline constexpr std::uint16_t kDemoOldFirmwareVersion = 0x0108;

struct DemoDevice {
  std::string product;
  MouseOptions mouse;
};

// nullopt for an empty product, a sensor code that is not 1..4 hex digits, or an unknown option.
std::optional<DemoDevice> ParseDemoDevice(std::string_view text);

}  // namespace nimbel::emulator
