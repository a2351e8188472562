#pragma once

// Where the emulated mouse products' collections appear on the virtual bus, for tests that open them
// the way detection and binding do.

#include <cstdint>
#include <string>
#include <vector>

#include "hid/hid_device.h"
#include "hid/virtual_hid.h"

namespace nimbel::test_support {

struct CollectionAddress {
  std::uint16_t productId;
  std::uint16_t interfaceNumber;
  std::uint16_t collectionNumber;
};

// Command collections are on page 0xFF1C, notification collections on page 0x000C.
inline constexpr CollectionAddress kCableCommand{0x226E, 1, 2};
inline constexpr CollectionAddress kCableNotification{0x226E, 1, 3};
inline constexpr CollectionAddress kReceiverCommand{0x22B5, 1, 4};
inline constexpr CollectionAddress kReceiverNotification{0x22B5, 1, 3};

// The path of a plugged collection; empty when it is not on the bus.
inline std::string FindCollectionPath(VirtualHidBus& bus, const CollectionAddress& address) {
  std::vector<std::string> paths;
  if (!bus.EnumeratePaths(paths)) return {};
  for (const std::string& path : paths) {
    if (ParsePathNumber(path, "pid_") == address.productId &&
        ParsePathNumber(path, "&mi_") == address.interfaceNumber &&
        ParsePathNumber(path, "&col") == address.collectionNumber) {
      return path;
    }
  }
  return {};
}

}  // namespace nimbel::test_support
