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

// The list entry of a slot that has a button, or null.
const KeyAssignment* SlotEntry(const MouseKeyMap& map, std::span<const KeyAssignment> list,
                               std::size_t slot) {
  if (map[slot] == kNoButton || slot >= list.size()) return nullptr;
  return &list[slot];
}

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

std::vector<std::uint8_t> MacroNumbersInUse(const MouseKeyMap& map, std::span<const KeyAssignment> list,
                                            std::size_t macroCount) {
  std::vector<std::uint8_t> numbers;
  for (std::size_t slot = 0; slot < map.size(); ++slot) {
    const KeyAssignment* entry = SlotEntry(map, list, slot);
    if (entry == nullptr || !IsMacroCode(CodeOf(entry->current)) || entry->current.middle >= macroCount)
      continue;
    if (std::find(numbers.begin(), numbers.end(), entry->current.middle) == numbers.end())
      numbers.push_back(entry->current.middle);
  }
  return numbers;
}

MouseKeyTable BuildMouseKeyTable(std::span<const std::uint8_t> factoryTable, std::size_t keyCount,
                                 const MouseKeyMap& map, std::span<const KeyAssignment> list,
                                 std::size_t macroCount) {
  MouseKeyTable table{};
  const std::size_t factoryBytes =
      std::min({keyCount, kMaxMouseKeyCount, factoryTable.size() / kKeyTableBytesPerKey}) *
      kKeyTableBytesPerKey;
  std::copy_n(factoryTable.begin(), factoryBytes, table.begin());
  std::vector<std::uint8_t> macrosInOrder;
  for (std::size_t slot = 0; slot < map.size(); ++slot) {
    const KeyAssignment* entry = SlotEntry(map, list, slot);
    // A button beyond what the mouse reports now is not its button any more.
    if (entry == nullptr || map[slot] >= keyCount) continue;
    KeyCode code = entry->current;
    if (IsMacroCode(CodeOf(code)) && code.middle < macroCount) {
      auto known = std::find(macrosInOrder.begin(), macrosInOrder.end(), code.middle);
      if (known == macrosInOrder.end()) known = macrosInOrder.insert(macrosInOrder.end(), code.middle);
      code.middle = static_cast<std::uint8_t>(known - macrosInOrder.begin());
    } else if (IsMacroCode(CodeOf(code))) {
      code = entry->factory;
    }
    const std::size_t offset = static_cast<std::size_t>(map[slot]) * kKeyTableBytesPerKey;
    table[offset] = code.high;
    table[offset + 1] = code.middle;
    table[offset + 2] = code.low;
  }
  return table;
}

AssignmentCode CodeOf(const KeyCode& key) {
  return {key.high, key.middle, key.low};
}

bool IsMacroCode(const AssignmentCode& code) {
  return code.type == assignment_type::kMacroMode || code.type == assignment_type::kMacroRepeat;
}

KeyCode WithCode(KeyCode key, const AssignmentCode& code) {
  key.high = code.type;
  key.middle = code.p1;
  key.low = code.p2;
  return key;
}

}  // namespace nimbel
