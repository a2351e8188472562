// The assignment panel's fields and the 3-byte code they make, both ways.

#include "editors/key_set_fields.h"

#include <algorithm>
#include <bit>
#include <span>

namespace nimbel {
namespace {

using namespace assignment_type;

constexpr std::uint8_t kCountMask = 0x7F;
constexpr std::uint8_t kNibbleMask = 0x0F;
constexpr int kNibbleShift = 4;
// Down steps are stored as the distance from 128, so a count of 1 reads 0xFF.
constexpr int kWheelDownBase = 128;
// Left- and right-hand modifiers share the options Ctrl, Shift, Alt, Win.
constexpr int kModifiersPerHand = 4;

std::optional<std::size_t> RowOf(std::span<const NamedCode> table, const AssignmentCode& code) {
  const auto row = std::ranges::find(table, code, &NamedCode::code);
  if (row == table.end()) return std::nullopt;
  return static_cast<std::size_t>(row - table.begin());
}

// Keeps `row` when the code has no row: the page then shows the row it showed before.
void SelectRow(std::span<const NamedCode> table, const AssignmentCode& code, int& row) {
  if (const auto found = RowOf(table, code)) row = static_cast<int>(*found);
}

int LastRow(std::span<const NamedCode> table) {
  return static_cast<int>(table.size()) - 1;
}

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value);
}

std::uint8_t DelayAndSpeed(const Movement& movement) {
  return Byte(movement.delay << kNibbleShift | movement.speed);
}

void ReadDelayAndSpeed(std::uint8_t p1, Movement& movement) {
  movement.delay = p1 >> kNibbleShift;
  movement.speed = p1 & kNibbleMask;
}

Movement Clamped(Movement movement, int countMin, int countMax) {
  movement.direction = std::clamp(movement.direction, 0, 1);
  movement.count = std::clamp(movement.count, countMin, countMax);
  movement.delay = std::clamp(movement.delay, 0, key_field_range::kNibbleMax);
  movement.speed = std::clamp(movement.speed, 0, key_field_range::kNibbleMax);
  return movement;
}

std::optional<std::size_t> KeyRowOfUsage(std::uint8_t usage) {
  const auto table = KeyCodeTable();
  const AssignmentCode key{kKeyboard, 0, usage};
  const auto row = std::ranges::find(table, key, &KeyCodeRow::code);
  if (row == table.end()) return std::nullopt;
  return static_cast<std::size_t>(row - table.begin());
}

// No modifier shows option 0; two modifiers at once have no option.
int ModifierOptionOf(std::uint8_t bits) {
  if (bits == 0) return 0;
  if (!std::has_single_bit(bits)) return -1;
  return 1 + std::countr_zero(bits) % kModifiersPerHand;
}

std::uint8_t ModifierBitOf(int option) {
  return option <= 0 ? 0 : Byte(1 << (option - 1));
}

void ShowKeyboardCode(const AssignmentCode& code, KeySetFields& fields) {
  if (const auto shortcut = RowOf(CombinationKeyTable(), code)) {
    fields.function = KeyFunction::kCombinationKey;
    fields.combinationRow = static_cast<int>(*shortcut);
    return;
  }
  fields.function = KeyFunction::kKeyboardKey;
  fields.keyRow = KeyRowOfUsage(code.p2);
  fields.keyUsage = code.p2;
  fields.modifierOption = ModifierOptionOf(code.p1);
}

AssignmentCode MacroCode(const KeySetFields& fields, const AssignmentCode& current, int macroCount) {
  // Without a macro to point at, the key keeps what it has rather than naming a macro that is not there.
  if (fields.macroItem < 0 || fields.macroItem >= macroCount) return current;
  if (fields.macroRepeatMode == kMacroRepeatCountMode) {
    return {kMacroRepeat, Byte(fields.macroItem), Byte(fields.macroRepeatCount)};
  }
  return {kMacroMode, Byte(fields.macroItem), Byte(fields.macroRepeatMode)};
}

AssignmentCode SwingCode(const Movement& swing) {
  const std::uint8_t direction = swing.direction == 1 ? kMovementDirectionBit : 0;
  return {kSwing, DelayAndSpeed(swing), Byte(swing.count | direction)};
}

AssignmentCode WheelCode(const Movement& wheel) {
  if (wheel.direction == 0) return {kWheel, DelayAndSpeed(wheel), Byte(wheel.count)};
  return {kWheel, DelayAndSpeed(wheel),
          Byte(((kWheelDownBase - wheel.count) & kCountMask) | kMovementDirectionBit)};
}

}  // namespace

