#include "devices/mouse_keys.h"

#include <algorithm>

namespace nimbel {
namespace {

using AssignmentBytes = std::array<std::uint8_t, kKeyTableBytesPerKey>;
constexpr std::array<AssignmentBytes, kMouseFunctionSlots> kSlotFactoryCodes{{
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x13, 0x03, 0x00},  // DPI cycle
    {0x15, 0x03, 0x00},  // polling-rate cycle
    {0xA0, 0x1B, 0x00},  // game mode
    {0x16, 0x90, 0x01},  // DPI shift
    {0x14, 0x78, 0x02},  // fire key
}};

}  // namespace

MouseKeyMap BuildMouseKeyMap(std::span<const std::uint8_t> factoryTable, std::size_t keyCount) {
  MouseKeyMap map;
  // Every slot starts without a button, whatever the key count: a mouse with fewer buttons than slots
  // must not keep the buttons of an earlier mouse.
  map.fill(kNoButton);
  const std::size_t buttons = std::min(keyCount, factoryTable.size() / kKeyTableBytesPerKey);
  for (std::size_t slot = 0; slot < kMouseFunctionSlots; ++slot) {
    for (std::size_t button = 0; button < buttons && button < kNoButton; ++button) {
      const auto code = factoryTable.subspan(button * kKeyTableBytesPerKey, kKeyTableBytesPerKey);
      if (std::equal(code.begin(), code.end(), kSlotFactoryCodes[slot].begin())) {
        map[slot] = static_cast<std::uint8_t>(button);
        break;
      }
    }
  }
  return map;
}

CBasicProfiledata::KeySlotMap ToKeySlotMap(const MouseKeyMap& map) {
  CBasicProfiledata::KeySlotMap slots;
  for (std::size_t slot = 0; slot < map.size(); ++slot) {
    if (map[slot] != kNoButton) slots[static_cast<std::int32_t>(slot)] = map[slot];
  }
  return slots;
}

}  // namespace nimbel
