// The key vocabulary as data: the panel's drop-down tables, the keyboard key table with its name ids, the
// scan codes a PC keyboard sends for those keys, and what this desktop's kernel calls them.

#include "protocol/key_codes.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <utility>

namespace nimbel {
namespace {

using namespace assignment_type;

// Names a disabled key, and whatever a code's type does not know.
constexpr std::string_view kCloseText = "close_text";

constexpr AssignmentCode ConsumerCode(std::uint16_t usage) {
  return {.type = kConsumer,
          .p1 = static_cast<std::uint8_t>(usage & 0xFF),
          .p2 = static_cast<std::uint8_t>(usage >> 8)};
}

constexpr std::array<NamedCode, 5> kMouseButtons{{
    {.code = {kMouseButton, 0x01, 0}, .nameId = "mouse_key_left"},
    {.code = {kMouseButton, 0x04, 0}, .nameId = "mouse_key_middle"},
    {.code = {kMouseButton, 0x02, 0}, .nameId = "mouse_key_right"},
    {.code = {kMouseButton, 0x10, 0}, .nameId = "mouse_key_forward"},
    {.code = {kMouseButton, 0x08, 0}, .nameId = "mouse_key_back"},
}};

constexpr std::array<NamedCode, 3> kSensitivities{{
    {.code = {kSensitivity, 1, 0}, .nameId = "mouse_key_DPI_add"},
    {.code = {kSensitivity, 2, 0}, .nameId = "mouse_key_DPI_sub"},
    {.code = {kSensitivity, 3, 0}, .nameId = "mouse_key_DPI_loop"},
}};

// USB HID consumer-page usages.
constexpr std::array<NamedCode, 18> kMediaKeys{{
    {.code = ConsumerCode(0x183), .nameId = "media_text"},
    {.code = ConsumerCode(0x0CD), .nameId = "media_play"},
    {.code = ConsumerCode(0x0B7), .nameId = "media_stop"},
    {.code = ConsumerCode(0x0B6), .nameId = "media_prev"},
    {.code = ConsumerCode(0x0B5), .nameId = "media_next"},
    {.code = ConsumerCode(0x0EA), .nameId = "media_vol_sub"},
    {.code = ConsumerCode(0x0E9), .nameId = "media_vol_add"},
    {.code = ConsumerCode(0x0E2), .nameId = "media_mute"},
    {.code = ConsumerCode(0x223), .nameId = "web_text"},
    {.code = ConsumerCode(0x227), .nameId = "web_refresh"},
    {.code = ConsumerCode(0x226), .nameId = "wed_stop"},
    {.code = ConsumerCode(0x224), .nameId = "wed_back"},
    {.code = ConsumerCode(0x225), .nameId = "wed_forward"},
    {.code = ConsumerCode(0x22A), .nameId = "wed_favorite"},
    {.code = ConsumerCode(0x221), .nameId = "web_search"},
    {.code = ConsumerCode(0x194), .nameId = "media_mypc"},
    {.code = ConsumerCode(0x192), .nameId = "media_calc"},
    {.code = ConsumerCode(0x18A), .nameId = "media_mail"},
}};

constexpr std::array<NamedCode, 3> kSystemKeys{{
    {.code = {kSystem, 0x01, 0}, .nameId = "system_power"},
    {.code = {kSystem, 0x02, 0}, .nameId = "system_sleep"},
    {.code = {kSystem, 0x04, 0}, .nameId = "system_wake_up"},
}};

// Right Ctrl with a letter or the minus and equals keys (keyboard-page usages).
constexpr std::uint8_t kRightCtrlBit = 0x10;
constexpr std::array<NamedCode, 11> kCombinationKeys{{
    {.code = {kKeyboard, kRightCtrlBit, 0x12}, .nameId = "custem_open"},
    {.code = {kKeyboard, kRightCtrlBit, 0x11}, .nameId = "custem_new"},
    {.code = {kKeyboard, kRightCtrlBit, 0x1D}, .nameId = "custem_undo"},
    {.code = {kKeyboard, kRightCtrlBit, 0x16}, .nameId = "custem_save"},
    {.code = {kKeyboard, kRightCtrlBit, 0x06}, .nameId = "custem_copy"},
    {.code = {kKeyboard, kRightCtrlBit, 0x1B}, .nameId = "custem_cut"},
    {.code = {kKeyboard, kRightCtrlBit, 0x19}, .nameId = "custem_paste"},
    {.code = {kKeyboard, kRightCtrlBit, 0x09}, .nameId = "custem_find"},
    {.code = {kKeyboard, kRightCtrlBit, 0x04}, .nameId = "custem_select_all"},
    {.code = {kKeyboard, kRightCtrlBit, 0x2D}, .nameId = "custem_narrow"},
    {.code = {kKeyboard, kRightCtrlBit, 0x2E}, .nameId = "custem_magnify"},
}};
// The office shortcuts (type 0x22, p2 0-8) are named as the first nine combination keys, in that order.
constexpr std::size_t kOfficeShortcuts = 9;

constexpr KeyCodeRow Modifier(std::uint16_t virtualKey, std::uint8_t bit, std::string_view nameId) {
  return {.virtualKey = virtualKey, .code = {kKeyboard, bit, 0}, .nameId = nameId};
}
constexpr KeyCodeRow Key(std::uint16_t virtualKey, std::uint8_t usage, std::string_view nameId) {
  return {.virtualKey = virtualKey, .code = {kKeyboard, 0, usage}, .nameId = nameId};
}
constexpr KeyCodeRow Consumer(std::uint16_t virtualKey, std::uint16_t usage, std::string_view nameId) {
  return {.virtualKey = virtualKey, .code = ConsumerCode(usage), .nameId = nameId};
}
constexpr KeyCodeRow Special(std::uint8_t type, std::uint8_t p1, std::uint8_t p2, std::string_view nameId) {
  return {.virtualKey = 0, .code = {type, p1, p2}, .nameId = nameId};
}

// Virtual keys Windows has no code of its own for: the numeric-pad Enter, the power keys, and the
// international keys that share a code with another key on every layout that has them.
constexpr std::uint16_t kVkNumPadEnter = 0x101;
constexpr std::uint16_t kVkPower = 0x103;
constexpr std::uint16_t kVkSleep = 0x104;
constexpr std::uint16_t kVkWakeUp = 0x105;
constexpr std::uint16_t kVkNone = 0xFF;

// Windows virtual keys, keyboard-page and consumer-page usages, in the order the key lists show them.
constexpr std::array<KeyCodeRow, kKeyCodeRows> kKeyCodes{{
    Modifier(0xA2, 0x01, "keyboard_key_LCtrl"),
    Modifier(0xA0, 0x02, "keyboard_key_LShift"),
    Modifier(0xA4, 0x04, "keyboard_key_LAlt"),
    Modifier(0x5B, 0x08, "keyboard_key_LWin"),
    Modifier(0xA3, 0x10, "keyboard_key_RCtrl"),
    Modifier(0xA1, 0x20, "keyboard_key_RShift"),
    Modifier(0xA5, 0x40, "keyboard_key_RAlt"),
    Modifier(0x5C, 0x80, "keyboard_key_RWin"),
    Key('A', 0x04, "keyboard_key_A"),
    Key('B', 0x05, "keyboard_key_B"),
    Key('C', 0x06, "keyboard_key_C"),
    Key('D', 0x07, "keyboard_key_D"),
    Key('E', 0x08, "keyboard_key_E"),
    Key('F', 0x09, "keyboard_key_F"),
    Key('G', 0x0A, "keyboard_key_G"),
    Key('H', 0x0B, "keyboard_key_H"),
    Key('I', 0x0C, "keyboard_key_I"),
    Key('J', 0x0D, "keyboard_key_J"),
    Key('K', 0x0E, "keyboard_key_K"),
    Key('L', 0x0F, "keyboard_key_L"),
    Key('M', 0x10, "keyboard_key_M"),
    Key('N', 0x11, "keyboard_key_N"),
    Key('O', 0x12, "keyboard_key_O"),
    Key('P', 0x13, "keyboard_key_P"),
    Key('Q', 0x14, "keyboard_key_Q"),
    Key('R', 0x15, "keyboard_key_R"),
    Key('S', 0x16, "keyboard_key_S"),
    Key('T', 0x17, "keyboard_key_T"),
    Key('U', 0x18, "keyboard_key_U"),
    Key('V', 0x19, "keyboard_key_V"),
    Key('W', 0x1A, "keyboard_key_W"),
    Key('X', 0x1B, "keyboard_key_X"),
    Key('Y', 0x1C, "keyboard_key_Y"),
    Key('Z', 0x1D, "keyboard_key_Z"),
    Key('1', 0x1E, "keyboard_key_1"),
    Key('2', 0x1F, "keyboard_key_2"),
    Key('3', 0x20, "keyboard_key_3"),
    Key('4', 0x21, "keyboard_key_4"),
    Key('5', 0x22, "keyboard_key_5"),
    Key('6', 0x23, "keyboard_key_6"),
    Key('7', 0x24, "keyboard_key_7"),
    Key('8', 0x25, "keyboard_key_8"),
    Key('9', 0x26, "keyboard_key_9"),
    Key('0', 0x27, "keyboard_key_0"),
    Key(0x0D, 0x28, "keyboard_key_Enter"),
    Key(0x1B, 0x29, "keyboard_key_Esc"),
    Key(0x08, 0x2A, "keyboard_key_BackSpace"),
    Key(0x09, 0x2B, "keyboard_key_Tab"),
    Key(0x20, 0x2C, "keyboard_key_Space"),
    Key(0xBD, 0x2D, "keyboard_key_-"),
    Key(0xBB, 0x2E, "keyboard_key_="),
    Key(0xDB, 0x2F, "keyboard_key_["),
    Key(0xDD, 0x30, "keyboard_key_]"),
    Key(0xDC, 0x31, "keyboard_key_xiegang"),
    Key(0xBA, 0x33, "keyboard_key_;"),
    Key(0xDE, 0x34, "keyboard_key_'"),
    Key(0xC0, 0x35, "keyboard_key_`"),
    Key(0xBC, 0x36, "keyboard_key_<"),
    Key(0xBE, 0x37, "keyboard_key_."),
    Key(0xBF, 0x38, "keyboard_key_/"),
    Key(0x14, 0x39, "keyboard_key_Caplk"),
    Key(0x70, 0x3A, "keyboard_key_F1"),
    Key(0x71, 0x3B, "keyboard_key_F2"),
    Key(0x72, 0x3C, "keyboard_key_F3"),
    Key(0x73, 0x3D, "keyboard_key_F4"),
    Key(0x74, 0x3E, "keyboard_key_F5"),
    Key(0x75, 0x3F, "keyboard_key_F6"),
    Key(0x76, 0x40, "keyboard_key_F7"),
    Key(0x77, 0x41, "keyboard_key_F8"),
    Key(0x78, 0x42, "keyboard_key_F9"),
    Key(0x79, 0x43, "keyboard_key_F10"),
    Key(0x7A, 0x44, "keyboard_key_F11"),
    Key(0x7B, 0x45, "keyboard_key_F12"),
    Key(0x2C, 0x46, "keyboard_key_Print Scr"),
    Key(0x91, 0x47, "keyboard_key_Scroll Lock"),
    Key(0x13, 0x48, "keyboard_key_Pause"),
    Key(0x2D, 0x49, "keyboard_key_Insert"),
    Key(0x24, 0x4A, "keyboard_key_Home"),
    Key(0x21, 0x4B, "keyboard_key_Page Up"),
    Key(0x2E, 0x4C, "keyboard_key_Delete"),
    Key(0x23, 0x4D, "keyboard_key_End"),
    Key(0x22, 0x4E, "keyboard_key_Page Down"),
    Key(0x27, 0x4F, "keyboard_key_Right"),
    Key(0x25, 0x50, "keyboard_key_Left"),
    Key(0x28, 0x51, "keyboard_key_Down"),
    Key(0x26, 0x52, "keyboard_key_Up"),
    Key(0x90, 0x53, "keyboard_key_Num Lock"),
    Key(0x6F, 0x54, "keyboard_key_Num /"),
    Key(0x6A, 0x55, "keyboard_key_Num *"),
    Key(0x6D, 0x56, "keyboard_key_Num -"),
    Key(0x6B, 0x57, "keyboard_key_Num +"),
    Key(kVkNumPadEnter, 0x58, "keyboard_key_Num Enter"),
    Key(0x61, 0x59, "keyboard_key_Num 1"),
    Key(0x62, 0x5A, "keyboard_key_Num 2"),
    Key(0x63, 0x5B, "keyboard_key_Num 3"),
    Key(0x64, 0x5C, "keyboard_key_Num 4"),
    Key(0x65, 0x5D, "keyboard_key_Num 5"),
    Key(0x66, 0x5E, "keyboard_key_Num 6"),
    Key(0x67, 0x5F, "keyboard_key_Num 7"),
    Key(0x68, 0x60, "keyboard_key_Num 8"),
    Key(0x69, 0x61, "keyboard_key_Num 9"),
    Key(0x60, 0x62, "keyboard_key_Num 0"),
    Key(0x6E, 0x63, "keyboard_key_Decimal"),
    Key(0x5D, 0x65, "keyboard_key_App"),
    // The international keys, named by their position on the IBM key layout.
    Key(0xE2, 0x64, "keyboard_key_K45"),      // the extra key beside left Shift (ISO)
    Key(kVkNone, 0x87, "keyboard_key_K56"),   // Ro (JIS), beside right Shift
    Key(kVkNone, 0x89, "keyboard_key_K14"),   // Yen (JIS)
    Key(kVkNone, 0x85, "keyboard_key_K107"),  // the numeric pad's comma (ABNT)
    Key(0x1D, 0x8B, "keyboard_key_K131"),     // Muhenkan
    Key(0x1C, 0x8A, "keyboard_key_K132"),     // Henkan
    Key(kVkNone, 0x88, "keyboard_key_K133"),  // Katakana/Hiragana
    Key(0x19, 0x91, "keyboard_key_K150"),     // Hanja
    Key(0x15, 0x90, "keyboard_key_K151"),     // Hangul
    // The key left of Enter on ISO layouts sends the same scan code as backslash, so it has no capture row.
    Key(0xBF, 0x32, "keyboard_key_K42"),
    Consumer(0xB7, 0x192, "keyboard_key_Launch App2"),
    Consumer(0xAC, 0x223, "keyboard_key_Browaer Home"),
    Consumer(0xB3, 0x0CD, "keyboard_key_Media Play Pause"),
    Consumer(0xAA, 0x221, "keyboard_key_Browser Search"),
    Consumer(0xB4, 0x18A, "keyboard_key_Launch Mail"),
    Consumer(0xAF, 0x0E9, "keyboard_key_Volume Up"),
    Consumer(0xAD, 0x0E2, "keyboard_key_Volume Mute"),
    Consumer(0xB2, 0x0B7, "keyboard_key_Media Stop"),
    Consumer(0xAE, 0x0EA, "keyboard_key_Volume Down"),
    Consumer(0xAB, 0x22A, "keyboard_key_Browser Favorites"),
    Consumer(0xA7, 0x225, "keyboard_key_Browser ForWard"),
    Consumer(0xA6, 0x224, "keyboard_key_Browser Back"),
    Consumer(0xB1, 0x0B6, "keyboard_key_Media Prev Track"),
    Consumer(0xB0, 0x0B5, "keyboard_key_Media Next Track"),
    Consumer(0xB6, 0x194, "keyboard_key_Computer"),
    Consumer(0xA8, 0x227, "keyboard_key_Browser Refresh"),
    Consumer(0xA9, 0x226, "wed_stop"),
    Consumer(0xB5, 0x183, "keyboard_key_Launch Media Select"),
    {.virtualKey = kVkPower, .code = {kSystem, 0x01, 0}, .nameId = "keyboard_key_Power"},
    {.virtualKey = kVkSleep, .code = {kSystem, 0x02, 0}, .nameId = "keyboard_key_Sleep"},
    {.virtualKey = kVkWakeUp, .code = {kSystem, 0x04, 0}, .nameId = "keyboard_key_Wakeup"},
    Special(kKeyboardMacroKey, 0xA2, 1, "keyboard_key_M1"),
    Special(kKeyboardMacroKey, 0xA2, 2, "keyboard_key_M2"),
    Special(kKeyboardMacroKey, 0xA2, 3, "keyboard_key_M3"),
    Special(kKeyboardMacroKey, 0xA2, 4, "keyboard_key_M4"),
    Special(kKeyboardMacroKey, 0xA2, 5, "keyboard_key_M5"),
    Special(kSpecial, 0x01, 0, "keyboard_key_FN"),
    Special(kSpecial, 0x1B, 0, "keyboard_key_GM"),
}};

// A key as the kernel numbers it, the Windows virtual key it stands for, and its set-1 make code.
struct CaptureKey {
  std::uint16_t evdev;
  ScanCodeRow row;
};
constexpr CaptureKey Plain(std::uint16_t evdev, std::uint16_t virtualKey, std::uint8_t scan) {
  return {.evdev = evdev, .row = {.virtualKey = virtualKey, .scan = {.code = scan, .extended = false}}};
}
// Sent behind the E0 prefix.
constexpr CaptureKey Extended(std::uint16_t evdev, std::uint16_t virtualKey, std::uint8_t scan) {
  return {.evdev = evdev, .row = {.virtualKey = virtualKey, .scan = {.code = scan, .extended = true}}};
}

// Row for row with the key table. The evdev codes are the kernel's set-1 translation read backwards.
// Pause sends E1 1D 45, which Windows reports as 45 without the flag that Num Lock's 45 carries. Right
// Shift has no E0 prefix on the wire but is flagged extended, as Windows reports it.
constexpr std::array<CaptureKey, kScanCodeRows> kCaptureKeys{{
    Plain(KEY_LEFTCTRL, 0xA2, 0x1D),
    Plain(KEY_LEFTSHIFT, 0xA0, 0x2A),
    Plain(KEY_LEFTALT, 0xA4, 0x38),
    Extended(KEY_LEFTMETA, 0x5B, 0x5B),
    Extended(KEY_RIGHTCTRL, 0xA3, 0x1D),
    Extended(KEY_RIGHTSHIFT, 0xA1, 0x36),
    Extended(KEY_RIGHTALT, 0xA5, 0x38),
    Extended(KEY_RIGHTMETA, 0x5C, 0x5C),
    Plain(KEY_A, 'A', 0x1E),
    Plain(KEY_B, 'B', 0x30),
    Plain(KEY_C, 'C', 0x2E),
    Plain(KEY_D, 'D', 0x20),
    Plain(KEY_E, 'E', 0x12),
    Plain(KEY_F, 'F', 0x21),
    Plain(KEY_G, 'G', 0x22),
    Plain(KEY_H, 'H', 0x23),
    Plain(KEY_I, 'I', 0x17),
    Plain(KEY_J, 'J', 0x24),
    Plain(KEY_K, 'K', 0x25),
    Plain(KEY_L, 'L', 0x26),
    Plain(KEY_M, 'M', 0x32),
    Plain(KEY_N, 'N', 0x31),
    Plain(KEY_O, 'O', 0x18),
    Plain(KEY_P, 'P', 0x19),
    Plain(KEY_Q, 'Q', 0x10),
    Plain(KEY_R, 'R', 0x13),
    Plain(KEY_S, 'S', 0x1F),
    Plain(KEY_T, 'T', 0x14),
    Plain(KEY_U, 'U', 0x16),
    Plain(KEY_V, 'V', 0x2F),
    Plain(KEY_W, 'W', 0x11),
    Plain(KEY_X, 'X', 0x2D),
    Plain(KEY_Y, 'Y', 0x15),
    Plain(KEY_Z, 'Z', 0x2C),
    Plain(KEY_1, '1', 0x02),
    Plain(KEY_2, '2', 0x03),
    Plain(KEY_3, '3', 0x04),
    Plain(KEY_4, '4', 0x05),
    Plain(KEY_5, '5', 0x06),
    Plain(KEY_6, '6', 0x07),
    Plain(KEY_7, '7', 0x08),
    Plain(KEY_8, '8', 0x09),
    Plain(KEY_9, '9', 0x0A),
    Plain(KEY_0, '0', 0x0B),
    Plain(KEY_ENTER, 0x0D, 0x1C),
    Plain(KEY_ESC, 0x1B, 0x01),
    Plain(KEY_BACKSPACE, 0x08, 0x0E),
    Plain(KEY_TAB, 0x09, 0x0F),
    Plain(KEY_SPACE, 0x20, 0x39),
    Plain(KEY_MINUS, 0xBD, 0x0C),
    Plain(KEY_EQUAL, 0xBB, 0x0D),
    Plain(KEY_LEFTBRACE, 0xDB, 0x1A),
    Plain(KEY_RIGHTBRACE, 0xDD, 0x1B),
    Plain(KEY_BACKSLASH, 0xDC, 0x2B),
    Plain(KEY_SEMICOLON, 0xBA, 0x27),
    Plain(KEY_APOSTROPHE, 0xDE, 0x28),
    Plain(KEY_GRAVE, 0xC0, 0x29),
    Plain(KEY_COMMA, 0xBC, 0x33),
    Plain(KEY_DOT, 0xBE, 0x34),
    Plain(KEY_SLASH, 0xBF, 0x35),
    Plain(KEY_CAPSLOCK, 0x14, 0x3A),
    Plain(KEY_F1, 0x70, 0x3B),
    Plain(KEY_F2, 0x71, 0x3C),
    Plain(KEY_F3, 0x72, 0x3D),
    Plain(KEY_F4, 0x73, 0x3E),
    Plain(KEY_F5, 0x74, 0x3F),
    Plain(KEY_F6, 0x75, 0x40),
    Plain(KEY_F7, 0x76, 0x41),
    Plain(KEY_F8, 0x77, 0x42),
    Plain(KEY_F9, 0x78, 0x43),
    Plain(KEY_F10, 0x79, 0x44),
    Plain(KEY_F11, 0x7A, 0x57),
    Plain(KEY_F12, 0x7B, 0x58),
    Extended(KEY_SYSRQ, 0x2C, 0x37),
    Plain(KEY_SCROLLLOCK, 0x91, 0x46),
    Plain(KEY_PAUSE, 0x13, 0x45),
    Extended(KEY_INSERT, 0x2D, 0x52),
    Extended(KEY_HOME, 0x24, 0x47),
    Extended(KEY_PAGEUP, 0x21, 0x49),
    Extended(KEY_DELETE, 0x2E, 0x53),
    Extended(KEY_END, 0x23, 0x4F),
    Extended(KEY_PAGEDOWN, 0x22, 0x51),
    Extended(KEY_RIGHT, 0x27, 0x4D),
    Extended(KEY_LEFT, 0x25, 0x4B),
    Extended(KEY_DOWN, 0x28, 0x50),
    Extended(KEY_UP, 0x26, 0x48),
    Extended(KEY_NUMLOCK, 0x90, 0x45),
    Extended(KEY_KPSLASH, 0x6F, 0x35),
    Plain(KEY_KPASTERISK, 0x6A, 0x37),
    Plain(KEY_KPMINUS, 0x6D, 0x4A),
    Plain(KEY_KPPLUS, 0x6B, 0x4E),
    Extended(KEY_KPENTER, kVkNumPadEnter, 0x1C),
    Plain(KEY_KP1, 0x61, 0x4F),
    Plain(KEY_KP2, 0x62, 0x50),
    Plain(KEY_KP3, 0x63, 0x51),
    Plain(KEY_KP4, 0x64, 0x4B),
    Plain(KEY_KP5, 0x65, 0x4C),
    Plain(KEY_KP6, 0x66, 0x4D),
    Plain(KEY_KP7, 0x67, 0x47),
    Plain(KEY_KP8, 0x68, 0x48),
    Plain(KEY_KP9, 0x69, 0x49),
    Plain(KEY_KP0, 0x60, 0x52),
    Plain(KEY_KPDOT, 0x6E, 0x53),
    Extended(KEY_COMPOSE, 0x5D, 0x5D),
    Plain(KEY_102ND, 0xE2, 0x56),
    Plain(KEY_RO, kVkNone, 0x73),
    Plain(KEY_YEN, kVkNone, 0x7D),
    Plain(KEY_KPCOMMA, kVkNone, 0x7E),
    Plain(KEY_MUHENKAN, 0x1D, 0x7B),
    Plain(KEY_HENKAN, 0x1C, 0x79),
    Plain(KEY_KATAKANAHIRAGANA, kVkNone, 0x70),
    Plain(KEY_HANJA, 0x19, 0xF1),
    Plain(KEY_HANGEUL, 0x15, 0xF2),
}};

constexpr std::array<ScanCodeRow, kScanCodeRows> kScanCodes = [] {
  std::array<ScanCodeRow, kScanCodeRows> rows{};
  std::ranges::transform(kCaptureKeys, rows.begin(), &CaptureKey::row);
  return rows;
}();

// Types the page shows without a description.
constexpr std::array<std::uint8_t, 5> kUndescribedTypes{0x21, 0x50, 0x60, kCombination, 0xC0};

template <typename Row>
std::optional<std::string_view> NameOf(std::span<const Row> rows, const AssignmentCode& code) {
  const auto row = std::ranges::find(rows, code, &Row::code);
  if (row == rows.end()) return std::nullopt;
  return row->nameId;
}

// A keyboard code as its modifiers' names in bit order, then its key's name.
std::vector<std::string_view> KeyboardCodeNames(const AssignmentCode& code) {
  std::vector<std::string_view> names;
  const auto table = KeyCodeTable();
  for (std::size_t bit = 0; bit < kModifierRows; ++bit) {
    if (code.p1 & (1u << bit)) names.push_back(table[bit].nameId);
  }
  if (const auto key = NameOf(table.subspan(kModifierRows), AssignmentCode{kKeyboard, 0, code.p2})) {
    names.push_back(*key);
  }
  return names;
}

CodeDescription Texts(std::vector<std::string_view> textIds) {
  return {.kind = CodeDescription::Kind::kTextIds, .textIds = std::move(textIds)};
}
CodeDescription Text(std::optional<std::string_view> textId) {
  return Texts({textId.value_or(kCloseText)});
}

std::optional<std::string_view> SpecialName(std::uint8_t p1) {
  switch (p1) {
    case 0x00:
      return kCloseText;
    case 0x01:
      return "keyboard_key_FN";
    case 0x02:
      return "mouse_key_smart_key";
    case 0x1B:
      return "keyboard_key_GM";
    default:
      return std::nullopt;
  }
}

constexpr std::array<std::string_view, 4> kShootPatternNames{"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                             "gun_4_txt"};

template <std::size_t N>
std::optional<std::string_view> Item(const std::array<std::string_view, N>& names, std::size_t index) {
  if (index >= N) return std::nullopt;
  return names[index];
}

}  // namespace

std::span<const NamedCode> MouseButtonTable() {
  return kMouseButtons;
}
std::span<const NamedCode> SensitivityTable() {
  return kSensitivities;
}
std::span<const NamedCode> MediaTable() {
  return kMediaKeys;
}
std::span<const NamedCode> SystemTable() {
  return kSystemKeys;
}
std::span<const NamedCode> CombinationKeyTable() {
  return kCombinationKeys;
}
std::span<const KeyCodeRow> KeyCodeTable() {
  return kKeyCodes;
}
std::span<const ScanCodeRow> ScanCodeTable() {
  return kScanCodes;
}

std::optional<std::size_t> ScanCodeRowOf(ScanCode scan) {
  const auto row = std::ranges::find(kScanCodes, scan, &ScanCodeRow::scan);
  if (row == kScanCodes.end()) return std::nullopt;
  return static_cast<std::size_t>(row - kScanCodes.begin());
}

std::optional<PcKey> PcKeyOfEvdev(std::uint16_t evdevCode) {
  const auto key = std::ranges::find(kCaptureKeys, evdevCode, &CaptureKey::evdev);
  if (key == kCaptureKeys.end()) return std::nullopt;
  return PcKey{.virtualKey = key->row.virtualKey, .scan = key->row.scan};
}

CodeDescription DescribeCode(const AssignmentCode& code) {
  if (std::ranges::find(kUndescribedTypes, code.type) != kUndescribedTypes.end()) return {};
  switch (code.type) {
    case kDisabled:
      return Text(kCloseText);
    case kMouseButton:
      return Text(NameOf(MouseButtonTable(), code));
    case kSwing:
      return Text(code.p2 & kMovementDirectionBit ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case kWheel:
      return Text(code.p2 & kMovementDirectionBit ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case kSensitivity:
      return Text(NameOf(SensitivityTable(), code));
    case kRapidFire:
      return Text("mouse_key_fire_key");
    case kPollingCycle:
      return Text("mouse_key_report_loop");
    case kDpiShift:
      return Text("mouse_key_DPI_shift");
    case kKeyboard: {
      std::vector<std::string_view> names = KeyboardCodeNames(code);
      if (names.empty()) return Text(kCloseText);
      return Texts(std::move(names));
    }
    case kOfficeShortcut:
      if (code.p2 >= kOfficeShortcuts) return Text(std::nullopt);
      return Text(kCombinationKeys[code.p2].nameId);
    case kShowWindow:
      return Text("show_window");
    case kConsumer:
      return Text(NameOf(MediaTable(), code));
    case kSystem:
      return Text(NameOf(SystemTable(), code));
    case kMacroMode:
    case kMacroRepeat:
      return {.kind = CodeDescription::Kind::kMacro, .textIds = {}};
    case kShootPattern:
      return Text(Item(kShootPatternNames, code.p1));
    case kSpecial:
      return Text(SpecialName(code.p1));
    default:
      return Text(std::nullopt);
  }
}

}  // namespace nimbel
