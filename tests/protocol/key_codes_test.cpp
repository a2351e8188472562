#include "protocol/key_codes.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace nimbel {
namespace {

using namespace assignment_type;

std::optional<std::size_t> KeyRowNamed(std::string_view nameId) {
  const auto table = KeyCodeTable();
  const auto row = std::ranges::find(table, nameId, &KeyCodeRow::nameId);
  if (row == table.end()) return std::nullopt;
  return static_cast<std::size_t>(row - table.begin());
}

// Rows [first, last] all have this type.
struct RowBlock {
  std::size_t first;
  std::size_t last;
  std::uint8_t type;
  std::string_view firstName;
  std::string_view lastName;
};

TEST(KeyCodeTableTest, HoldsItsBlocksInOrder) {
  const std::vector<RowBlock> blocks = {
      {0, 7, kKeyboard, "keyboard_key_LCtrl", "keyboard_key_RWin"},
      {8, 113, kKeyboard, "keyboard_key_A", "keyboard_key_K42"},
      {114, 131, kConsumer, "keyboard_key_Launch App2", "keyboard_key_Launch Media Select"},
      {132, 134, kSystem, "keyboard_key_Power", "keyboard_key_Wakeup"},
      {135, 139, kKeyboardMacroKey, "keyboard_key_M1", "keyboard_key_M5"},
      {140, 141, kSpecial, "keyboard_key_FN", "keyboard_key_GM"},
  };
  const auto table = KeyCodeTable();
  ASSERT_EQ(table.size(), blocks.back().last + 1);
  for (const RowBlock& block : blocks) {
    SCOPED_TRACE(block.firstName);
    EXPECT_EQ(table[block.first].nameId, block.firstName);
    EXPECT_EQ(table[block.last].nameId, block.lastName);
    for (std::size_t row = block.first; row <= block.last; ++row) EXPECT_EQ(table[row].code.type, block.type);
  }
}

TEST(KeyCodeTableTest, ModifiersAreOneBitEachInBitOrderAndKeysHaveNone) {
  const auto table = KeyCodeTable();
  for (std::size_t row = 0; row < kModifierRows; ++row) {
    EXPECT_EQ(table[row].code, (AssignmentCode{kKeyboard, static_cast<std::uint8_t>(1u << row), 0}));
  }
  constexpr std::size_t kFirstMediaRow = 114;
  for (std::size_t row = kModifierRows; row < kFirstMediaRow; ++row) EXPECT_EQ(table[row].code.p1, 0);
}

struct TellingRow {
  std::string_view nameId;
  std::uint16_t virtualKey;
  AssignmentCode code;
};

TEST(KeyCodeTableTest, TellingRowsHaveTheirKeysAndUsages) {
  const std::vector<TellingRow> rows = {
      {"keyboard_key_A", 'A', {kKeyboard, 0, 0x04}},
      {"keyboard_key_0", '0', {kKeyboard, 0, 0x27}},
      {"keyboard_key_Num Enter", 0x101, {kKeyboard, 0, 0x58}},
      {"keyboard_key_K45", 0xE2, {kKeyboard, 0, 0x64}},
      {"keyboard_key_K42", 0xBF, {kKeyboard, 0, 0x32}},
      {"keyboard_key_Launch App2", 0xB7, {kConsumer, 0x92, 0x01}},
      {"wed_stop", 0xA9, {kConsumer, 0x26, 0x02}},
      {"keyboard_key_Sleep", 0x104, {kSystem, 0x02, 0}},
      {"keyboard_key_M3", 0, {kKeyboardMacroKey, 0xA2, 3}},
      {"keyboard_key_GM", 0, {kSpecial, 0x1B, 0}},
  };
  for (const TellingRow& expected : rows) {
    SCOPED_TRACE(expected.nameId);
    const std::optional<std::size_t> row = KeyRowNamed(expected.nameId);
    ASSERT_TRUE(row);
    EXPECT_EQ(KeyCodeTable()[*row].virtualKey, expected.virtualKey);
    EXPECT_EQ(KeyCodeTable()[*row].code, expected.code);
  }
  // The row after the application key is the first international key.
  EXPECT_EQ(KeyCodeTable()[*KeyRowNamed("keyboard_key_App") + 1].nameId, "keyboard_key_K45");
}

TEST(KeyCodeTableTest, NamesAndKeyUsagesAreUnique) {
  std::set<std::string_view> names;
  std::set<std::uint8_t> usages;
  for (const KeyCodeRow& row : KeyCodeTable()) {
    EXPECT_TRUE(names.insert(row.nameId).second) << row.nameId;
    if (row.code.type == kKeyboard && row.code.p1 == 0) {
      EXPECT_TRUE(usages.insert(row.code.p2).second) << row.nameId;
    }
  }
  for (const auto& table :
       {MouseButtonTable(), SensitivityTable(), MediaTable(), SystemTable(), CombinationKeyTable()}) {
    std::set<std::string_view> tableNames;
    std::set<std::tuple<int, int, int>> codes;
    for (const NamedCode& row : table) {
      EXPECT_TRUE(tableNames.insert(row.nameId).second) << row.nameId;
      EXPECT_TRUE(codes.insert({row.code.type, row.code.p1, row.code.p2}).second) << row.nameId;
    }
  }
}

TEST(KeyCodeTableTest, MediaRowsOfferTheMediaTablesUsages) {
  std::multiset<std::tuple<int, int>> keyRows;
  for (const KeyCodeRow& row : KeyCodeTable()) {
    if (row.code.type == kConsumer) keyRows.insert({row.code.p1, row.code.p2});
  }
  std::multiset<std::tuple<int, int>> mediaRows;
  for (const NamedCode& row : MediaTable()) mediaRows.insert({row.code.p1, row.code.p2});
  EXPECT_EQ(keyRows, mediaRows);
}

TEST(ScanCodeTableTest, RowsStandForTheKeyTablesRows) {
  const auto scans = ScanCodeTable();
  ASSERT_EQ(scans.size(), kScanCodeRows);
  for (std::size_t row = 0; row < scans.size(); ++row) {
    SCOPED_TRACE(KeyCodeTable()[row].nameId);
    EXPECT_EQ(scans[row].virtualKey, KeyCodeTable()[row].virtualKey);
    // Every key sends its own scan code, so capture finds each row.
    EXPECT_EQ(ScanCodeRowOf(scans[row].scan), row);
  }
}

TEST(ScanCodeTableTest, ExtendedFlagMarksTheKeysSentBehindThePrefix) {
  const std::set<std::string_view> extended = {
      "keyboard_key_RCtrl",    "keyboard_key_RShift",    "keyboard_key_RAlt",      "keyboard_key_LWin",
      "keyboard_key_RWin",     "keyboard_key_Print Scr", "keyboard_key_Insert",    "keyboard_key_Home",
      "keyboard_key_Page Up",  "keyboard_key_Delete",    "keyboard_key_End",       "keyboard_key_Page Down",
      "keyboard_key_Right",    "keyboard_key_Left",      "keyboard_key_Down",      "keyboard_key_Up",
      "keyboard_key_Num Lock", "keyboard_key_Num /",     "keyboard_key_Num Enter", "keyboard_key_App",
  };
  for (std::size_t row = 0; row < kScanCodeRows; ++row) {
    const std::string_view name = KeyCodeTable()[row].nameId;
    EXPECT_EQ(ScanCodeTable()[row].scan.extended, extended.contains(name)) << name;
  }
}

TEST(ScanCodeTableTest, UnknownScanCodeHasNoRow) {
  EXPECT_EQ(ScanCodeRowOf({.code = 0x1E, .extended = true}), std::nullopt);
  EXPECT_EQ(ScanCodeRowOf({.code = 0x00, .extended = false}), std::nullopt);
}

struct EvdevCase {
  std::uint16_t evdev;
  std::optional<std::string_view> nameId;
  ScanCode scan;
};

TEST(PcKeyOfEvdevTest, FindsTheKeysRow) {
  const std::vector<EvdevCase> cases = {
      {KEY_A, "keyboard_key_A", {0x1E, false}},
      {KEY_RIGHTSHIFT, "keyboard_key_RShift", {0x36, true}},
      {KEY_KPENTER, "keyboard_key_Num Enter", {0x1C, true}},
      {KEY_ENTER, "keyboard_key_Enter", {0x1C, false}},
      {KEY_RIGHTCTRL, "keyboard_key_RCtrl", {0x1D, true}},
      {KEY_UP, "keyboard_key_Up", {0x48, true}},
      {KEY_KP8, "keyboard_key_Num 8", {0x48, false}},
      {KEY_102ND, "keyboard_key_K45", {0x56, false}},
      {KEY_F12, "keyboard_key_F12", {0x58, false}},
      {KEY_PAUSE, "keyboard_key_Pause", {0x45, false}},
      {KEY_HANGEUL, "keyboard_key_K151", {0xF2, false}},
      {KEY_MUTE, std::nullopt, {}},
      {0x2FF, std::nullopt, {}},
  };
  for (const EvdevCase& c : cases) {
    SCOPED_TRACE(c.evdev);
    const std::optional<PcKey> key = PcKeyOfEvdev(c.evdev);
    ASSERT_EQ(key.has_value(), c.nameId.has_value());
    if (!key) continue;
    EXPECT_EQ(key->scan, c.scan);
    const std::optional<std::size_t> row = ScanCodeRowOf(key->scan);
    ASSERT_TRUE(row);
    EXPECT_EQ(KeyCodeTable()[*row].nameId, *c.nameId);
    EXPECT_EQ(key->virtualKey, KeyCodeTable()[*row].virtualKey);
  }
}

TEST(PcKeyOfEvdevTest, EveryCaptureRowHasAKernelKey) {
  std::set<std::size_t> reached;
  for (std::uint16_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
    if (const std::optional<PcKey> key = PcKeyOfEvdev(evdev)) {
      const std::optional<std::size_t> row = ScanCodeRowOf(key->scan);
      ASSERT_TRUE(row) << evdev;
      EXPECT_TRUE(reached.insert(*row).second) << "two kernel keys for row " << *row;
    }
  }
  EXPECT_EQ(reached.size(), kScanCodeRows);
}

struct DescribeCase {
  std::string name;
  AssignmentCode code;
  CodeDescription::Kind kind;
  std::vector<std::string_view> textIds;
};

TEST(DescribeCodeTest, NamesEachType) {
  using Kind = CodeDescription::Kind;
  const std::vector<DescribeCase> cases = {
      {"disabled", {kDisabled, 0, 0}, Kind::kTextIds, {"close_text"}},
      {"mouse button", {kMouseButton, 0x04, 0}, Kind::kTextIds, {"mouse_key_middle"}},
      {"swing left", {kSwing, 0x21, 0x05}, Kind::kTextIds, {"mouse_key_left_Swing"}},
      {"swing right", {kSwing, 0x21, 0x81}, Kind::kTextIds, {"mouse_key_right_Swing"}},
      {"wheel up", {kWheel, 0x11, 0x03}, Kind::kTextIds, {"mouse_key_up_Swing"}},
      {"wheel down", {kWheel, 0x11, 0xFF}, Kind::kTextIds, {"mouse_key_down_Swing"}},
      {"dpi cycle", {kSensitivity, 3, 0}, Kind::kTextIds, {"mouse_key_DPI_loop"}},
      {"rapid fire", {kRapidFire, 0x78, 2}, Kind::kTextIds, {"mouse_key_fire_key"}},
      {"polling cycle", {kPollingCycle, 3, 0}, Kind::kTextIds, {"mouse_key_report_loop"}},
      {"dpi shift", {kDpiShift, 0x90, 1}, Kind::kTextIds, {"mouse_key_DPI_shift"}},
      {"key", {kKeyboard, 0, 0x04}, Kind::kTextIds, {"keyboard_key_A"}},
      {"modifier", {kKeyboard, 0x20, 0}, Kind::kTextIds, {"keyboard_key_RShift"}},
      {"modifiers and key",
       {kKeyboard, 0x05, 0x2C},
       Kind::kTextIds,
       {"keyboard_key_LCtrl", "keyboard_key_LAlt", "keyboard_key_Space"}},
      {"shortcut", {kKeyboard, 0x10, 0x12}, Kind::kTextIds, {"keyboard_key_RCtrl", "keyboard_key_O"}},
      {"no key", {kKeyboard, 0, 0}, Kind::kTextIds, {"close_text"}},
      {"office shortcut", {kOfficeShortcut, 0, 8}, Kind::kTextIds, {"custem_select_all"}},
      {"office shortcut beyond the list", {kOfficeShortcut, 0, 9}, Kind::kTextIds, {"close_text"}},
      {"show window", {kShowWindow, 0, 0}, Kind::kTextIds, {"show_window"}},
      {"media", {kConsumer, 0x26, 0x02}, Kind::kTextIds, {"wed_stop"}},
      {"system", {kSystem, 0x04, 0}, Kind::kTextIds, {"system_wake_up"}},
      {"macro mode", {kMacroMode, 3, 1}, Kind::kMacro, {}},
      {"macro repeat", {kMacroRepeat, 0, 9}, Kind::kMacro, {}},
      {"shooting pattern", {kShootPattern, 3, 0}, Kind::kTextIds, {"gun_4_txt"}},
      {"special off", {kSpecial, 0x00, 0}, Kind::kTextIds, {"close_text"}},
      {"smart key", {kSpecial, 0x02, 0}, Kind::kTextIds, {"mouse_key_smart_key"}},
      {"game mode", {kSpecial, 0x1B, 0}, Kind::kTextIds, {"keyboard_key_GM"}},
      {"combination", {kCombination, 1, 2}, Kind::kNone, {}},
      {"undescribed type", {0x50, 1, 2}, Kind::kNone, {}},
      {"unknown type", {0x99, 1, 2}, Kind::kTextIds, {"close_text"}},
  };
  for (const DescribeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CodeDescription description = DescribeCode(c.code);
    EXPECT_EQ(description.kind, c.kind);
    EXPECT_EQ(description.textIds, c.textIds);
  }
}

}  // namespace
}  // namespace nimbel
