#include <array>

#include "app/device_factory.h"
#include "app/mouse_kind.h"

namespace nimbel {

// Keyboards, mouse pads and headsets join with their device classes.
std::span<const DeviceKind* const> DeviceKinds() {
  static constexpr std::array<const DeviceKind*, 1> kKinds{&kMouseKind};
  return kKinds;
}

}  // namespace nimbel
