#pragma once

// The USB products that carry the emulated devices: identities and the collections of each interface.

#include <cstdint>
#include <vector>

#include "emulator/command_wire.h"
#include "hid/hid_backend.h"

namespace nimbel::emulator {

inline constexpr std::uint16_t kVendorId = 0x320F;

enum class Product { MouseCable, MouseReceiver, Mouse2Receiver };

struct InterfaceLayout {
  std::uint8_t number = 0;
  std::vector<std::uint8_t> descriptor;
  bool carriesCommands = false;  // the command and notification collections live here
};

struct ProductLayout {
  HidAttributes attributes;
  Path path = Path::Cable;
  std::vector<InterfaceLayout> interfaces;
};

// `deviceVersion` is the bcdDevice the product reports (the mouse firmware's version on the cable).
ProductLayout LayoutOf(Product product, std::uint16_t deviceVersion);

}  // namespace nimbel::emulator
