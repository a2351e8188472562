#pragma once

// What the key assignment panel's fields hold, and how they turn into an assignment code and back. Kept
// apart from the controls so that every category's round trip can be checked without a window.

#include <cstdint>
#include <optional>

#include "protocol/key_codes.h"

namespace nimbel {

// The panel's function categories; the number is the category item's user data.
enum class KeyFunction : int {
  kDefault = 0,
  kMouseButton = 1,
  kSwing = 2,
  kWheel = 3,
  kSensitivity = 4,
  kRapidFire = 5,
  kKeyboardKey = 6,
  kMedia = 7,
  kSystem = 8,
  kMacro = 9,
  kShootPattern = 10,
  kCombinationKey = 11,
};
inline constexpr int kKeyFunctionCount = 12;

// Modifier options of the keyboard-key page: none, Ctrl, Shift, Alt, Win; -1 when none is selected.
inline constexpr int kModifierOptionCount = 5;
// Repeat modes of the macro category: 0-3 go to the mouse as they are; 4 repeats a number of times.
inline constexpr int kMacroRepeatCountMode = 4;

// What the fields can hold; the clamps keep every value within what its code byte stores.
namespace key_field_range {
inline constexpr int kNibbleMax = 15;       // swing and wheel delay and speed
inline constexpr int kSwingCountMax = 127;  // seven bits beside the direction
inline constexpr int kWheelCountMin = 1;    // a wheel step of 0 would not move
inline constexpr int kWheelCountMax = 127;
inline constexpr int kByteMax = 255;       // rapid-fire interval and count, macro repeat count
inline constexpr int kPatternItemMax = 3;  // four shooting patterns
}  // namespace key_field_range

struct Movement {
  int direction = 0;  // item 0 or 1 of the direction drop-down
  int count = 0;
  int delay = 0;
  int speed = 0;
  bool operator==(const Movement&) const = default;
};

// Every field of every category page; only the selected category's fields make the code.
struct KeySetFields {
  KeyFunction function = KeyFunction::kDefault;
  int mouseButtonRow = 0;
  Movement swing;
  Movement wheel;
  int sensitivityRow = 0;
  int fireInterval = 50;
  int fireCount = 2;
  // The keyboard-key page: the modifier option and the captured key's usage (0 for none); the key's
  // row in the key table names it (none for a usage without a row).
  int modifierOption = -1;
  std::uint8_t keyUsage = 0;
  std::optional<std::size_t> keyRow;
  int mediaRow = 0;
  int systemRow = 0;
  int macroItem = -1;
  int macroRepeatMode = 0;
  int macroRepeatCount = 1;
  int patternItem = -1;
  int combinationRow = -1;
  bool operator==(const KeySetFields&) const = default;
};

// The fields that show `code`: a code equal to `defaultCode` shows category 0; a code of a type no page
// shows leaves the function empty (nullopt), and the caller hides the panel. Fields the code does not
// speak of keep their value from `fields`.
std::optional<KeySetFields> FieldsOfCode(const AssignmentCode& code, const AssignmentCode& defaultCode,
                                         KeySetFields fields);

// The code the fields make. `current` is what the key holds now (a macro choice without macros keeps it);
// `defaultCode` stands for category 0. Out-of-range numbers are clamped by ClampFields first.
AssignmentCode CodeOfFields(const KeySetFields& fields, const AssignmentCode& current,
                            const AssignmentCode& defaultCode, int macroCount);

// The fields held to what the mouse stores; the panel shows the clamped values.
KeySetFields ClampFields(KeySetFields fields);

}  // namespace nimbel
