#pragma once

// The key vocabulary shared by the mouse's and keyboard's key tables, the assignment panel and the macro
// recorder: the 3-byte assignment codes, the fixed tables the panel offers, the keyboard key table with
// the name id of every row, and the tables that turn a key pressed on this desktop into a row.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace nimbel {

// One assignment: the function type, then its two parameters.
struct AssignmentCode {
  std::uint8_t type = 0;
  std::uint8_t p1 = 0;
  std::uint8_t p2 = 0;
  bool operator==(const AssignmentCode&) const = default;
};

namespace assignment_type {
inline constexpr std::uint8_t kDisabled = 0x00;
inline constexpr std::uint8_t kMouseButton = 0x10;
inline constexpr std::uint8_t kSwing = 0x11;
inline constexpr std::uint8_t kWheel = 0x12;
inline constexpr std::uint8_t kSensitivity = 0x13;
inline constexpr std::uint8_t kRapidFire = 0x14;
inline constexpr std::uint8_t kPollingCycle = 0x15;
inline constexpr std::uint8_t kDpiShift = 0x16;
inline constexpr std::uint8_t kKeyboard = 0x20;
inline constexpr std::uint8_t kOfficeShortcut = 0x22;
inline constexpr std::uint8_t kShowWindow = 0x23;
inline constexpr std::uint8_t kConsumer = 0x30;
inline constexpr std::uint8_t kSystem = 0x40;
inline constexpr std::uint8_t kMacroMode = 0x70;
inline constexpr std::uint8_t kMacroRepeat = 0x71;
inline constexpr std::uint8_t kShootPattern = 0x72;
inline constexpr std::uint8_t kSpecial = 0xA0;
inline constexpr std::uint8_t kCombination = 0xB0;
inline constexpr std::uint8_t kKeyboardMacroKey = 0xD0;
}  // namespace assignment_type

// Bit 7 of a swing or wheel code's p2: the movement's direction (right, or down).
inline constexpr std::uint8_t kMovementDirectionBit = 0x80;

// A row of a fixed table: its code and the language text id that names it.
struct NamedCode {
  AssignmentCode code;
  std::string_view nameId;
};

// The drop-down tables of the assignment panel, in item order.
std::span<const NamedCode> MouseButtonTable();     // 5 rows: left, middle, right, forward, back
std::span<const NamedCode> SensitivityTable();     // 3 rows: DPI up, down, cycle
std::span<const NamedCode> MediaTable();           // 18 consumer-page rows
std::span<const NamedCode> SystemTable();          // 3 rows: power, sleep, wake up
std::span<const NamedCode> CombinationKeyTable();  // 11 right-Ctrl shortcuts

// One row of the keyboard key table: the Windows virtual-key code it stands for (kept only to find
// rows by), its code and its name id.
struct KeyCodeRow {
  std::uint16_t virtualKey;
  AssignmentCode code;
  std::string_view nameId;
};
inline constexpr std::size_t kKeyCodeRows = 142;
// Rows 0-7 are the modifiers: left Ctrl, Shift, Alt, Win, then the right-hand ones.
inline constexpr std::size_t kModifierRows = 8;
std::span<const KeyCodeRow> KeyCodeTable();

// How a PC keyboard reports a key: set-1 make code and whether it comes with the extended prefix.
struct ScanCode {
  std::uint8_t code = 0;
  bool extended = false;
  bool operator==(const ScanCode&) const = default;
};
// The capture counterpart of rows 0 to kScanCodeRows-1 of the key table (same order).
struct ScanCodeRow {
  std::uint16_t virtualKey;
  ScanCode scan;
};
inline constexpr std::size_t kScanCodeRows = 113;
std::span<const ScanCodeRow> ScanCodeTable();

// The first scan-code row with this scan code and flag.
std::optional<std::size_t> ScanCodeRowOf(ScanCode scan);

// A key as this desktop's kernel numbers it (an evdev KEY_* code; Qt's native scan code on X11 and
// Wayland is this code + 8), translated to what the key tables are keyed by.
struct PcKey {
  std::uint16_t virtualKey;
  ScanCode scan;
};
std::optional<PcKey> PcKeyOfEvdev(std::uint16_t evdevCode);
// Qt's native scan code of a key event, on X11 and Wayland, is the evdev code moved by this much.
inline constexpr std::uint32_t kEvdevToNativeScanCode = 8;

// How the page names a code: the text ids to translate and join with "+". A macro code is named by its
// macro (kMacro, the caller looks the number p1 up); some types get no description at all (kNone).
struct CodeDescription {
  enum class Kind { kTextIds, kMacro, kNone };
  Kind kind = Kind::kNone;
  std::vector<std::string_view> textIds;
};
CodeDescription DescribeCode(const AssignmentCode& code);

}  // namespace nimbel