std::optional<KeySetFields> FieldsOfCode(const AssignmentCode& code, const AssignmentCode& defaultCode,
                                         KeySetFields fields) {
  if (code == defaultCode) {
    fields.function = KeyFunction::kDefault;
    return fields;
  }
  switch (code.type) {
    case kDisabled:
      fields.function = KeyFunction::kDefault;
      break;
    case kMouseButton:
      fields.function = KeyFunction::kMouseButton;
      SelectRow(MouseButtonTable(), code, fields.mouseButtonRow);
      break;
    case kSwing:
      fields.function = KeyFunction::kSwing;
      ReadDelayAndSpeed(code.p1, fields.swing);
      fields.swing.direction = code.p2 & kMovementDirectionBit ? 1 : 0;
      fields.swing.count = code.p2 & kCountMask;
      break;
    case kWheel:
      fields.function = KeyFunction::kWheel;
      ReadDelayAndSpeed(code.p1, fields.wheel);
      fields.wheel.direction = code.p2 & kMovementDirectionBit ? 1 : 0;
      fields.wheel.count =
          code.p2 & kMovementDirectionBit ? kWheelDownBase - (code.p2 & kCountMask) : code.p2;
      break;
    case kSensitivity:
      fields.function = KeyFunction::kSensitivity;
      SelectRow(SensitivityTable(), code, fields.sensitivityRow);
      break;
    case kRapidFire:
      fields.function = KeyFunction::kRapidFire;
      fields.fireInterval = code.p1;
      fields.fireCount = code.p2;
      break;
    case kKeyboard:
      ShowKeyboardCode(code, fields);
      break;
    case kConsumer:
      fields.function = KeyFunction::kMedia;
      SelectRow(MediaTable(), code, fields.mediaRow);
      break;
    case kSystem:
      fields.function = KeyFunction::kSystem;
      SelectRow(SystemTable(), code, fields.systemRow);
      break;
    case kMacroMode:
      fields.function = KeyFunction::kMacro;
      fields.macroItem = code.p1;
      fields.macroRepeatMode = code.p2;
      break;
    case kMacroRepeat:
      fields.function = KeyFunction::kMacro;
      fields.macroItem = code.p1;
      fields.macroRepeatMode = kMacroRepeatCountMode;
      fields.macroRepeatCount = code.p2;
      break;
    case kShootPattern:
      fields.function = KeyFunction::kShootPattern;
      fields.patternItem = code.p1;
      break;
    case kCombination:
      fields.function = KeyFunction::kCombinationKey;
      fields.combinationRow = -1;
      break;
    default:
      return std::nullopt;
  }
  return fields;
}

KeySetFields ClampFields(KeySetFields fields) {
  using namespace key_field_range;
  fields.mouseButtonRow = std::clamp(fields.mouseButtonRow, 0, LastRow(MouseButtonTable()));
  fields.swing = Clamped(fields.swing, 0, kSwingCountMax);
  fields.wheel = Clamped(fields.wheel, kWheelCountMin, kWheelCountMax);
  fields.sensitivityRow = std::clamp(fields.sensitivityRow, 0, LastRow(SensitivityTable()));
  fields.fireInterval = std::clamp(fields.fireInterval, 0, kByteMax);
  fields.fireCount = std::clamp(fields.fireCount, 0, kByteMax);
  fields.modifierOption = std::clamp(fields.modifierOption, -1, kModifierOptionCount - 1);
  if (fields.keyRow && *fields.keyRow >= kKeyCodeRows) fields.keyRow.reset();
  fields.mediaRow = std::clamp(fields.mediaRow, 0, LastRow(MediaTable()));
  fields.systemRow = std::clamp(fields.systemRow, 0, LastRow(SystemTable()));
  fields.macroItem = std::clamp(fields.macroItem, -1, kByteMax);
  fields.macroRepeatMode = std::clamp(fields.macroRepeatMode, 0, kMacroRepeatCountMode);
  fields.macroRepeatCount = std::clamp(fields.macroRepeatCount, 1, kByteMax);
  fields.patternItem = std::clamp(fields.patternItem, -1, kPatternItemMax);
  fields.combinationRow = std::clamp(fields.combinationRow, -1, LastRow(CombinationKeyTable()));
  return fields;
}

AssignmentCode CodeOfFields(const KeySetFields& unclamped, const AssignmentCode& current,
                            const AssignmentCode& defaultCode, int macroCount) {
  const KeySetFields fields = ClampFields(unclamped);
  const auto row = [](std::span<const NamedCode> table, int index) {
    return table[static_cast<std::size_t>(index)].code;
  };
  switch (fields.function) {
    case KeyFunction::kMouseButton:
      return row(MouseButtonTable(), fields.mouseButtonRow);
    case KeyFunction::kSwing:
      return SwingCode(fields.swing);
    case KeyFunction::kWheel:
      return WheelCode(fields.wheel);
    case KeyFunction::kSensitivity:
      return row(SensitivityTable(), fields.sensitivityRow);
    case KeyFunction::kRapidFire:
      return {kRapidFire, Byte(fields.fireInterval), Byte(fields.fireCount)};
    case KeyFunction::kKeyboardKey:
      return {kKeyboard, ModifierBitOf(fields.modifierOption), fields.keyUsage};
    case KeyFunction::kMedia:
      return row(MediaTable(), fields.mediaRow);
    case KeyFunction::kSystem:
      return row(SystemTable(), fields.systemRow);
    case KeyFunction::kMacro:
      return MacroCode(fields, current, macroCount);
    case KeyFunction::kShootPattern:
      // No pattern chosen keeps the key's code instead of storing pattern 255.
      if (fields.patternItem < 0) return current;
      return {kShootPattern, Byte(fields.patternItem), 0};
    case KeyFunction::kCombinationKey:
      if (fields.combinationRow < 0) return current;
      return row(CombinationKeyTable(), fields.combinationRow);
    case KeyFunction::kDefault:
      break;
  }
  // The default category, and a number no category has, stand for the key's default function.
  return defaultCode;
}

}  // namespace nimbel
